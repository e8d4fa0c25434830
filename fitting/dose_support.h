#pragma once
// Shared working state and helpers of the dose methods (not part of the engine's interface).
#include <string>

#include "fitting/engine_limits.h"
#include "fitting/fit_record.h"
#include "fitting/point_set.h"
#include "fitting/result_codes.h"
#include "fitting/root_finding.h"

// One dose computation in progress: its inputs, outputs and the weights of both sets.
struct TDoseWork {
    int Method = 0;
    ErrorModel Model = 0;
    FunctionCode Code1 = 0;
    FunctionCode Code2 = 0;
    TPointSet& Set1;
    TPointSet& Set2;
    TFitRecord& Fit;
    std::string& Note;
    ResultCode& Code;
    double Weights1[kPointCapacity] = {};
    double Weights2[kPointCapacity] = {};
    // The first warning a fit of the computation raised, also when the method cleared it
    // from Code: the result reports it when its error turns out undefined.
    ResultCode FitWarning = kResultOk;
};

// The starred models (5, 6) weight like their plain counterparts (3, 4) outside the
// reweighting passes.
ErrorModel PlainModel(ErrorModel model);

// Appends a failure phrase (ending in "; ") and sets -10.
void FailWithNote(TDoseWork& work, const char* phrase);

// Clears a pending warning; leaves 0 and fatal codes alone.
void ClearWarning(ResultCode& code);

// FitGrowthCurve of curve 1 or 2 into the fit record (parameters, covariance, statistics).
void FitCurve(TDoseWork& work, int curve);

// A fitted curve shifted down by a level: F(x) - Level.
struct TShiftedCurve {
    FunctionCode Code = 0;
    int N = 0;
    const double* Params = nullptr;
    const double* Cov = nullptr;
    double Level = 0.0;
};

// F(x) - Level, independent of any code pending in the computation (a pending warning makes
// EvaluateFit give 0); a fatal code of the evaluation is passed on into code.
double ShiftedValue(const TShiftedCurve& curve, double x, ResultCode& code);
// dF/dx; a fatal code of the evaluation is passed on.
double CurveSlope(const TShiftedCurve& curve, double x, ResultCode& code);
// Standard error of F(x) through EvaluateFit with the computation's own code, so that a
// pending warning gives 0 and a covariance failure raises -7.
double CurveSigma(const TShiftedCurve& curve, double x, ResultCode& code);
// Variance of a straight line at x, C00 + 2x C01 + x^2 C11: at or below -1e-10 raises -7
// and returns false; a magnitude below 1e-10 counts as 0.
bool LineVariance(const double* cov, double x, double& variance, ResultCode& code);

// Callback form of ShiftedValue for the root finders (context: TShiftedCurve).
double ShiftedCurveCallback(double x, void* context, ResultCode& code);

// Real roots of the shifted polynomial on one side of 0 (negativeSide: real part <= 0,
// examined from the largest downward; else >= 0, from the smallest upward). A candidate is
// accepted when the shifted function changes sign across x +- 0.01 with a positive slope.
enum TRootOutcome { roFound, roNoCandidate, roNoneAccepted };
TRootOutcome PolynomialRoot(const TShiftedCurve& curve, bool negativeSide, double& root,
                            ResultCode& code);

// Root of the shifted function by scanning [x1, x2] in `steps` steps and Brent's method on
// the first bracket (with requireNegativeStart, the first whose earlier point is negative).
// The tolerance is |earlier| x 1e-4 + 1e-4.
enum TScanOutcome { soFound, soNoBracket, soNotBracketed };
TScanOutcome ScanRoot(const TShiftedCurve& curve, double x1, double x2, int steps,
                      bool requireNegativeStart, double& root, ResultCode& code);
// Reports the outcome of a scanned root search on work's code: false after a note (or on a
// fatal code), true when the root was found.
bool ScanSucceeded(TDoseWork& work, TScanOutcome outcome);

// Where the saturating exponential A1 + A2 exp(-A3 x) crosses zero: x = -ln(-A1/A2) / A3.
// False after a note when A2 >= 0 or A3 = 0 (not rising or not saturating) or when -A1/A2
// is not positive (no crossing).
bool SaturatingZeroCrossing(TDoseWork& work, const double* a, double& x);

// Whether the curve (its level added back) starts at F(0) >= 0 with F'(0) > 0 (with
// allowZeroSlope, >= 0); false after a note or on a fatal code. value0 and slope0 receive
// F(0) and F'(0).
bool RisesFromOrigin(TDoseWork& work, const TShiftedCurve& curve, bool allowZeroSlope,
                     double& value0, double& slope0);

// Looks for a sign change of f starting from [a, 0]: when f(a) and f(0) agree in sign, the
// interval becomes [2a, -a] and then grows by 1.6 at both ends until f changes sign or |a|
// reaches `limit`. The widening is bounded (100 steps), since an a of 0 never grows.
// Returns whether f(a) f(b) <= 0.
bool WidenToCrossing(TScalarFunction f, void* context, ResultCode& code, double& a, double& b,
                     double limit);

// Largest dose of a set (0 for an empty one).
double LargestDose(const TPointSet& set);
