#include "fitting/minimizers.h"

void BracketMinimum(TScalarFunction, void*, ResultCode&, double&, double&, double&, double&,
                    double&, double&) {}
double BrentMinimize(TScalarFunction, void*, double, double, double, double, double&,
                     ResultCode&) {
    return 0;
}
void SimplexMinimize(TPlaneFunction, void*, double[3][2], double[3], double, ResultCode&) {}
