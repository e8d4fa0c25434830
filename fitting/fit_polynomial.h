#pragma once
// Weighted least-squares fit of a polynomial.
#include "fitting/result_codes.h"

// Fits A1 + A2 x + ... + An x^(n-1) to N points with weights w by SVD, on doses scaled to
// at most 1 in magnitude with balanced basis columns; parameters and covariance come back in
// the caller's units. covariance is n x n with row stride 15. SVD non-convergence raises
// -11. N <= n (not more points than parameters) raises -4 after the fit, whatever the
// weights. When a weight is within 1e-6 of 1 (errors not really known) the covariance is
// scaled by X2/(N - n).
void FitPolynomial(int N, const double* x, const double* y, const double* w, int n, double* params,
                   double* covariance, double& chiSquare, ResultCode& resultCode);
