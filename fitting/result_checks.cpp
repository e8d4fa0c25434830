#include "fitting/result_checks.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "fitting/dose_estimation.h"
#include "fitting/growth_functions.h"

namespace {

constexpr double kSignificantRise = 3.0;  // standard errors

double CurveValue(FunctionCode code, int n, const double* params, double x) {
    std::string scratch;
    ResultCode local = kResultOk;
    double s1 = 0.0, s2 = 0.0;
    return EvaluateFit(code, n, params, false, scratch, local, x, s1, s2, nullptr);
}

bool VariancesDefined(int n, const double* cov) {
    if (n < 1) return false;
    for (int i = 0; i < n; ++i) {
        const double v = cov[i * kMatrixStride + i];
        if (!std::isfinite(v) || !(v > 0.0)) return false;
    }
    return true;
}

void DoseRange(const TPointSet& set, double& lowest, double& highest) {
    lowest = highest = 0.0;
    if (set.Count < 1) return;
    lowest = *std::min_element(set.Dose, set.Dose + set.Count);
    highest = *std::max_element(set.Dose, set.Dose + set.Count);
}

// One fitted curve a result is read from, and the measured doses it spans.
struct TCheckedCurve {
    FunctionCode Code = 0;
    int N = 0;
    const double* Params = nullptr;
    const double* Cov = nullptr;
    const TPointSet* Set = nullptr;
    bool Growth = true;  // the result is read from its rise
};

}  // namespace

TFittedRise FittedRise(FunctionCode code, int n, const double* params, const double* cov,
                       double from, double to) {
    TFittedRise r;
    r.Rise = CurveValue(code, n, params, to) - CurveValue(code, n, params, from);
    // Gradient of the rise by the parameters, by central differences of relative size.
    double gradient[kMaxParams] = {};
    double p[kMaxParams];
    std::copy(params, params + kMaxParams, p);
    for (int k = 0; k < n; ++k) {
        const double h = std::max(std::fabs(params[k]), 1e-12) * 1e-6;
        p[k] = params[k] + h;
        const double up = CurveValue(code, n, p, to) - CurveValue(code, n, p, from);
        p[k] = params[k] - h;
        const double down = CurveValue(code, n, p, to) - CurveValue(code, n, p, from);
        p[k] = params[k];
        gradient[k] = (up - down) / (2.0 * h);
    }
    double variance = 0.0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) variance += gradient[i] * cov[i * kMatrixStride + j] * gradient[j];
    r.Sigma = variance >= 0.0 && std::isfinite(variance) ? std::sqrt(variance)
                                                         : std::numeric_limits<double>::quiet_NaN();
    return r;
}

bool RiseIsSignificant(const TFittedRise& rise) {
    if (!std::isfinite(rise.Rise) || !(rise.Rise > 0.0)) return false;
    if (!std::isfinite(rise.Sigma)) return false;
    return rise.Rise >= kSignificantRise * rise.Sigma;
}

void CheckResultDefined(TDoseWork& work) {
    ResultCode& code = work.Code;
    if (code != kResultOk) return;
    const TFitRecord& fit = work.Fit;
    const int method = work.Method;
    if (method == dmDecayCorrection) return;  // a correction table, no result of its own
    if (work.FitWarning == kNoConvergenceWarning) {
        code = kNoConvergenceWarning;
        return;
    }

    const TCheckedCurve first{work.Code1, fit.NParams1, fit.Params1, fit.Cov1, &work.Set1};
    const TCheckedCurve second{work.Code2, fit.NParams2, fit.Params2, fit.Cov2, &work.Set2};
    TCheckedCurve curves[2];
    int count = 0;
    switch (method) {
        case dmTestFit:
            curves[count++] = first;
            curves[0].Growth = false;
            break;
        case dmAdditive:
        case dmTotalBleach:
            curves[count++] = first;
            break;
        case dmRegenerative:
            curves[count++] = second;
            break;
        case dmPartialBleach:
        case dmAlphaEfficiency:
            curves[count++] = first;
            curves[count++] = second;
            break;
        case dmCeramic:
            curves[count++] = first;
            if (work.Code1 == kLinearFunction) {
                curves[count++] = second;
            } else {
                curves[0].Growth = false;  // a slide: the result is a shift, not a level
            }
            break;
        case dmSlide:
        case dmSingleAliquot:
            curves[count++] = first;
            curves[0].Growth = false;
            break;
        default:
            return;
    }

    for (int c = 0; c < count; ++c) {
        if (!VariancesDefined(curves[c].N, curves[c].Cov)) {
            code = work.FitWarning != kResultOk ? work.FitWarning : kCovarianceWarning;
            return;
        }
    }
    if (method != dmTestFit && !(std::isfinite(fit.EDError) && fit.EDError > 0.0)) {
        code = kDoseErrorUndefined;
        return;
    }
    for (int c = 0; c < count; ++c) {
        if (!curves[c].Growth) continue;
        double lowest = 0.0, highest = 0.0;
        DoseRange(*curves[c].Set, lowest, highest);
        const TFittedRise rise = FittedRise(curves[c].Code, curves[c].N, curves[c].Params,
                                            curves[c].Cov, lowest, highest);
        if (!RiseIsSignificant(rise)) {
            code = kNoSignificantGrowth;
            return;
        }
    }
}
