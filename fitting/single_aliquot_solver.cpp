#include "fitting/single_aliquot_solver.h"

#include <algorithm>
#include <cmath>

#include "fitting/fit_decay.h"
#include "fitting/fit_exponential.h"
#include "fitting/fit_polynomial.h"
#include "fitting/growth_fit.h"
#include "fitting/index_sort.h"
#include "fitting/root_finding.h"
#include "fitting/special_functions.h"

namespace {

constexpr int kMaxIterations = 100;

// Fixed % variances: the first error entry is the fraction f, and every point's error becomes
// sqrt(f x signal), after which the points count as having arbitrary errors.
bool ApplyFixedVariances(TPointSet& set, ResultCode& code) {
    const double fraction = set.Error[0];
    if (!(fraction > 0.0 && fraction <= 1.0)) {
        code = kInvalidErrorValue;
        return false;
    }
    for (int i = 0; i < set.Count; ++i) {
        if (set.Signal[i] < 0.0) {
            code = kInvalidSignalValue;
            return false;
        }
    }
    for (int i = set.Count - 1; i >= 0; --i) set.Error[i] = std::sqrt(set.Signal[i] * fraction);
    return true;
}

// Puts the points of a set into dose order (dose, signal and error together).
void SortByDose(TPointSet& set) {
    int order[kPointCapacity] = {};
    IndexSort(set.Count, set.Dose, order);
    TPointSet sorted;
    sorted.Count = set.Count;
    for (int i = 0; i < set.Count; ++i) {
        sorted.Dose[i] = set.Dose[order[i]];
        sorted.Signal[i] = set.Signal[order[i]];
        sorted.Error[i] = set.Error[order[i]];
    }
    set = sorted;
}

}  // namespace

void SolveDecayCorrection(TDoseWork& work) {
    TPointSet& depletion = work.Set1;
    TPointSet& table = work.Set2;
    TFitRecord& fit = work.Fit;
    ResultCode& code = work.Code;
    const int count1 = depletion.Count;
    const int count2 = table.Count;
    if (count1 < 1 || count2 < 1 || count1 % count2 != 0 ||
        (work.Model != kArbitraryErrors && work.Model != kFixedPercentVariances) ||
        (work.Code1 != kLinearFunction && !IsDecayCode(work.Code1)) ||
        work.Code2 != kCorrectionTable) {
        code = kInputControlDataError;
        return;
    }
    if (work.Model == kFixedPercentVariances && !ApplyFixedVariances(depletion, code)) return;
    work.Model = kArbitraryErrors;

    // Each depletion aliquot's block of cycles is normalised to its first measurement.
    for (int start = 0; start < count1; start += count2) {
        const double first = depletion.Signal[start];
        if (!(first > 0.0)) {
            code = kInvalidSignalValue;
            return;
        }
        for (int i = start; i < start + count2; ++i) {
            depletion.Signal[i] /= first;
            depletion.Error[i] /= first;
        }
    }
    SortByDose(depletion);

    // Start values of a decay fit from a single saturating exponential; the further
    // exponentials start a third of the way along.
    if (work.Code1 > kLinearFunction && fit.Params1[2] == 0.0) {
        std::fill(work.Weights1, work.Weights1 + count1, 1.0);
        double chiSquare = 0.0;
        FitExponential(count1, depletion.Dose, depletion.Signal, work.Weights1, 3,
                       kSaturatingExponential, fit.Params1, fit.Cov1, chiSquare, work.Note, code);
        if (IsFatal(code)) return;
        if (code == kInitialFitWarning) code = kResultOk;
        for (int j = 3; j < fit.NParams1; ++j) fit.Params1[j] = fit.Params1[j - 2] / 3.0;
    }

    FitCurve(work, 1);
    if (IsFatal(code)) return;

    const TShiftedCurve curve{work.Code1, fit.NParams1, fit.Params1, fit.Cov1, 0.0};
    const double firstCycle = ShiftedValue(curve, 1.0, code);
    if (IsFatal(code)) return;
    if (!(firstCycle > 0.0)) {
        code = kInvalidSignalValue;
        return;
    }
    for (int m = 1; m <= count2; ++m) {
        const double value = ShiftedValue(curve, m, code);
        const double sigma = CurveSigma(curve, m, code);
        if (IsFatal(code)) return;
        table.Dose[m - 1] = m;
        table.Signal[m - 1] = value / firstCycle;
        table.Error[m - 1] = sigma / firstCycle;
    }
    table.Error[0] = 0.0;
}

namespace {

// The measurements of one aliquot and the correction table, with the effective doses for
// the current estimate of the equivalent dose.
struct TAliquot {
    int Count = 0;
    const double* Added = nullptr;  // dose added before each measurement (entry 0 unused)
    const double* Signal = nullptr;
    const double* Error = nullptr;
    const double* Remaining = nullptr;       // C[j]
    const double* RemainingError = nullptr;  // sC[j]
    double Dose[kPointCapacity] = {};        // effective doses x_i
    double Variance[kPointCapacity] = {};    // their variances v_i from the table
    double Weight[kPointCapacity] = {};
};

// x_i = -E + sum over o <= i of D_o C[i - o] and v_i = sum (D_o sC[i - o])^2, the natural
// dose E counting as the first dose D_0.
void EffectiveDoses(TAliquot& aliquot, double estimate) {
    for (int i = 0; i < aliquot.Count; ++i) {
        double dose = -estimate;
        double variance = 0.0;
        for (int o = 0; o <= i; ++o) {
            const double added = o == 0 ? estimate : aliquot.Added[o];
            dose += added * aliquot.Remaining[i - o];
            const double spread = added * aliquot.RemainingError[i - o];
            variance += spread * spread;
        }
        aliquot.Dose[i] = dose;
        aliquot.Variance[i] = variance;
    }
}

bool Converged(double previous, double estimate) {
    return std::fabs(previous - estimate) < 1e-6 * std::fabs(estimate);
}

// Straight line through the effective doses; ED = A1/A2, the dose intercept.
void SolveLinearAliquot(TDoseWork& work, TAliquot& aliquot, int& iterations) {
    TFitRecord& fit = work.Fit;
    ResultCode& code = work.Code;
    const double* a = fit.Params1;
    auto refit = [&]() {
        FitPolynomial(aliquot.Count, aliquot.Dose, aliquot.Signal, aliquot.Weight, 2, fit.Params1,
                      fit.Cov1, fit.ChiSquare1, code);
        if (IsFatal(code)) return false;
        ClearWarning(code);
        if (a[1] > 0.0) return true;
        FailWithNote(work, "function not increasing at 0; ");
        return false;
    };

    EffectiveDoses(aliquot, fit.ED);
    for (int i = 0; i < aliquot.Count; ++i) {
        aliquot.Weight[i] = 1.0 / (aliquot.Error[i] * aliquot.Error[i]);
    }
    if (!refit()) return;
    double estimate = a[0] / a[1];
    while (true) {
        ++iterations;
        const double previous = estimate;
        EffectiveDoses(aliquot, estimate);
        for (int i = 0; i < aliquot.Count; ++i) {
            const double e = aliquot.Error[i];
            aliquot.Weight[i] = 1.0 / (e * e + a[1] * a[1] * aliquot.Variance[i]);
        }
        if (!refit()) return;
        estimate = a[0] / a[1];
        if (Converged(previous, estimate) || iterations == kMaxIterations) break;
    }

    const double x = -a[0] / a[1];
    double variance = 0.0;
    if (!LineVariance(fit.Cov1, x, variance, code)) return;
    fit.EDError = std::sqrt(variance) / std::fabs(a[1]);
    fit.ED = a[0] / a[1];
    const double r2 =
        FitRSquared(aliquot.Count, aliquot.Dose, aliquot.Signal, a, 2, aliquot.Weight);
    if (r2 > 1.0 || r2 < 1e-6) {
        fit.R2_1 = 0.0;
        return FailWithNote(work, "too many parameters?; ");
    }
    fit.R2_1 = r2;
}

// Dose (negative) where the fitted curve reaches zero signal; false after a note.
bool CurveIntercept(TDoseWork& work, double& intercept) {
    TFitRecord& fit = work.Fit;
    ResultCode& code = work.Code;
    const double* a = fit.Params1;
    const TShiftedCurve curve{work.Code1, fit.NParams1, fit.Params1, fit.Cov1, 0.0};
    if (work.Code1 == kSaturatingExponential) return SaturatingZeroCrossing(work, a, intercept);
    double value0 = 0.0;
    double slope0 = 0.0;
    if (!RisesFromOrigin(work, curve, false, value0, slope0)) return false;
    const double xLinear = -value0 / slope0;
    double x1 = 2.0 * xLinear;
    double x2 = -xLinear;
    int steps = 9;
    if (IsUserDefinedCode(work.Code1)) {
        steps = 15;
        x1 = xLinear;
        x2 = 0.0;
        ResultCode local = kResultOk;
        TShiftedCurve context = curve;
        if (!ExpandBracket(ShiftedCurveCallback, &context, local, x1, x2)) {
            x1 = -3.0 * LargestDose(work.Set1);
            x2 = 0.0;
        }
        if (IsFatal(local)) code = local;
        if (IsFatal(code)) return false;
        x1 = std::min(x1, x2);
        x2 = 0.0;
    }
    return ScanSucceeded(work, ScanRoot(curve, x1, x2, steps, true, intercept, code));
}

// Saturating exponential (+ linear) or user-defined curve through the effective doses,
// weighted with the table's dose variance carried through the slope of the previous fit.
void SolveCurvedAliquot(TDoseWork& work, TAliquot& aliquot, int& iterations) {
    TFitRecord& fit = work.Fit;
    ResultCode& code = work.Code;
    const int n = fit.NParams1;
    const TShiftedCurve curve{work.Code1, n, fit.Params1, fit.Cov1, 0.0};
    auto refit = [&]() {
        int order[kPointCapacity] = {};
        double x[kPointCapacity] = {};
        double y[kPointCapacity] = {};
        double w[kPointCapacity] = {};
        IndexSort(aliquot.Count, aliquot.Dose, order);
        for (int i = 0; i < aliquot.Count; ++i) {
            x[i] = aliquot.Dose[order[i]];
            y[i] = aliquot.Signal[order[i]];
            w[i] = aliquot.Weight[order[i]];
        }
        if (IsUserDefinedCode(work.Code1)) {
            FitDecay(aliquot.Count, x, y, w, n, work.Code1, fit.Params1, fit.Cov1, fit.ChiSquare1,
                     code);
        } else {
            FitExponential(aliquot.Count, x, y, w, n, work.Code1, fit.Params1, fit.Cov1,
                           fit.ChiSquare1, work.Note, code);
        }
        if (IsFatal(code)) return false;
        ClearWarning(code);
        return true;
    };

    EffectiveDoses(aliquot, fit.ED);
    for (int i = 0; i < aliquot.Count; ++i) {
        aliquot.Weight[i] = 1.0 / (aliquot.Error[i] * aliquot.Error[i]);
    }
    double intercept = 0.0;
    if (!refit() || !CurveIntercept(work, intercept)) return;
    while (true) {
        ++iterations;
        const double previous = -intercept;
        EffectiveDoses(aliquot, -intercept);
        for (int i = 0; i < aliquot.Count; ++i) {
            const double slope = CurveSlope(curve, aliquot.Dose[i], code);
            const double e = aliquot.Error[i];
            aliquot.Weight[i] = 1.0 / (slope * slope * aliquot.Variance[i] + e * e);
        }
        if (IsFatal(code)) return;
        if (!refit() || !CurveIntercept(work, intercept)) return;
        if (Converged(previous, -intercept) || iterations == kMaxIterations) break;
    }

    const double sigma = CurveSigma(curve, intercept, code);
    const double slope = CurveSlope(curve, intercept, code);
    if (IsFatal(code)) return;
    if (sigma < 0.0 || slope == 0.0) return FailWithNote(work, "can't compute error; ");
    fit.EDError = std::fabs(sigma) / std::fabs(slope);
    fit.ED = -intercept;
}

}  // namespace

void SolveSingleAliquot(TDoseWork& work) {
    TPointSet& measured = work.Set1;
    const TPointSet& table = work.Set2;
    TFitRecord& fit = work.Fit;
    ResultCode& code = work.Code;
    const int count1 = measured.Count;
    const FunctionCode code1 = work.Code1;
    const bool knownCode = code1 == kLinearFunction || code1 == kSaturatingExponential ||
                           code1 == kSaturatingExponentialLinear || code1 == 17 ||
                           IsUserDefinedCode(code1);
    if (count1 < 1 || table.Count < count1 ||
        (work.Model != kArbitraryErrors && work.Model != kFixedPercentVariances) || !knownCode ||
        work.Code2 != kCorrectionTable) {
        code = kInputControlDataError;
        return;
    }
    if (work.Model == kFixedPercentVariances && !ApplyFixedVariances(measured, code)) return;
    for (int i = 0; i < count1; ++i) {
        if (!(measured.Error[i] > 0.0)) {
            code = kInvalidErrorValue;
            return;
        }
    }

    TAliquot aliquot;
    aliquot.Count = count1;
    aliquot.Added = measured.Dose;
    aliquot.Signal = measured.Signal;
    aliquot.Error = measured.Error;
    aliquot.Remaining = table.Signal;
    aliquot.RemainingError = table.Error;

    int iterations = 0;
    if (code1 == kLinearFunction || code1 == 17) {
        SolveLinearAliquot(work, aliquot, iterations);
    } else {
        SolveCurvedAliquot(work, aliquot, iterations);
    }
    if (IsFatal(code)) return;
    if (iterations >= kMaxIterations) code = kNoConvergenceWarning;
    fit.P1 = GammaQ((count1 - fit.NParams1) / 2.0, fit.ChiSquare1 / 2.0);

    // Shown doses: the effective doses at the final estimate (0 for the natural measurement).
    EffectiveDoses(aliquot, fit.ED);
    std::copy(aliquot.Dose, aliquot.Dose + count1, measured.Dose);
}
