#include "fitting/fit_polynomial.h"

#include "fitting/covariance_scaling.h"
#include "fitting/engine_limits.h"
#include "fitting/svd.h"

void FitPolynomial(int N, const double* x, const double* y, const double* w, int n, double* params,
                   double* covariance, double& chiSquare, ResultCode& resultCode) {
    chiSquare = 0.0;
    if (n < 1 || n > kMaxParams) {
        resultCode = kInvalidParameterCount;
        return;
    }
    if (N < 1 || N > kMaxPoints) {
        resultCode = kInputControlDataError;
        return;
    }
    double u[kPointCapacity * kMatrixStride];
    double v[kMatrixSize];
    double sv[kMaxParams];
    bool ok = true;
    LinearLeastSquares(x, y, w, N, PowerBasis, nullptr, n, params, chiSquare, u, v, sv, ok);
    if (!ok) resultCode = kSvdInversionWarning;
    SvdCovariance(v, n, sv, covariance);
    if (WeightsLookUnknown(N, w))
        ScaleCovarianceByResiduals(N, n, chiSquare, covariance, resultCode);
}
