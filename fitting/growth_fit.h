#pragma once
// The composite fitting step used by every dose method: weights, fit, reweighting passes of
// the starred error models and the fit statistics.
#include <string>

#include "fitting/engine_limits.h"
#include "fitting/point_set.h"
#include "fitting/result_codes.h"

// Fit of one curve. Params hold start values for decay fits on entry.
struct TCurveFit {
    int NParams = 0;
    double Params[kMaxParams] = {};
    double Cov[kMatrixSize] = {};  // row stride kMatrixStride
    double ChiSquare = 0.0;
    double P = 0.0;   // chi-square probability GammaQ((N - n)/2, X2/2)
    double R2 = 0.0;  // polynomials only
    // The fit's own warning, cleared from the computation's code (0: none). Kept so that a
    // result whose error turns out undefined reports what went wrong in the fit.
    ResultCode Warning = kResultOk;
};

// Coefficient of determination of a weighted polynomial fit.
double FitRSquared(int N, const double* x, const double* y, const double* params, int n,
                   const double* w);

// Fits curve 1 (set1 with code1) or curve 2 (set2 with code2) into result. Curve 1 first
// forms the weights of both sets (WeightPoints; the second set counts as empty when code2
// is the correction table). Warnings of the fit are cleared (and kept in
// result.Warning); starred models reweight until
// X2 settles (-20 after 101 passes). R2 outside [1e-6, 1] gives -10 with
// "too many parameters?; ".
void FitGrowthCurve(int curve, ErrorModel model, FunctionCode code1, FunctionCode code2,
                    TPointSet& set1, TPointSet& set2, double* weights1, double* weights2,
                    TCurveFit& result, std::string& note, ResultCode& resultCode);

// Fits one function to the N1 points of set1 joined with the N2 points of set2 moved to
// dose - shift and signal x scale (weights converted accordingly). params (start values
// for decay fits) and covariance (row stride 15) receive the fit; returns X2.
double FitCombined(ErrorModel model, FunctionCode code, int N1, const TPointSet& set1,
                   const double* weights1, int N2, const TPointSet& set2, const double* weights2,
                   double scale, double shift, double* params, double* covariance,
                   std::string& note, ResultCode& resultCode);
