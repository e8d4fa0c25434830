#pragma once
// Rescaling of a fitted covariance when the weights did not come from known errors.
#include "fitting/result_codes.h"

// True when some weight lies within 1e-6 of 1: the weights were left at 1 because the
// errors were not really known.
bool WeightsLookUnknown(int N, const double* w);

// Multiplies the n x n covariance block (row stride 15) by X2 / (N - n), the variance of
// unit weight estimated from the residuals; N <= n raises -4 and leaves it unscaled.
void ScaleCovarianceByResiduals(int N, int n, double chiSquare, double* covariance,
                                ResultCode& resultCode);

// Replaces every negative variance on the diagonal of the n x n covariance (row stride 15)
// by its magnitude; returns whether any had to be replaced (the covariance is then suspect).
bool RepairNegativeVariances(int n, double* covariance);
