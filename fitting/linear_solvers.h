#pragma once
// Dense matrix inversion on kMaxParams x kMaxParams blocks (row stride kMatrixStride).
#include "fitting/engine_limits.h"

// Gauss-Jordan elimination with full pivoting: inverts the n x n matrix a in place and
// solves for the m right-hand sides held in the columns of b (n x m, row stride 15), which
// are replaced by the solutions. ok becomes false on a zero pivot or a column chosen twice.
void GaussJordan(double* a, int n, double* b, int m, bool& ok);

// Converts an extended-precision value to double: magnitudes below the smallest subnormal
// double become 0, magnitudes above 1.7e308 become +-1.7e308 and set overflow.
double ClampToDouble(long double value, bool& overflow);

// Inverse in place of the n x n matrix a and its determinant, computed in extended
// precision (80-bit long double on x86-64) with full pivoting. A zero pivot gives
// determinant 0 and leaves a undefined. Results are converted back with ClampToDouble,
// which sets overflow when an element had to be clamped.
void ExtendedInverse(int n, double* a, long double& determinant, bool& overflow);
