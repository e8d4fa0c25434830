#pragma once
// Result codes of the fitting and dose-estimation engine and the small display lookups that
// go with them. The engine never throws: every operation that can fail receives a reference
// to a ResultCode and writes a negative value into it.
#include <cstdint>
#include <string>

using ResultCode = std::int32_t;

inline constexpr ResultCode kResultOk = 0;
// Fatal codes: -1 .. -10, -16, -17, -22, -23.
inline constexpr ResultCode kInputControlDataError = -1;
inline constexpr ResultCode kInvalidErrorValue = -2;
inline constexpr ResultCode kInvalidSignalValue = -3;
inline constexpr ResultCode kInsufficientErrorData = -4;
inline constexpr ResultCode kUnknownFunctionType = -5;
inline constexpr ResultCode kInvalidParameterCount = -6;
inline constexpr ResultCode kInvalidCovariance = -7;
inline constexpr ResultCode kChiSquareMinimumNotFound = -8;
inline constexpr ResultCode kInitialFitFailed = -9;
inline constexpr ResultCode kIllConditioned = -10;
// Warnings: -11 .. -15, -18 .. -21, -24 .. -26.
inline constexpr ResultCode kSvdInversionWarning = -11;
inline constexpr ResultCode kMinimumFindingWarning = -12;
inline constexpr ResultCode kCovarianceWarning = -13;
inline constexpr ResultCode kInitialFitWarning = -14;
inline constexpr ResultCode kRootFindingWarning = -15;
inline constexpr ResultCode kTooManyDataPoints = -16;
inline constexpr ResultCode kMatrixInversionError = -17;
inline constexpr ResultCode kNumericTooBigWarning = -18;
inline constexpr ResultCode kMethodRemoved = -19;
inline constexpr ResultCode kNoConvergenceWarning = -20;
inline constexpr ResultCode kSolutionNotAvailable = -21;
inline constexpr ResultCode kNotEnoughTestDosePoints = -22;
inline constexpr ResultCode kRoiIntegrationWarning = -23;
// Warnings of a result that keeps its numbers but cannot be signed as "O.K.": an equivalent
// dose whose error is not a finite positive number, a curve that does not rise significantly
// over its measured doses, and a single aliquot computed without test-dose normalisation
// because one of its test doses is missing.
inline constexpr ResultCode kDoseErrorUndefined = -24;
inline constexpr ResultCode kNoSignificantGrowth = -25;
inline constexpr ResultCode kTestDoseMissing = -26;

// True for the codes that end a computation at once (-1..-10, -16, -17, -22, -23).
bool IsFatal(ResultCode code);
// True for the codes that leave results in place (-11..-15, -18..-21, -24..-26).
bool IsWarning(ResultCode code);

// Assigns the message of code to text ("O.K." for 0); leaves text unchanged for a code
// that has no message.
void ResultMessage(ResultCode code, std::string& text);

// "Equal errors" .. "Fixed* % variances" for 0..6; empty outside.
std::string ErrorModelName(int index);
// "Test a fit" .. "Alpha eff: a-val" for the dose methods 1..10; empty outside.
std::string MethodName(int code);

// One-sided 85 % Student t quantile for a replicate group of n points (n - 1 degrees of
// freedom), used to widen standard deviations estimated from few points. Defined for
// 2 <= n <= 20; 1 outside that range.
double StudentFactor(int n);
