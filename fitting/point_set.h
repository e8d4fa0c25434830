#pragma once
// Point sets of growth curves, function codes and error models of the fitting engine.
#include <cstdint>

#include "fitting/engine_limits.h"

// Three parallel arrays of dose, signal and error with Count (0..99) points in use. What
// Error holds depends on the error model.
struct TPointSet {
    int Count = 0;
    double Dose[kPointCapacity] = {};
    double Signal[kPointCapacity] = {};
    double Error[kPointCapacity] = {};
};

// Function kinds. Parameters A1..An are stored A1 first.
using FunctionCode = std::int32_t;
inline constexpr FunctionCode kLinearFunction = 1;               // A1 + A2 X
inline constexpr FunctionCode kQuadraticFunction = 2;            // A1 + A2 X + A3 X^2
inline constexpr FunctionCode kCubicFunction = 4;                // ... + A4 X^3
inline constexpr FunctionCode kSaturatingExponential = 8;        // A1 + A2 exp(-A3 X)
inline constexpr FunctionCode kSaturatingExponentialLinear = 9;  // A1 + A2 X + A3 exp(-A4 X)
inline constexpr FunctionCode kPolynomialBase = 16;              // + degree 0..14
inline constexpr FunctionCode kUserDefinedBase = 32;             // 32..46, no formula
inline constexpr FunctionCode kDecayBase = 48;                   // + number of exponentials 0..7
inline constexpr FunctionCode kCorrectionTable = 63;             // not a function

bool IsPolynomialCode(FunctionCode code);   // 1, 2, 4, 16..30
bool IsExponentialCode(FunctionCode code);  // 8..15 (polynomial part + one exponential)
bool IsUserDefinedCode(FunctionCode code);  // 32..46
bool IsDecayCode(FunctionCode code);        // 48..55
// Number of parameters of a function kind: 0 for the correction table, -1 for a code that
// is no function kind (including 10..15, which only EvaluateFit accepts, with any n).
int ParameterCount(FunctionCode code);

// Error models.
using ErrorModel = std::int32_t;
inline constexpr ErrorModel kEqualErrors = 0;
inline constexpr ErrorModel kArbitraryErrors = 1;
inline constexpr ErrorModel kCalculatedErrors = 2;
inline constexpr ErrorModel kFixedPercentErrors = 3;
inline constexpr ErrorModel kFixedPercentVariances = 4;
inline constexpr ErrorModel kFixedStarPercentErrors = 5;
inline constexpr ErrorModel kFixedStarPercentVariances = 6;

// Replicate groups of a dose-sorted set: consecutive points belong to one group while each
// dose is at most 1.01 times the dose before it. groupStart[g] is the first point of group g;
// groupStart[groupCount] = n. groupStart needs n + 1 entries.
void ReplicateGroups(int n, const double* sortedDoses, int* groupStart, int& groupCount);
