#include "fitting/index_sort.h"

void IndexSort(int n, const double* values, int* index) {
    for (int i = 0; i < n; ++i) index[i] = i;
    if (n < 2) return;
    // Heap sort on the index array (one-based positions l and ir as in the classic form).
    int l = n / 2 + 1;
    int ir = n;
    for (;;) {
        int indxt;
        double q;
        if (l > 1) {
            --l;
            indxt = index[l - 1];
            q = values[indxt];
        } else {
            indxt = index[ir - 1];
            q = values[indxt];
            index[ir - 1] = index[0];
            if (--ir == 1) {
                index[0] = indxt;
                return;
            }
        }
        int i = l;
        int j = l + l;
        while (j <= ir) {
            if (j < ir && values[index[j - 1]] < values[index[j]]) ++j;
            if (q < values[index[j - 1]]) {
                index[i - 1] = index[j - 1];
                i = j;
                j += j;
            } else {
                j = ir + 1;
            }
        }
        index[i - 1] = indxt;
    }
}
