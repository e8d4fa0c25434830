#include "fitting/result_codes.h"

bool IsFatal(ResultCode code) {
    return (code <= -1 && code >= -10) || code == -16 || code == -17 || code == -22 || code == -23;
}

bool IsWarning(ResultCode code) {
    return (code <= -11 && code >= -15) || (code <= -18 && code >= -21) ||
           (code <= -24 && code >= -26);
}

void ResultMessage(ResultCode code, std::string& text) {
    static const char* const kMessages[] = {
        "O.K.",
        "Input control data error",
        "Invalid error value",
        "Invalid signal value - zero or negative",
        "Insufficient data for error evaluation",
        "Unknown function type",
        "Invalid number of function parameters",
        "Invalid covariance matrix elements",
        "Cannot find minimum of Chi-square",
        "Cannot fit function with initial parameters",
        "Fitting problem is ill-conditioned",
        "Warning: unsuccessful inversion of matrix by SVD",
        "Warning: unsuccessful minimum finding",
        "Warning: cannot make covariance matrix",
        "Warning: unsuccessful initial fit",
        "Warning: unsuccessful root finding",
        "Too many data points",
        "Error during inversion of matrix",
        "Warning: numeric value too big",
        "Method removed for testing purposes",
        "Warning: method does not converge",
        "Solution not available",
        "Not enough test dose points for SAR method",
        "Warning: cannot integrate over ROI",
        "Warning: dose error not defined",
        "Warning: no significant growth over the dose range",
        "Warning: test dose missing, aliquot not normalised",
    };
    constexpr int kCount = sizeof(kMessages) / sizeof(kMessages[0]);
    if (code <= 0 && -code < kCount) text = kMessages[-code];
}

std::string ErrorModelName(int index) {
    static const char* const kNames[] = {
        "Equal errors",      "Arbitrary errors", "Calculated errors",  "Fixed % errors",
        "Fixed % variances", "Fixed* % errors",  "Fixed* % variances",
    };
    if (index < 0 || index > 6) return {};
    return kNames[index];
}

std::string MethodName(int code) {
    static const char* const kNames[] = {
        "Test a fit",      "Additive",         "Total bleach",    "Partial bleach",
        "Regenerative",    "Reg/Add - slide",  "F/SGlow ceramic", "Single aliquot",
        "OSL decay corr.", "Alpha eff: a-val",
    };
    if (code < 1 || code > 10) return {};
    return kNames[code - 1];
}

double StudentFactor(int n) {
    // One-sided 85 % quantiles of Student's t for n - 1 degrees of freedom, n = 2..20.
    static const double kFactors[] = {1.963, 1.386, 1.25,  1.19,  1.156, 1.134, 1.119,
                                      1.108, 1.1,   1.093, 1.088, 1.083, 1.079, 1.076,
                                      1.074, 1.071, 1.069, 1.067, 1.066};
    if (n < 2 || n > 20) return 1.0;
    return kFactors[n - 2];
}
