#include "fitting/result_codes.h"

#include <gtest/gtest.h>

TEST(ResultCodes, MessagesOfAllCodes) {
    const struct {
        ResultCode code;
        const char* message;
    } cases[] = {
        {0, "O.K."},
        {-1, "Input control data error"},
        {-2, "Invalid error value"},
        {-3, "Invalid signal value - zero or negative"},
        {-4, "Insufficient data for error evaluation"},
        {-5, "Unknown function type"},
        {-6, "Invalid number of function parameters"},
        {-7, "Invalid covariance matrix elements"},
        {-8, "Cannot find minimum of Chi-square"},
        {-9, "Cannot fit function with initial parameters"},
        {-10, "Fitting problem is ill-conditioned"},
        {-11, "Warning: unsuccessful inversion of matrix by SVD"},
        {-12, "Warning: unsuccessful minimum finding"},
        {-13, "Warning: cannot make covariance matrix"},
        {-14, "Warning: unsuccessful initial fit"},
        {-15, "Warning: unsuccessful root finding"},
        {-16, "Too many data points"},
        {-17, "Error during inversion of matrix"},
        {-18, "Warning: numeric value too big"},
        {-19, "Method removed for testing purposes"},
        {-20, "Warning: method does not converge"},
        {-21, "Solution not available"},
        {-22, "Not enough test dose points for SAR method"},
        {-23, "Warning: cannot integrate over ROI"},
        {-24, "Warning: dose error not defined"},
        {-25, "Warning: no significant growth over the dose range"},
        {-26, "Warning: test dose missing, aliquot not normalised"},
    };
    for (const auto& c : cases) {
        std::string text = "before";
        ResultMessage(c.code, text);
        EXPECT_EQ(text, c.message) << c.code;
    }
}

TEST(ResultCodes, UnknownCodeLeavesTextUnchanged) {
    for (ResultCode code : {5, -27, 1000}) {
        std::string text = "unchanged";
        ResultMessage(code, text);
        EXPECT_EQ(text, "unchanged") << code;
    }
}

TEST(ResultCodes, FatalAndWarningClasses) {
    for (ResultCode code = -26; code <= 0; ++code) {
        const bool fatal =
            (code >= -10 && code <= -1) || code == -16 || code == -17 || code == -22 || code == -23;
        const bool warning = code != 0 && !fatal;
        EXPECT_EQ(IsFatal(code), fatal) << code;
        EXPECT_EQ(IsWarning(code), warning) << code;
    }
    EXPECT_FALSE(IsFatal(0));
    EXPECT_FALSE(IsWarning(0));
}

TEST(ResultCodes, ErrorModelNames) {
    const char* names[] = {"Equal errors",      "Arbitrary errors",  "Calculated errors",
                           "Fixed % errors",    "Fixed % variances", "Fixed* % errors",
                           "Fixed* % variances"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(ErrorModelName(i), names[i]);
    EXPECT_EQ(ErrorModelName(7), "");
    EXPECT_EQ(ErrorModelName(-1), "");
}

TEST(ResultCodes, MethodNames) {
    const char* names[] = {"Test a fit",      "Additive",       "Total bleach",
                           "Partial bleach",  "Regenerative",   "Reg/Add - slide",
                           "F/SGlow ceramic", "Single aliquot", "OSL decay corr.",
                           "Alpha eff: a-val"};
    for (int i = 1; i <= 10; ++i) EXPECT_EQ(MethodName(i), names[i - 1]);
    EXPECT_EQ(MethodName(0), "");
    EXPECT_EQ(MethodName(11), "");
}

TEST(ResultCodes, StudentFactorTable) {
    const double factors[] = {1.963, 1.386, 1.25,  1.19,  1.156, 1.134, 1.119, 1.108, 1.1,  1.093,
                              1.088, 1.083, 1.079, 1.076, 1.074, 1.071, 1.069, 1.067, 1.066};
    for (int n = 2; n <= 20; ++n) EXPECT_DOUBLE_EQ(StudentFactor(n), factors[n - 2]) << n;
    EXPECT_DOUBLE_EQ(StudentFactor(1), 1.0);
    EXPECT_DOUBLE_EQ(StudentFactor(21), 1.0);
}
