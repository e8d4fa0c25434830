#include "fitting/fit_polynomial.h"

#include <cmath>

#include "fitting/covariance_scaling.h"
#include "fitting/engine_limits.h"
#include "fitting/svd.h"

namespace {

// The power basis in scaled doses t = x / DoseScale, each column divided by (the power of
// two nearest to) its weighted norm. Unscaled powers of doses in the hundreds span dozens of orders
// of magnitude by degree 14, and the SVD cutoff then drops the higher columns; scaled and balanced
// columns keep the decomposition as well conditioned as the dose spread allows.
constexpr int kRefinementSteps = 3;

struct TScaledPowers {
    double DoseScale = 1.0;
    double ColumnNorm[kMaxParams] = {};
};

void ScaledPowerBasis(double x, double* values, int nparams, void* context) {
    const TScaledPowers& s = *static_cast<const TScaledPowers*>(context);
    const double t = x / s.DoseScale;
    double power = 1.0;
    for (int j = 0; j < nparams; ++j) {
        values[j] = power / s.ColumnNorm[j];
        power *= t;
    }
}

// The power of two nearest to a positive value (within a factor of 2 of it).
double PowerOfTwoNear(double value) {
    int exponent = 0;
    std::frexp(value, &exponent);  // value = m 2^exponent, 0.5 <= m < 1
    return std::ldexp(1.0, exponent);
}

TScaledPowers ScaleFor(int N, const double* x, const double* w, int n) {
    TScaledPowers s;
    double largest = 0.0;
    for (int i = 0; i < N; ++i) largest = std::fmax(largest, std::fabs(x[i]));
    // Powers of two: scaling then rounds nothing, so exact doses keep exact powers.
    if (largest > 0.0 && std::isfinite(largest)) s.DoseScale = PowerOfTwoNear(largest);
    double sum[kMaxParams] = {};
    for (int i = 0; i < N; ++i) {
        const double t = x[i] / s.DoseScale;
        const double weight = std::fabs(w[i]);
        double power = 1.0;
        for (int j = 0; j < n; ++j) {
            sum[j] += weight * power * power;
            power *= t;
        }
    }
    for (int j = 0; j < n; ++j) {
        const double norm = std::sqrt(sum[j]);
        s.ColumnNorm[j] = norm > 0.0 && std::isfinite(norm) ? PowerOfTwoNear(norm) : 1.0;
    }
    return s;
}

// Weighted residuals r_i = sqrt(w_i) (y_i - F(x_i)) and the gradient g = A^T r of the
// scaled problem, both accumulated in extended precision; returns |g|^2.
long double ResidualGradient(int N, const double* x, const double* y, const double* w, int n,
                             TScaledPowers& scaled, const double* params, long double* gradient,
                             long double& chiSquare) {
    double values[kMaxParams];
    for (int j = 0; j < n; ++j) gradient[j] = 0.0L;
    chiSquare = 0.0L;
    for (int i = 0; i < N; ++i) {
        ScaledPowerBasis(x[i], values, n, &scaled);
        long double fitted = 0.0L;
        for (int j = 0; j < n; ++j) fitted += static_cast<long double>(params[j]) * values[j];
        const long double residual = y[i] - fitted;
        chiSquare += w[i] * residual * residual;
        for (int j = 0; j < n; ++j) gradient[j] += w[i] * values[j] * residual;
    }
    long double norm = 0.0L;
    for (int j = 0; j < n; ++j) norm += gradient[j] * gradient[j];
    return norm;
}

// Iterative refinement of the least-squares solution: the normal-equation gradient A^T r,
// formed in extended precision, is taken back to zero with the inverse normal matrix that
// the decomposition gives (V diag(1/w^2) V^T). Signals far larger than the parameters
// (large residuals, or a constant term small against the signals) otherwise lose digits to
// the rounding of the residuals. A step that does not reduce the gradient is not taken.
// chiSquare is recomputed for the parameters kept.
void RefineSolution(int N, const double* x, const double* y, const double* w, int n,
                    TScaledPowers& scaled, const double* inverseNormal, double* params,
                    double& chiSquare) {
    long double gradient[kMaxParams];
    long double sum = 0.0L;
    long double norm = ResidualGradient(N, x, y, w, n, scaled, params, gradient, sum);
    for (int step = 0; step < kRefinementSteps && norm > 0.0L; ++step) {
        double trial[kMaxParams];
        for (int i = 0; i < n; ++i) {
            long double correction = 0.0L;
            for (int j = 0; j < n; ++j)
                correction += inverseNormal[i * kMatrixStride + j] * gradient[j];
            trial[i] = static_cast<double>(params[i] + correction);
        }
        long double trialGradient[kMaxParams];
        long double trialSum = 0.0L;
        const long double trialNorm =
            ResidualGradient(N, x, y, w, n, scaled, trial, trialGradient, trialSum);
        if (!(trialNorm < norm)) break;
        norm = trialNorm;
        sum = trialSum;
        for (int j = 0; j < n; ++j) {
            params[j] = trial[j];
            gradient[j] = trialGradient[j];
        }
    }
    chiSquare = static_cast<double>(sum);
}

}  // namespace

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
    TScaledPowers scaled = ScaleFor(N, x, w, n);
    double scaledParams[kMaxParams];
    LinearLeastSquares(x, y, w, N, ScaledPowerBasis, &scaled, n, scaledParams, chiSquare, u, v, sv,
                       ok);
    if (!ok) resultCode = kSvdInversionWarning;
    SvdCovariance(v, n, sv, covariance);
    if (ok) RefineSolution(N, x, y, w, n, scaled, covariance, scaledParams, chiSquare);
    // Back to the power basis of x: A_j = B_j / (norm_j scale^j), the covariance likewise.
    long double factor[kMaxParams];
    long double power = 1.0L;
    for (int j = 0; j < n; ++j) {
        factor[j] = 1.0L / (static_cast<long double>(scaled.ColumnNorm[j]) * power);
        power *= scaled.DoseScale;
    }
    for (int i = 0; i < n; ++i) {
        params[i] = static_cast<double>(scaledParams[i] * factor[i]);
        for (int j = 0; j < n; ++j) {
            double& element = covariance[i * kMatrixStride + j];
            element = static_cast<double>(element * factor[i] * factor[j]);
        }
    }
    // Without more points than parameters nothing is left to judge the fit by, known
    // errors or not.
    if (N <= n) {
        resultCode = kInsufficientErrorData;
        return;
    }
    if (WeightsLookUnknown(N, w))
        ScaleCovarianceByResiduals(N, n, chiSquare, covariance, resultCode);
}
