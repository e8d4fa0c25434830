#include "fitting/growth_functions.h"

#include <cmath>

#include "fitting/engine_limits.h"
#include "fitting/special_functions.h"

namespace {

constexpr double kNegativeVarianceLimit = -1e-10;

// Checks n against the code. Returns false (with -5 or -6 set) when F cannot be evaluated.
bool CheckParameterCount(FunctionCode code, int n, ResultCode& resultCode) {
    int expected;
    if (code >= 10 && code <= 15) {
        // Exponential kinds beyond 8 and 9: a polynomial part of n - 2 terms, any n.
        expected = (n >= 2 && n <= kMaxParams) ? n : -1;
    } else {
        expected = ParameterCount(code);
        if (expected < 0 || code == kCorrectionTable) {
            resultCode = kUnknownFunctionType;
            return false;
        }
    }
    if (n != expected || n > kMaxParams) {
        resultCode = kInvalidParameterCount;
        return false;
    }
    return true;
}

// Value of F at x and its gradient g with respect to the parameters.
double ValueAndGradient(FunctionCode code, int n, const double* params, double x, double* g) {
    double value = 0.0;
    if (IsPolynomialCode(code)) {
        double power = 1.0;
        for (int j = 0; j < n; ++j) {
            g[j] = power;
            value += params[j] * power;
            power *= x;
        }
    } else if (IsExponentialCode(code)) {
        double power = 1.0;
        for (int j = 0; j < n - 2; ++j) {
            g[j] = power;
            value += params[j] * power;
            power *= x;
        }
        const double e = ClampedExp(-params[n - 1] * x);
        g[n - 2] = e;
        g[n - 1] = -x * params[n - 2] * e;
        value += params[n - 2] * e;
    } else if (IsDecayCode(code)) {
        g[0] = 1.0;
        value = params[0];
        for (int j = 1; j + 1 < n; j += 2) {
            const double e = std::exp(-params[j + 1] * x);
            g[j] = e;
            g[j + 1] = -x * params[j] * e;
            value += params[j] * e;
        }
    } else {
        // User-defined codes have no formula.
        for (int j = 0; j < n; ++j) g[j] = 0.0;
    }
    return value;
}

const char* OrdinalSuffix(int degree) {
    switch (degree) {
        case 1:
            return "st";
        case 2:
            return "nd";
        case 3:
            return "rd";
        default:
            return "th";
    }
}

}  // namespace

double EvaluateFit(FunctionCode code, int n, const double* params, bool withError,
                   std::string& note, ResultCode& resultCode, double x, double& sigma1,
                   double& sigma2, const double* covariance) {
    note.clear();
    sigma1 = sigma2 = 0.0;
    if (!CheckParameterCount(code, n, resultCode)) return 0.0;
    double g[kMaxParams];
    const double value = ValueAndGradient(code, n, params, x, g);
    if (!withError) return value;
    double variance = 0.0;
    for (int i = 0; i < n; ++i) {
        double row = 0.0;
        for (int j = 0; j < n; ++j) row += covariance[i * kMatrixStride + j] * g[j];
        variance += g[i] * row;
    }
    if (variance < kNegativeVarianceLimit) resultCode = kInvalidCovariance;
    if (resultCode != kResultOk) return 0.0;
    sigma1 = sigma2 = std::sqrt(variance > 0.0 ? variance : 0.0);
    return value;
}

double FunctionSlope(FunctionCode code, int n, const double* params, ResultCode& resultCode,
                     double x) {
    if (code == kUserDefinedBase + 15) return 0.0;  // 47 belongs to the user-defined block
    if (IsDecayCode(code)) {
        resultCode = kUnknownFunctionType;
        return 0.0;
    }
    if (!CheckParameterCount(code, n, resultCode)) return 0.0;
    if (IsUserDefinedCode(code)) return 0.0;
    const int polynomialTerms = IsExponentialCode(code) ? n - 2 : n;
    double slope = 0.0;
    double power = 1.0;  // x^(j-2) for the term A_j, j counted from 1
    for (int j = 2; j <= polynomialTerms; ++j) {
        slope += (j - 1) * params[j - 1] * power;
        power *= x;
    }
    if (IsExponentialCode(code)) {
        slope -= params[n - 2] * params[n - 1] * ClampedExp(-params[n - 1] * x);
    }
    return slope;
}

std::string FormulaText(FunctionCode code, std::string_view listSeparator) {
    const char* formula = nullptr;
    switch (code) {
        case kLinearFunction:
            formula = "F(X) = A1 + A2 X";
            break;
        case kQuadraticFunction:
            formula = "F(X) = A1 + A2 X + A3 X^2";
            break;
        case kCubicFunction:
            formula = "F(X) = A1 + A2 X + A3 X^2 + A4 X^3";
            break;
        case kSaturatingExponential:
            formula = "F(X) = A1 + A2 exp(-A3 X)";
            break;
        case kSaturatingExponentialLinear:
            formula = "F(X) = A1 + A2 X + A3 exp(-A4 X)";
            break;
        default:
            break;
    }
    std::string text;
    if (formula != nullptr) {
        text.append(1, '"').append(formula).append(1, '"');
    } else if (code >= kPolynomialBase && code <= kPolynomialBase + 14) {
        const int degree = code - kPolynomialBase;
        text.append("\"F(X) = A1 ");
        for (int k = 2; k <= degree + 1; ++k) {
            text.append("+ A").append(std::to_string(k));
            text.append(" X^").append(std::to_string(k - 1)).append(" ");
        }
        text.append(1, '"');
    } else {
        return text;
    }
    text.append(listSeparator);
    return text;
}

std::string FunctionLongName(FunctionCode code) {
    switch (code) {
        case kLinearFunction:
            return "Linear";
        case kQuadraticFunction:
            return "Quadratic";
        case kCubicFunction:
            return "Cubic";
        case kSaturatingExponential:
            return "Saturating exponential";
        case kSaturatingExponentialLinear:
            return "Saturating exponential + linear";
        case kCorrectionTable:
            return "Correction table";
        default:
            break;
    }
    if (code >= kPolynomialBase && code <= kPolynomialBase + 14) {
        const int degree = code - kPolynomialBase;
        return std::to_string(degree) + OrdinalSuffix(degree) + " degree polynomial";
    }
    if (IsUserDefinedCode(code)) return "User defined";
    if (IsDecayCode(code)) return "Exponential decay";
    return {};
}

std::string FunctionSelectionName(int index) {
    static const char* const kNames[kFunctionSelectionCount] = {"Linear",
                                                                "Quadratic",
                                                                "Cubic",
                                                                "Saturating exponential",
                                                                "Saturating exponential + linear",
                                                                " degree polynomial",
                                                                "User defined",
                                                                "Exponential decay",
                                                                "Correction table"};
    if (index < 0 || index >= kFunctionSelectionCount) return {};
    return kNames[index];
}

std::string FunctionShortName(int index) {
    static const char* const kNames[kFunctionSelectionCount] = {"Linear",
                                                                "Quadratic",
                                                                "Cubic",
                                                                "Saturating exponential",
                                                                "Linear + sat.exponent.",
                                                                "Polynomial ",
                                                                "User defined",
                                                                "Exponential decay",
                                                                "Correction table"};
    if (index < 0 || index >= kFunctionSelectionCount) return {};
    return kNames[index];
}

FunctionCode FunctionSelectionCode(int index, int polynomialDegree) {
    static const FunctionCode kCodes[kFunctionSelectionCount] = {kLinearFunction,
                                                                 kQuadraticFunction,
                                                                 kCubicFunction,
                                                                 kSaturatingExponential,
                                                                 kSaturatingExponentialLinear,
                                                                 kPolynomialBase,
                                                                 kUserDefinedBase,
                                                                 kDecayBase,
                                                                 kCorrectionTable};
    if (index < 0 || index >= kFunctionSelectionCount) return -1;
    if (kCodes[index] == kPolynomialBase) return kPolynomialBase + polynomialDegree;
    return kCodes[index];
}

std::string DecaySelectionName(int index) {
    static const char* const kNames[kDecaySelectionCount] = {"Linear", "1 exponent", "2 exponents",
                                                             "3 exponents", "4 exponents"};
    if (index < 0 || index >= kDecaySelectionCount) return {};
    return kNames[index];
}

FunctionCode DecaySelectionCode(int index) {
    if (index < 0 || index >= kDecaySelectionCount) return -1;
    return index == 0 ? kLinearFunction : kDecayBase + index;
}
