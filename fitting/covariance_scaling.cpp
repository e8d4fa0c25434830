#include "fitting/covariance_scaling.h"

#include <cmath>

#include "fitting/engine_limits.h"

bool WeightsLookUnknown(int N, const double* w) {
    for (int i = 0; i < N; ++i) {
        if (std::fabs(w[i] - 1.0) < 1e-6) return true;
    }
    return false;
}

void ScaleCovarianceByResiduals(int N, int n, double chiSquare, double* covariance,
                                ResultCode& resultCode) {
    if (N <= n) {
        resultCode = kInsufficientErrorData;
        return;
    }
    const double factor = chiSquare / (N - n);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) covariance[i * kMatrixStride + j] *= factor;
    }
}

bool RepairNegativeVariances(int n, double* covariance) {
    bool repaired = false;
    for (int i = 0; i < n; ++i) {
        double& variance = covariance[i * kMatrixStride + i];
        if (variance < 0.0) {
            variance = -variance;
            repaired = true;
        }
    }
    return repaired;
}
