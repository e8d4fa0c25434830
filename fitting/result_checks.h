#pragma once
// The last step of every dose computation: whether a result that the method finished without
// a warning can be signed as "O.K.". A result is "O.K." only when the fitted curves it was
// read from have finite, positive parameter variances, its own error is a finite positive
// number and the curve rises significantly over the doses that were measured. A result that
// fails keeps its numbers and gets a warning code:
//   - variances undefined: the fit's own warning (kept in TDoseWork::FitWarning), else -13;
//   - dose error undefined: -24 "Warning: dose error not defined";
//   - no significant growth: -25 "Warning: no significant growth over the dose range".
// A non-converged reweighting of the starred error models (-20) is reported by every method.
#include "fitting/dose_support.h"

// The rise of a fitted curve from dose `from` to dose `to`, F(to) - F(from), with its
// standard error from the parameter covariance (gradient by central differences).
struct TFittedRise {
    double Rise = 0.0;
    double Sigma = 0.0;  // NaN when the covariance gives no variance
};
TFittedRise FittedRise(FunctionCode code, int n, const double* params, const double* cov,
                       double from, double to);

// A rise is significant when it is positive and at least 3 standard errors (an exactly
// determined positive rise counts as significant).
bool RiseIsSignificant(const TFittedRise& rise);

// Sets work.Code to a warning when work.Code is 0 and the result is not defined (see above).
void CheckResultDefined(TDoseWork& work);
