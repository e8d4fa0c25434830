#include "fitting/dose_support.h"

#include <algorithm>
#include <cmath>

#include "fitting/growth_fit.h"
#include "fitting/growth_functions.h"
#include "fitting/polynomial_roots.h"
#include "fitting/root_finding.h"

ErrorModel PlainModel(ErrorModel model) {
    if (model == kFixedStarPercentErrors) return kFixedPercentErrors;
    if (model == kFixedStarPercentVariances) return kFixedPercentVariances;
    return model;
}

void FailWithNote(TDoseWork& work, const char* phrase) {
    work.Note += phrase;
    work.Code = kIllConditioned;
}

void ClearWarning(ResultCode& code) {
    if (IsWarning(code)) code = kResultOk;
}

void FitCurve(TDoseWork& work, int curve) {
    TFitRecord& fit = work.Fit;
    TCurveFit result;
    double* params = curve == 1 ? fit.Params1 : fit.Params2;
    std::copy(params, params + kMaxParams, result.Params);
    FitGrowthCurve(curve, work.Model, work.Code1, work.Code2, work.Set1, work.Set2, work.Weights1,
                   work.Weights2, result, work.Note, work.Code);
    if (work.FitWarning == kResultOk)
        work.FitWarning = IsWarning(work.Code) ? work.Code : result.Warning;
    std::copy(result.Params, result.Params + kMaxParams, params);
    if (curve == 1) {
        std::copy(result.Cov, result.Cov + kMatrixSize, fit.Cov1);
        fit.ChiSquare1 = result.ChiSquare;
        fit.P1 = result.P;
        fit.R2_1 = result.R2;
    } else {
        std::copy(result.Cov, result.Cov + kMatrixSize, fit.Cov2);
        fit.ChiSquare2 = result.ChiSquare;
        fit.P2 = result.P;
        fit.R2_2 = result.R2;
    }
}

namespace {

void PassOnFatal(ResultCode local, ResultCode& code) {
    if (IsFatal(local)) code = local;
}

}  // namespace

double ShiftedValue(const TShiftedCurve& curve, double x, ResultCode& code) {
    ResultCode local = kResultOk;
    std::string scratch;
    double s1 = 0.0;
    double s2 = 0.0;
    const double value =
        EvaluateFit(curve.Code, curve.N, curve.Params, false, scratch, local, x, s1, s2, nullptr);
    PassOnFatal(local, code);
    return value - curve.Level;
}

double CurveSlope(const TShiftedCurve& curve, double x, ResultCode& code) {
    ResultCode local = kResultOk;
    const double slope = FunctionSlope(curve.Code, curve.N, curve.Params, local, x);
    PassOnFatal(local, code);
    return slope;
}

double CurveSigma(const TShiftedCurve& curve, double x, ResultCode& code) {
    std::string scratch;
    double s1 = 0.0;
    double s2 = 0.0;
    EvaluateFit(curve.Code, curve.N, curve.Params, true, scratch, code, x, s1, s2, curve.Cov);
    return s1;
}

bool LineVariance(const double* cov, double x, double& variance, ResultCode& code) {
    variance = cov[0] + 2.0 * x * cov[1] + x * x * cov[kMatrixStride + 1];
    if (variance <= -1e-10) {
        code = kInvalidCovariance;
        return false;
    }
    if (std::fabs(variance) < 1e-10) variance = 0.0;
    return true;
}

double ShiftedCurveCallback(double x, void* context, ResultCode& code) {
    return ShiftedValue(*static_cast<const TShiftedCurve*>(context), x, code);
}

TRootOutcome PolynomialRoot(const TShiftedCurve& curve, bool negativeSide, double& root,
                            ResultCode& code) {
    // An exactly vanishing leading coefficient would stall Laguerre's iteration: drop it.
    double coefficients[kMaxParams] = {};
    std::copy(curve.Params, curve.Params + curve.N, coefficients);
    coefficients[0] -= curve.Level;
    int degree = curve.N - 1;
    while (degree > 0 && coefficients[degree] == 0.0) --degree;
    if (degree < 1) return roNoCandidate;

    TComplex roots[kMaxParams] = {};
    PolynomialRoots(coefficients, degree, roots, true);

    bool candidate = false;
    for (int k = 0; k < degree; ++k) {
        const TComplex& r = negativeSide ? roots[degree - 1 - k] : roots[k];
        if (std::fabs(r.Im) > 1e-10) continue;
        if (negativeSide ? r.Re > 0.0 : r.Re < 0.0) continue;
        candidate = true;
        const double x = r.Re;
        const double below = ShiftedValue(curve, x - 0.01, code);
        const double above = ShiftedValue(curve, x + 0.01, code);
        const double slope = CurveSlope(curve, x, code);
        if (IsFatal(code)) return roNoneAccepted;
        if (below * above < 0.0 && slope > 0.0) {
            root = x;
            return roFound;
        }
    }
    return candidate ? roNoneAccepted : roNoCandidate;
}

TScanOutcome ScanRoot(const TShiftedCurve& curve, double x1, double x2, int steps,
                      bool requireNegativeStart, double& root, ResultCode& code) {
    constexpr int kMaxBrackets = 16;
    double earlier[kMaxBrackets] = {};
    double later[kMaxBrackets] = {};
    int count = std::min(steps, kMaxBrackets);
    ResultCode local = kResultOk;
    void* context = const_cast<TShiftedCurve*>(&curve);
    ScanRoots(ShiftedCurveCallback, context, local, steps, x1, x2, earlier, later, count);
    PassOnFatal(local, code);
    if (IsFatal(code)) return soNoBracket;

    int chosen = -1;
    for (int k = 0; k < count; ++k) {
        if (!requireNegativeStart || earlier[k] < 0.0) {
            chosen = k;
            break;
        }
    }
    if (chosen < 0) return soNoBracket;

    const double a = earlier[chosen];
    const double b = later[chosen];
    const double fa = ShiftedValue(curve, a, code);
    const double fb = ShiftedValue(curve, b, code);
    if (IsFatal(code)) return soNoBracket;
    if (fa * fb > 0.0) return soNotBracketed;
    local = kResultOk;
    root = BrentRoot(ShiftedCurveCallback, context, local, std::fabs(a) * 1e-4 + 1e-4, a, b);
    PassOnFatal(local, code);
    if (local == kRootFindingWarning) return soNotBracketed;
    return soFound;
}

bool WidenToCrossing(TScalarFunction f, void* context, ResultCode& code, double& a, double& b,
                     double limit) {
    constexpr int kMaxWidenings = 100;
    b = 0.0;
    double fa = f(a, context, code);
    double fb = f(b, context, code);
    if (IsFatal(code)) return false;
    if (fa * fb <= 0.0) return true;
    b = -a;
    fb = f(b, context, code);
    for (int widening = 0; fa * fb > 0.0 && std::fabs(a) < limit && widening < kMaxWidenings;
         ++widening) {
        if (widening == 0) {
            a *= 2.0;
        } else {
            a *= 1.6;
            b *= 1.6;
            fb = f(b, context, code);
        }
        fa = f(a, context, code);
        if (IsFatal(code)) return false;
    }
    return !IsFatal(code) && fa * fb <= 0.0;
}

double LargestDose(const TPointSet& set) {
    double largest = 0.0;
    for (int i = 0; i < set.Count; ++i) {
        if (i == 0 || set.Dose[i] > largest) largest = set.Dose[i];
    }
    return largest;
}

bool RisesFromOrigin(TDoseWork& work, const TShiftedCurve& curve, bool allowZeroSlope,
                     double& value0, double& slope0) {
    value0 = ShiftedValue(curve, 0.0, work.Code) + curve.Level;
    slope0 = CurveSlope(curve, 0.0, work.Code);
    if (IsFatal(work.Code)) return false;
    const bool rising = allowZeroSlope ? slope0 >= 0.0 : slope0 > 0.0;
    if (value0 >= 0.0 && rising) return true;
    FailWithNote(work, "function is negative or not increasing at 0; ");
    return false;
}

bool ScanSucceeded(TDoseWork& work, TScanOutcome outcome) {
    if (IsFatal(work.Code)) return false;
    if (outcome == soNoBracket) {
        FailWithNote(work, "no roots in expected range; ");
        return false;
    }
    if (outcome == soNotBracketed) {
        FailWithNote(work, "no root in expected range; ");
        return false;
    }
    return true;
}

bool SaturatingZeroCrossing(TDoseWork& work, const double* a, double& x) {
    if (a[1] >= 0.0 || a[2] == 0.0) {
        FailWithNote(work, "function not increasing or not saturating; ");
        return false;
    }
    const double g = -a[0] / a[1];
    if (!(g > 0.0)) {
        FailWithNote(work, "solution doesn't exist; ");
        return false;
    }
    x = -std::log(g) / a[2];
    return true;
}
