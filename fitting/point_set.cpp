#include "fitting/point_set.h"

bool IsPolynomialCode(FunctionCode code) {
    return code == kLinearFunction || code == kQuadraticFunction || code == kCubicFunction ||
           (code >= kPolynomialBase && code <= kPolynomialBase + 14);
}

bool IsExponentialCode(FunctionCode code) {
    return code >= 8 && code <= 15;
}

bool IsUserDefinedCode(FunctionCode code) {
    return code >= kUserDefinedBase && code <= kUserDefinedBase + 14;
}

bool IsDecayCode(FunctionCode code) {
    return code >= kDecayBase && code <= kDecayBase + 7;
}

int ParameterCount(FunctionCode code) {
    switch (code) {
        case kLinearFunction:
            return 2;
        case kQuadraticFunction:
            return 3;
        case kCubicFunction:
            return 4;
        case kSaturatingExponential:
            return 3;
        case kSaturatingExponentialLinear:
            return 4;
        case kCorrectionTable:
            return 0;
        default:
            break;
    }
    if (code >= kPolynomialBase && code <= kPolynomialBase + 14) return code - kPolynomialBase + 1;
    if (IsUserDefinedCode(code)) return code - kUserDefinedBase + 1;
    if (IsDecayCode(code)) return 2 * (code - kDecayBase) + 1;
    return -1;
}

void ReplicateGroups(int n, const double* sortedDoses, int* groupStart, int& groupCount) {
    groupCount = 0;
    for (int i = 0; i < n; ++i) {
        if (i == 0 || sortedDoses[i] > 1.01 * sortedDoses[i - 1]) groupStart[groupCount++] = i;
    }
    groupStart[groupCount] = n;
}
