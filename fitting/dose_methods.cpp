#include "fitting/dose_methods.h"

#include <algorithm>
#include <cmath>

#include "fitting/root_finding.h"
#include "fitting/weighting.h"

namespace {

bool IsLinearCode(FunctionCode code) {
    return code == 1 || code == 17;
}
bool IsQuadraticCode(FunctionCode code) {
    return code == 2 || code == 18;
}
bool IsHigherPolynomialCode(FunctionCode code) {
    return code == 4 || (code >= 19 && code <= 30);
}
constexpr FunctionCode kConstantFunction = 16;

// The ratio of the sensitivities to alpha and beta doses is scaled by this fixed constant.
constexpr double kAlphaScale = 13.0;

TShiftedCurve Curve1(const TDoseWork& work, double level) {
    return {work.Code1, work.Fit.NParams1, work.Fit.Params1, work.Fit.Cov1, level};
}

TShiftedCurve Curve2(const TDoseWork& work, double level) {
    return {work.Code2, work.Fit.NParams2, work.Fit.Params2, work.Fit.Cov2, level};
}

// EDError = sqrt(sF(x)^2 + sL^2) / |F'(x)|.
void DoseError(TDoseWork& work, const TShiftedCurve& curve, double x, double levelSigma) {
    const double sigma = CurveSigma(curve, x, work.Code);
    if (IsFatal(work.Code)) return;
    const double slope = CurveSlope(curve, x, work.Code);
    if (IsFatal(work.Code)) return;
    if (slope == 0.0) {
        FailWithNote(work, "can't compute error; ");
        return;
    }
    work.Fit.EDError = std::sqrt(sigma * sigma + levelSigma * levelSigma) / std::fabs(slope);
}

// Straight line: EDError = sqrt(C00 + 2x C01 + x^2 C11 + sL^2) / A2.
void LineDoseError(TDoseWork& work, const double* params, const double* cov, double x,
                   double levelSigma) {
    double variance = 0.0;
    if (!LineVariance(cov, x, variance, work.Code)) return;
    work.Fit.EDError = std::sqrt(variance + levelSigma * levelSigma) / params[1];
}

// Difference of two fitted curves, whose zero is their crossing.
struct TCrossing {
    TShiftedCurve First;
    TShiftedCurve Second;
};

double CrossingDifference(double x, void* context, ResultCode& code) {
    const TCrossing& c = *static_cast<const TCrossing*>(context);
    return ShiftedValue(c.First, x, code) - ShiftedValue(c.Second, x, code);
}

}  // namespace

void SolveBelowZero(TDoseWork& work, double level, double levelSigma) {
    TFitRecord& fit = work.Fit;
    const FunctionCode code = work.Code1;
    const double* a = fit.Params1;
    const TShiftedCurve curve = Curve1(work, level);
    double x = 0.0;

    if (IsLinearCode(code)) {
        if (!(a[1] > 0.0)) return FailWithNote(work, "function not increasing; ");
        x = (level - a[0]) / a[1];
        fit.ED = -x;
        return LineDoseError(work, a, fit.Cov1, x, levelSigma);
    }
    if (IsQuadraticCode(code)) {
        const double a1 = a[0] - level;
        const double d = a[1] * a[1] - 4.0 * a1 * a[2];
        if (d < 1e-10) return FailWithNote(work, "solution doesn't exist; ");
        if (std::fabs(a[2]) <= 1e-10) {
            if (a[1] <= 1e-10) return FailWithNote(work, "function not increasing; ");
            x = -a1 / a[1];
        } else {
            x = (std::sqrt(d) - a[1]) / (2.0 * a[2]);
        }
        fit.ED = -x;
        return DoseError(work, curve, x, levelSigma);
    }
    if (IsHigherPolynomialCode(code)) {
        double value0 = 0.0;
        double slope0 = 0.0;
        if (!RisesFromOrigin(work, curve, true, value0, slope0)) return;
        const TRootOutcome outcome = PolynomialRoot(curve, true, x, work.Code);
        if (IsFatal(work.Code)) return;
        if (outcome == roNoCandidate) {
            return FailWithNote(work, "no acceptable double solutions; ");
        }
        if (outcome == roNoneAccepted) return FailWithNote(work, "not double root; ");
        fit.ED = -x;
        return DoseError(work, curve, x, levelSigma);
    }
    if (code == kSaturatingExponential) {
        if (!(a[1] < 0.0) || a[2] == 0.0) return FailWithNote(work, "function not increasing; ");
        const double g = (level - a[0]) / a[1];
        if (!(g > 0.0)) return FailWithNote(work, "solution doesn't exist; ");
        x = -std::log(g) / a[2];
        fit.ED = -x;
        const double sigma = CurveSigma(curve, x, work.Code);
        if (IsFatal(work.Code)) return;
        if (sigma < 0.0) return FailWithNote(work, "can't compute error; ");
        return DoseError(work, curve, x, levelSigma);
    }
    if (code == kSaturatingExponentialLinear || IsUserDefinedCode(code)) {
        double value0 = 0.0;
        double slope0 = 0.0;
        if (!RisesFromOrigin(work, curve, false, value0, slope0)) return;
        const double xLinear = -(value0 - level) / slope0;
        TScanOutcome outcome = soNoBracket;
        if (code == kSaturatingExponentialLinear) {
            outcome = ScanRoot(curve, 2.0 * xLinear, -xLinear, 9, true, x, work.Code);
        } else {
            double x1 = xLinear;
            double x2 = 0.0;
            ResultCode local = kResultOk;
            TShiftedCurve context = curve;
            if (!ExpandBracket(ShiftedCurveCallback, &context, local, x1, x2)) {
                x1 = -3.0 * LargestDose(work.Set1);
                x2 = 0.0;
            }
            if (IsFatal(local)) work.Code = local;
            if (IsFatal(work.Code)) return;
            outcome = ScanRoot(curve, std::min(x1, x2), 0.0, 15, true, x, work.Code);
        }
        if (!ScanSucceeded(work, outcome)) return;
        fit.ED = -x;
        return DoseError(work, curve, x, levelSigma);
    }
    if (code == kConstantFunction) return FailWithNote(work, "function is constant; ");
    work.Code = kUnknownFunctionType;
}

void SolveTestFit(TDoseWork& work) {
    FitCurve(work, 1);
}

void SolveAdditive(TDoseWork& work) {
    FitCurve(work, 1);
    if (IsFatal(work.Code)) return;
    // A -20 left by the reweighting passes stays pending: the fitted curve's own error then
    // drops out of the dose error.
    double level = 0.0;
    double levelSigma = 0.0;
    if (work.Method == dmTotalBleach) {
        const TPointSet& bleached = work.Set2;
        GroupMean(PlainModel(work.Model), bleached.Count, bleached.Dose, bleached.Signal,
                  bleached.Error, work.Weights2, level, levelSigma, work.Code);
        if (IsFatal(work.Code)) return;
    }
    SolveBelowZero(work, level, levelSigma);
}

void SolvePartialBleach(TDoseWork& work) {
    TFitRecord& fit = work.Fit;
    FitCurve(work, 1);
    if (IsFatal(work.Code)) return;
    FitCurve(work, 2);
    if (IsFatal(work.Code)) return;

    const TShiftedCurve first = Curve1(work, 0.0);
    const TShiftedCurve second = Curve2(work, 0.0);
    double value1 = 0.0;
    double slope1 = 0.0;
    double value2 = 0.0;
    double slope2 = 0.0;
    if (!RisesFromOrigin(work, first, false, value1, slope1)) return;
    if (!RisesFromOrigin(work, second, false, value2, slope2)) return;

    ResultCode& code = work.Code;
    TCrossing crossing{first, second};
    double a = -value1 / slope1;
    double b = 0.0;
    if (!WidenToCrossing(CrossingDifference, &crossing, code, a, b, LargestDose(work.Set1))) {
        if (!IsFatal(code)) code = kRootFindingWarning;
        return;
    }
    double fa = CrossingDifference(a, &crossing, code);

    // Bisection keeping the sign change.
    for (int halving = 0; halving < 2000 && !(std::fabs(a - b) < 0.001 * std::fabs(a) + 1e-4);
         ++halving) {
        const double m = 0.5 * (a + b);
        const double fm = CrossingDifference(m, &crossing, code);
        if (fa * fm <= 0.0) {
            b = m;
        } else {
            a = m;
            fa = fm;
        }
    }
    if (IsFatal(code)) return;
    const double x = a;

    const double s = std::fabs(CurveSlope(first, x, code) - CurveSlope(second, x, code));
    if (IsFatal(code)) return;
    if (!(s > 0.0)) {
        fit.ED = 0.0;
        fit.EDError = 0.0;
        return FailWithNote(work, "functions not increasing at intercept; ");
    }
    fit.ED = -x;
    const double sigma1 = CurveSigma(first, x, code);
    const double sigma2 = CurveSigma(second, x, code);
    if (IsFatal(code)) return;
    fit.EDError = std::sqrt(sigma1 * sigma1 + sigma2 * sigma2) / s;
}

void SolveRegenerative(TDoseWork& work) {
    ResultCode& code = work.Code;
    WeightPoints(PlainModel(work.Model), work.Set1, work.Set2, work.Weights1, work.Weights2, code);
    if (IsFatal(code)) return;
    ClearWarning(code);
    FitCurve(work, 2);
    if (IsFatal(code)) return;
    ClearWarning(code);
    double natural = 0.0;
    double naturalSigma = 0.0;
    const TPointSet& set1 = work.Set1;
    GroupMean(PlainModel(work.Model), set1.Count, set1.Dose, set1.Signal, set1.Error, work.Weights1,
              natural, naturalSigma, code);
    if (IsFatal(code)) return;
    ClearWarning(code);

    SolveAboveZero(work, natural, naturalSigma);
}

void SolveAboveZero(TDoseWork& work, double natural, double naturalSigma) {
    TFitRecord& fit = work.Fit;
    ResultCode& code = work.Code;
    const FunctionCode code2 = work.Code2;
    const double* a = fit.Params2;
    const TShiftedCurve curve = Curve2(work, natural);
    double x = 0.0;

    if (IsLinearCode(code2)) {
        if (!(a[1] > 0.0)) return FailWithNote(work, "function not increasing; ");
        x = (natural - a[0]) / a[1];
        fit.ED = x;
        return LineDoseError(work, a, fit.Cov2, x, naturalSigma);
    }
    if (IsQuadraticCode(code2)) {
        const double a1 = a[0] - natural;
        const double d = a[1] * a[1] - 4.0 * a1 * a[2];
        if (d < 1e-10) return FailWithNote(work, "problem has no solution; ");
        if (std::fabs(a[2]) <= 1e-10) {
            if (a[1] <= 1e-10) return FailWithNote(work, "function not increasing; ");
            x = -a1 / a[1];
        } else {
            x = (std::sqrt(d) - a[1]) / (2.0 * a[2]);
        }
        fit.ED = x;
        return DoseError(work, curve, x, naturalSigma);
    }
    if (IsHigherPolynomialCode(code2)) {
        const TRootOutcome outcome = PolynomialRoot(curve, false, x, code);
        if (IsFatal(code)) return;
        if (outcome == roNoCandidate) {
            return FailWithNote(work, "no accaptable double solutions; ");
        }
        if (outcome == roNoneAccepted) {
            return FailWithNote(work, "function not increasing at ED; ");
        }
        fit.ED = x;
        return DoseError(work, curve, x, naturalSigma);
    }
    if (code2 == kSaturatingExponential) {
        // A flat curve (A2 = 0) or one without decay constant (A3 = 0) has no solution.
        if (a[1] == 0.0 || a[2] == 0.0) return FailWithNote(work, "solution doesn't exist; ");
        const double g = (natural - a[0]) / a[1];
        if (!(g > 0.0)) return FailWithNote(work, "solution doesn't exist; ");
        x = -std::log(g) / a[2];
        fit.ED = x;
        const double sigma = CurveSigma(curve, x, code);
        if (IsFatal(code)) return;
        if (sigma < 0.0 || (sigma > 100000.0 && sigma / std::fabs(x) > 10.0)) {
            return FailWithNote(work, "error too big or can't be computed; ");
        }
        return DoseError(work, curve, x, naturalSigma);
    }
    if (code2 == kSaturatingExponentialLinear || IsUserDefinedCode(code2)) {
        const double largest = LargestDose(work.Set2);
        double x1 = 0.0;
        double x2 = 3.0 * largest;
        int steps = 9;
        if (IsUserDefinedCode(code2)) {
            steps = 15;
            x2 = largest;
            ResultCode local = kResultOk;
            TShiftedCurve context = curve;
            if (!ExpandBracket(ShiftedCurveCallback, &context, local, x1, x2)) {
                x1 = 0.0;
                x2 = 3.0 * largest;
            }
            if (IsFatal(local)) code = local;
            if (IsFatal(code)) return;
        }
        const TScanOutcome outcome = ScanRoot(curve, x1, x2, steps, false, x, code);
        if (!ScanSucceeded(work, outcome)) return;
        fit.ED = x;
        return DoseError(work, curve, x, naturalSigma);
    }
    if (code2 == kConstantFunction) return FailWithNote(work, "constant function; ");
    code = kUnknownFunctionType;
}

void SolveCeramicLinear(TDoseWork& work) {
    TFitRecord& fit = work.Fit;
    FitCurve(work, 1);
    if (IsFatal(work.Code)) return;
    FitCurve(work, 2);
    if (IsFatal(work.Code)) return;
    const double* a = fit.Params1;
    const double* b = fit.Params2;
    if (!(a[1] > 0.0) || !(b[1] > 0.0)) return FailWithNote(work, "function not increasing; ");
    const double x1 = -a[0] / a[1];
    const double x2 = -b[0] / b[1];
    fit.ED = x2 - x1;
    double variance1 = 0.0;
    double variance2 = 0.0;
    if (!LineVariance(fit.Cov1, x1, variance1, work.Code)) return;
    if (!LineVariance(fit.Cov2, x2, variance2, work.Code)) return;
    fit.EDError = std::sqrt(variance1 / (a[1] * a[1]) + variance2 / (b[1] * b[1]));
}

namespace {

// Dose (positive) at which a saturating exponential would have started from zero signal,
// and its error; false after a note or a fatal code.
bool SaturationIntercept(TDoseWork& work, const TShiftedCurve& curve, double& dose,
                         double& doseSigma) {
    double x = 0.0;
    if (!SaturatingZeroCrossing(work, curve.Params, x)) return false;
    const double sigma = CurveSigma(curve, x, work.Code);
    const double slope = CurveSlope(curve, x, work.Code);
    if (IsFatal(work.Code)) return false;
    if (sigma < 0.0 || slope == 0.0) {
        FailWithNote(work, "can't compute errror; ");
        return false;
    }
    dose = -x;
    doseSigma = sigma / std::fabs(slope);
    return true;
}

}  // namespace

void SolveAlphaEfficiency(TDoseWork& work) {
    TFitRecord& fit = work.Fit;
    FitCurve(work, 1);
    if (IsFatal(work.Code)) return;
    FitCurve(work, 2);
    if (IsFatal(work.Code)) return;

    if (IsLinearCode(work.Code1)) {
        const double s1 = fit.Params1[1];
        const double s2 = fit.Params2[1];
        constexpr int c11 = kMatrixStride + 1;
        if (!(s1 > 0.0) || !(s2 > 0.0)) return FailWithNote(work, "solution doesn't exist; ");
        const double r = fit.Cov1[c11] / (s1 * s1) + fit.Cov2[c11] / (s2 * s2);
        if (!(r >= 0.0)) return FailWithNote(work, "solution doesn't exist; ");
        fit.ED = s2 / (kAlphaScale * s1);
        fit.EDError = fit.ED * std::sqrt(r);
        return;
    }
    double x1 = 0.0;
    double sigma1 = 0.0;
    double x2 = 0.0;
    double sigma2 = 0.0;
    if (!SaturationIntercept(work, Curve1(work, 0.0), x1, sigma1)) return;
    if (!SaturationIntercept(work, Curve2(work, 0.0), x2, sigma2)) return;
    if (!(x1 * x2 > 0.0)) return FailWithNote(work, "solution doesn't exist; ");
    fit.ED = x1 / (kAlphaScale * x2);
    const double r1 = sigma1 / x1;
    const double r2 = sigma2 / x2;
    fit.EDError = fit.ED * std::sqrt(r1 * r1 + r2 * r2);
}
