#pragma once
// Levenberg-Marquardt fit of the multi-exponential decay A1 + A2 exp(-A3 X) + ...
#include "fitting/point_set.h"
#include "fitting/result_codes.h"

// params hold the starting values on entry (n = 2m + 1 for code 48 + m). A singular
// curvature matrix raises -9; N <= n (not more points than parameters) raises -4. User-defined
// codes 32..46 have no model: they raise -5.
void FitDecay(int N, const double* x, const double* y, const double* w, int n, FunctionCode code,
              double* params, double* covariance, double& chiSquare, ResultCode& resultCode);
