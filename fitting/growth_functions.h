#pragma once
// Evaluation of the growth functions, their slopes, display names and formula texts.
#include <string>
#include <string_view>

#include "fitting/point_set.h"
#include "fitting/result_codes.h"

// F(x) for the function code with n parameters. With withError, sigma1 and sigma2 both
// receive the standard error sqrt(g^T C g) (g the parameter gradient, C the n x n block of
// covariance, row stride 15); otherwise both are 0 and covariance is not read. The note is
// cleared on entry. A wrong code (-5) or count (-6) gives 0. With withError, a code pending on
// entry or a variance below -1e-10 (-7) gives 0 for the value and both sigmas; without it the
// value is returned whatever code is pending, so that root searches on a fit that left a
// warning still work.
double EvaluateFit(FunctionCode code, int n, const double* params, bool withError,
                   std::string& note, ResultCode& resultCode, double x, double& sigma1,
                   double& sigma2, const double* covariance);

// dF/dX at x. Decay and unknown codes raise -5, a wrong n -6; both give 0.
double FunctionSlope(FunctionCode code, int n, const double* params, ResultCode& resultCode,
                     double x);

// The formula of the function as one quoted field of a delimited line, followed by the
// list separator; an empty text for codes without a formula.
std::string FormulaText(FunctionCode code, std::string_view listSeparator = ",");

// Long display name: "Linear", ..., "4th degree polynomial", "User defined",
// "Exponential decay", "Correction table"; empty for unknown codes.
std::string FunctionLongName(FunctionCode code);

// The function selections in order (index 0..8): long names with the polynomial's name
// without its degree (" degree polynomial"), short names for selection lists, and the code
// each stands for (the polynomial selection adds its degree). Empty text / -1 outside.
inline constexpr int kFunctionSelectionCount = 9;
std::string FunctionSelectionName(int index);
std::string FunctionShortName(int index);
FunctionCode FunctionSelectionCode(int index, int polynomialDegree = 0);

// Decay fits for depletion correction (index 0..4): "Linear" (1), "1 exponent" (49) ...
// "4 exponents" (52). Empty text / -1 outside.
inline constexpr int kDecaySelectionCount = 5;
std::string DecaySelectionName(int index);
FunctionCode DecaySelectionCode(int index);
