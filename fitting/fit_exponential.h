#pragma once
// Weighted least-squares fit of the saturating exponential (code 8, n = 3) and the
// saturating exponential plus linear term (code 9, n = 4).
#include <string>

#include "fitting/point_set.h"
#include "fitting/result_codes.h"

// Searches the exponent An that minimises chi-square, the other parameters being solved
// by linear least squares for each trial exponent; the covariance comes from the inverted
// Fisher matrix. Points must be sorted by dose. Warnings -11, -12, -13, -14, -18 leave the
// parameters of the last evaluation. The exponent found by the search is polished to the
// minimum of chi-square (relative step 1e-10) before the linear parameters, chi-square and
// covariance are formed. Numeric overflow, in the search or in the covariance, ends with -10
// and "numeric value too big; " in the note; N <= n raises -4 before any fit.
void FitExponential(int N, const double* x, const double* y, const double* w, int n,
                    FunctionCode code, double* params, double* covariance, double& chiSquare,
                    std::string& note, ResultCode& resultCode);

// Starting exponent from the curvature of three consecutive dose groups of the
// dose-sorted points (in the units given); 0 when none lies in [0.01, 20).
double InitialExponent(int N, const double* x, const double* y);
