#pragma once
// Indirect heap sort: index[0..n-1] receives the positions of values[0..n-1] in ascending
// order of value; the values are not moved. Fewer than 2 values give the identity.
void IndexSort(int n, const double* values, int* index);
