#include "fitting/fit_decay.h"

#include <cmath>

#include "fitting/covariance_scaling.h"
#include "fitting/engine_limits.h"
#include "fitting/linear_solvers.h"

namespace {

constexpr double kStartLambda = 0.001;
constexpr double kSmallChange = 0.1;
// Each accepted step lowers chi-square by at least 0.1 or counts toward the end; the cap
// only guards against absurd chi-square magnitudes.
constexpr int kMaxSteps = 1000;

// F = A1 + sum A2k exp(-A2k+1 x) and its parameter gradient.
double DecayValue(int n, const double* a, double x, double* g) {
    g[0] = 1.0;
    double value = a[0];
    for (int j = 1; j + 1 < n; j += 2) {
        const double e = std::exp(-a[j + 1] * x);
        g[j] = e;
        g[j + 1] = -x * a[j] * e;
        value += a[j] * e;
    }
    return value;
}

// Curvature matrix alpha = J^T W J, beta = J^T W r and chi-square at the parameters a.
void Curvature(int N, const double* x, const double* y, const double* w, int n, const double* a,
               double* alpha, double* beta, double& chiSquare) {
    for (int j = 0; j < n; ++j) {
        beta[j] = 0.0;
        for (int k = 0; k < n; ++k) alpha[j * kMatrixStride + k] = 0.0;
    }
    chiSquare = 0.0;
    double g[kMaxParams];
    for (int i = 0; i < N; ++i) {
        const double dy = y[i] - DecayValue(n, a, x[i], g);
        for (int j = 0; j < n; ++j) {
            const double wt = g[j] * w[i];
            for (int k = 0; k <= j; ++k) alpha[j * kMatrixStride + k] += wt * g[k];
            beta[j] += dy * wt;
        }
        chiSquare += dy * dy * w[i];
    }
    for (int j = 1; j < n; ++j) {
        for (int k = 0; k < j; ++k) alpha[k * kMatrixStride + j] = alpha[j * kMatrixStride + k];
    }
}

// Solves (alpha with its diagonal times 1 + lambda) step = beta by Gauss-Jordan elimination;
// `inverse` receives the inverse of that matrix and `step` (column 0) the solution. False
// when the matrix is singular.
bool SolveDamped(int n, const double* alpha, const double* beta, double lambda, double* inverse,
                 double* step) {
    for (int j = 0; j < n; ++j) {
        for (int k = 0; k < n; ++k) inverse[j * kMatrixStride + k] = alpha[j * kMatrixStride + k];
        inverse[j * kMatrixStride + j] *= 1.0 + lambda;
        step[j * kMatrixStride] = beta[j];
    }
    bool ok = true;
    GaussJordan(inverse, n, step, 1, ok);
    return ok;
}

}  // namespace

// Levenberg-Marquardt (Numerical Recipes' mrqmin).
void FitDecay(int N, const double* x, const double* y, const double* w, int n, FunctionCode code,
              double* params, double* covariance, double& chiSquare, ResultCode& resultCode) {
    chiSquare = 0.0;
    if (!IsDecayCode(code)) {
        // User-defined codes have no model to fit.
        resultCode = kUnknownFunctionType;
        return;
    }
    if (n != ParameterCount(code)) {
        resultCode = kInvalidParameterCount;
        return;
    }
    if (N < 1 || N > kMaxPoints) {
        resultCode = kInputControlDataError;
        return;
    }
    // Without more points than parameters the decay is not determined, whatever the errors.
    if (N <= n) {
        resultCode = kInsufficientErrorData;
        return;
    }
    double alpha[kMatrixSize], beta[kMaxParams];
    double trialAlpha[kMatrixSize], trialBeta[kMaxParams];
    double step[kMatrixSize];
    double trial[kMaxParams];
    Curvature(N, x, y, w, n, params, alpha, beta, chiSquare);
    double lambda = kStartLambda;
    int smallChanges = 0;
    for (int iteration = 0; iteration < kMaxSteps && smallChanges < 2; ++iteration) {
        if (!SolveDamped(n, alpha, beta, lambda, covariance, step)) {
            resultCode = kInitialFitFailed;
            return;
        }
        for (int j = 0; j < n; ++j) trial[j] = params[j] + step[j * kMatrixStride];
        double trialChiSquare;
        Curvature(N, x, y, w, n, trial, trialAlpha, trialBeta, trialChiSquare);
        double change = 0.0;
        if (trialChiSquare < chiSquare) {
            change = chiSquare - trialChiSquare;
            lambda *= 0.1;
            chiSquare = trialChiSquare;
            for (int j = 0; j < n; ++j) {
                params[j] = trial[j];
                beta[j] = trialBeta[j];
                for (int k = 0; k < n; ++k) {
                    alpha[j * kMatrixStride + k] = trialAlpha[j * kMatrixStride + k];
                }
            }
        } else {
            lambda *= 10.0;
        }
        if (change < kSmallChange) ++smallChanges;
    }
    // Covariance: the inverse of the curvature matrix without damping.
    if (!SolveDamped(n, alpha, beta, 0.0, covariance, step)) {
        resultCode = kInitialFitFailed;
        return;
    }
    if (WeightsLookUnknown(N, w))
        ScaleCovarianceByResiduals(N, n, chiSquare, covariance, resultCode);
}
