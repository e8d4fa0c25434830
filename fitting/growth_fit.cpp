#include "fitting/growth_fit.h"

#include <cmath>

#include "fitting/fit_decay.h"
#include "fitting/fit_exponential.h"
#include "fitting/fit_polynomial.h"
#include "fitting/growth_functions.h"
#include "fitting/index_sort.h"
#include "fitting/special_functions.h"
#include "fitting/weighting.h"

namespace {

bool FitIsFinite(int n, const double* params, const double* covariance, double chiSquare) {
    if (!std::isfinite(chiSquare)) return false;
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(params[i])) return false;
        for (int j = 0; j < n; ++j) {
            if (!std::isfinite(covariance[i * kMatrixStride + j])) return false;
        }
    }
    return true;
}

constexpr int kMaxReweightPasses = 101;
constexpr double kSettledChiSquare = 0.01;
constexpr double kSmallestRSquared = 1e-6;
// R2 of an exact fit comes out a few ulps above 1; only a clear excess means trouble.
constexpr double kRSquaredRoundoff = 1e-9;

// One fit of the points by function code; a warning of the fit is cleared from the
// computation's code and kept in `warning` (when given), so that a result which turns out to
// have no defined error can still say why. A failed first guess of the exponent that the
// search then recovered from says nothing about the result and is not kept.
void FitByCode(FunctionCode code, int N, const double* x, const double* y, const double* w, int n,
               double* params, double* covariance, double& chiSquare, std::string& note,
               ResultCode& resultCode, ResultCode* warning) {
    if (IsPolynomialCode(code)) {
        FitPolynomial(N, x, y, w, n, params, covariance, chiSquare, resultCode);
    } else if (code == kSaturatingExponential || code == kSaturatingExponentialLinear) {
        FitExponential(N, x, y, w, n, code, params, covariance, chiSquare, note, resultCode);
    } else if (IsUserDefinedCode(code) || IsDecayCode(code)) {
        FitDecay(N, x, y, w, n, code, params, covariance, chiSquare, resultCode);
    } else {
        resultCode = kUnknownFunctionType;
    }
    if (IsFatal(resultCode)) return;
    // Data near the limits of double precision can overflow in the sums of a fit that
    // otherwise reports nothing; such a fit is no result.
    if (!FitIsFinite(n, params, covariance, chiSquare)) {
        resultCode = kIllConditioned;
        note += "numeric value too big; ";
        return;
    }
    if (IsWarning(resultCode)) {
        if (warning != nullptr && resultCode != kInitialFitWarning) *warning = resultCode;
        resultCode = kResultOk;
    }
}

// Fit followed by the reweighting passes of the starred error models, which weight each
// point by its fraction of the fitted value. Returns X2.
double FitAndReweight(ErrorModel model, FunctionCode code, int N, const double* x, const double* y,
                      const double* errors, double* w, int n, double* params, double* covariance,
                      std::string& note, ResultCode& resultCode, ResultCode* warning) {
    double chiSquare = 0.0;
    if (warning != nullptr) *warning = kResultOk;
    FitByCode(code, N, x, y, w, n, params, covariance, chiSquare, note, resultCode, warning);
    if (IsFatal(resultCode)) return chiSquare;
    if (model != kFixedStarPercentErrors && model != kFixedStarPercentVariances) return chiSquare;
    std::string scratch;
    double fitted[kPointCapacity];
    for (int pass = 1;; ++pass) {
        const double previous = chiSquare;
        for (int i = 0; i < N; ++i) {
            double s1, s2;
            fitted[i] =
                EvaluateFit(code, n, params, false, scratch, resultCode, x[i], s1, s2, covariance);
        }
        if (IsFatal(resultCode)) return chiSquare;
        ReweightFromFit(model, N, errors, fitted, w, resultCode);
        if (IsFatal(resultCode)) return chiSquare;
        if (warning != nullptr) *warning = kResultOk;  // the last pass's fit is the result
        FitByCode(code, N, x, y, w, n, params, covariance, chiSquare, note, resultCode, warning);
        if (IsFatal(resultCode)) return chiSquare;
        if (std::fabs(chiSquare - previous) < kSettledChiSquare) break;
        if (pass == kMaxReweightPasses) {
            resultCode = kNoConvergenceWarning;
            break;
        }
    }
    return chiSquare;
}

ErrorModel PlainModel(ErrorModel model) {
    if (model == kFixedStarPercentErrors) return kFixedPercentErrors;
    if (model == kFixedStarPercentVariances) return kFixedPercentVariances;
    return model;
}

}  // namespace

double FitRSquared(int N, const double* x, const double* y, const double* params, int n,
                   const double* w) {
    if (N < 2 || n < 1) return 0.0;
    double weightSum = 0.0, meanY = 0.0;
    double meanPower[kMaxParams] = {};
    for (int i = 0; i < N; ++i) {
        weightSum += w[i];
        meanY += w[i] * y[i];
        double power = 1.0;
        for (int k = 1; k < n; ++k) {
            power *= x[i];
            meanPower[k] += w[i] * power;
        }
    }
    if (!(weightSum > 0.0)) return 0.0;
    meanY /= weightSum;
    for (int k = 1; k < n; ++k) meanPower[k] /= weightSum;
    double variance = 0.0;
    double covariance[kMaxParams] = {};
    for (int i = 0; i < N; ++i) {
        const double dy = y[i] - meanY;
        variance += w[i] * dy * dy;
        double power = 1.0;
        for (int k = 1; k < n; ++k) {
            power *= x[i];
            covariance[k] += w[i] * (power - meanPower[k]) * dy;
        }
    }
    const double bias = static_cast<double>(N) / (N - 1);
    variance = variance / weightSum * bias;
    // Signals that all agree leave the ratio undefined.
    if (!(variance > 0.0)) return 0.0;
    double explained = 0.0;
    for (int k = 1; k < n; ++k) explained += params[k] * covariance[k] / weightSum * bias;
    return explained / variance;
}

void FitGrowthCurve(int curve, ErrorModel model, FunctionCode code1, FunctionCode code2,
                    TPointSet& set1, TPointSet& set2, double* weights1, double* weights2,
                    TCurveFit& result, std::string& note, ResultCode& resultCode) {
    if (curve != 1 && curve != 2) {
        resultCode = kInputControlDataError;
        return;
    }
    if (curve == 1) {
        if (code2 == kCorrectionTable) {
            // The correction table is no growth curve: it takes no part in the weighting.
            TPointSet empty;
            WeightPoints(PlainModel(model), set1, empty, weights1, weights2, resultCode);
        } else {
            WeightPoints(PlainModel(model), set1, set2, weights1, weights2, resultCode);
        }
        if (IsFatal(resultCode)) return;
    }
    const FunctionCode code = curve == 1 ? code1 : code2;
    TPointSet& set = curve == 1 ? set1 : set2;
    double* weights = curve == 1 ? weights1 : weights2;
    const int n = ParameterCount(code);
    if (n < 1) {
        resultCode = kUnknownFunctionType;
        return;
    }
    result.NParams = n;
    const int N = set.Count;
    result.ChiSquare = FitAndReweight(model, code, N, set.Dose, set.Signal, set.Error, weights, n,
                                      result.Params, result.Cov, note, resultCode, &result.Warning);
    if (IsFatal(resultCode)) return;
    result.R2 = 0.0;
    if (IsPolynomialCode(code)) {
        double r2 = FitRSquared(N, set.Dose, set.Signal, result.Params, n, weights);
        if (r2 > 1.0 && r2 <= 1.0 + kRSquaredRoundoff) r2 = 1.0;
        if (!(r2 <= 1.0 && r2 >= kSmallestRSquared)) {
            result.R2 = 0.0;
            resultCode = kIllConditioned;
            note += "too many parameters?; ";
            return;
        }
        result.R2 = r2;
    }
    result.P = GammaQ((N - n) / 2.0, result.ChiSquare / 2.0);
}

double FitCombined(ErrorModel model, FunctionCode code, int N1, const TPointSet& set1,
                   const double* weights1, int N2, const TPointSet& set2, const double* weights2,
                   double scale, double shift, double* params, double* covariance,
                   std::string& note, ResultCode& resultCode) {
    if (N1 < 0 || N2 < 0) {
        resultCode = kInputControlDataError;
        return 0.0;
    }
    if (N1 + N2 > kMaxPoints) {
        resultCode = kTooManyDataPoints;
        return 0.0;
    }
    const int n = ParameterCount(code);
    if (n < 1) {
        resultCode = kUnknownFunctionType;
        return 0.0;
    }
    // The second set's weights follow its signals into the first set's scale.
    double weightFactor = 1.0;
    if (model == kCalculatedErrors || model == kFixedPercentErrors ||
        model == kFixedStarPercentErrors) {
        weightFactor = 1.0 / (scale * scale);
    } else if (model == kFixedPercentVariances || model == kFixedStarPercentVariances) {
        weightFactor = 1.0 / scale;
    }
    const int N = N1 + N2;
    double dose[kPointCapacity], signal[kPointCapacity], error[kPointCapacity],
        weight[kPointCapacity];
    for (int i = 0; i < N1; ++i) {
        dose[i] = set1.Dose[i];
        signal[i] = set1.Signal[i];
        error[i] = set1.Error[i];
        weight[i] = weights1[i];
    }
    for (int i = 0; i < N2; ++i) {
        dose[N1 + i] = set2.Dose[i] - shift;
        signal[N1 + i] = set2.Signal[i] * scale;
        error[N1 + i] = set2.Error[i];
        weight[N1 + i] = weights2[i] * weightFactor;
    }
    int index[kPointCapacity];
    IndexSort(N, dose, index);
    double x[kPointCapacity], y[kPointCapacity], e[kPointCapacity], w[kPointCapacity];
    for (int i = 0; i < N; ++i) {
        x[i] = dose[index[i]];
        y[i] = signal[index[i]];
        e[i] = error[index[i]];
        w[i] = weight[index[i]];
    }
    return FitAndReweight(model, code, N, x, y, e, w, n, params, covariance, note, resultCode,
                          nullptr);
}
