#include "fitting/slide_solver.h"

#include <algorithm>
#include <cmath>

#include "fitting/dose_methods.h"
#include "fitting/growth_fit.h"
#include "fitting/minimizers.h"
#include "fitting/special_functions.h"

namespace {

// Chi-square of one function fitted through the first set and the second set moved to
// dose - shift and signal x scale. The fit lands in both curves of the record.
double SlideChiSquare(TDoseWork& work, double scale, double shift, ResultCode& code) {
    TFitRecord& fit = work.Fit;
    const double chiSquare = FitCombined(work.Model, work.Code1, work.Set1.Count, work.Set1,
                                         work.Weights1, work.Set2.Count, work.Set2, work.Weights2,
                                         scale, shift, fit.Params1, fit.Cov1, work.Note, code);
    std::copy(fit.Params1, fit.Params1 + fit.NParams1, fit.Params2);
    std::copy(std::begin(fit.Cov1), std::end(fit.Cov1), fit.Cov2);
    return chiSquare;
}

// Simplex objective: p = (shift, scale).
double PlaneChiSquare(const double* p, void* context, ResultCode& code) {
    return SlideChiSquare(*static_cast<TDoseWork*>(context), p[1], p[0], code);
}

// Chi-square along the shift with the scale fixed at 1.
double ShiftChiSquare(double shift, void* context, ResultCode& code) {
    return SlideChiSquare(*static_cast<TDoseWork*>(context), 1.0, shift, code);
}

// Weight of a moved point of the second set: the error scales with the signal.
double ScaledWeight(ErrorModel model, double weight, double scale) {
    switch (model) {
        case kCalculatedErrors:
        case kFixedPercentErrors:
        case kFixedStarPercentErrors:
            return weight / (scale * scale);
        case kFixedPercentVariances:
        case kFixedStarPercentVariances:
            return weight / scale;
        default:
            return weight;
    }
}

// R2 of the first curve over both sets joined at the found shift and scale.
double JoinedRSquared(const TDoseWork& work, double shift, double scale) {
    double x[kPointCapacity] = {};
    double y[kPointCapacity] = {};
    double w[kPointCapacity] = {};
    const TPointSet& first = work.Set1;
    const TPointSet& second = work.Set2;
    int n = 0;
    for (int i = 0; i < first.Count; ++i, ++n) {
        x[n] = first.Dose[i];
        y[n] = first.Signal[i];
        w[n] = work.Weights1[i];
    }
    for (int i = 0; i < second.Count; ++i, ++n) {
        x[n] = second.Dose[i] - shift;
        y[n] = second.Signal[i] * scale;
        w[n] = ScaledWeight(work.Model, work.Weights2[i], scale);
    }
    return FitRSquared(n, x, y, work.Fit.Params1, work.Fit.NParams1, w);
}

}  // namespace

void SolveSlide(TDoseWork& work) {
    TFitRecord& fit = work.Fit;
    ResultCode& code = work.Code;
    if (work.Set1.Count + work.Set2.Count >= kPointCapacity) {
        code = kTooManyDataPoints;
        return;
    }

    // Starting shift: the regenerative dose, with the starred models weighted plainly.
    const ErrorModel model = work.Model;
    work.Model = PlainModel(model);
    SolveRegenerative(work);
    work.Model = model;
    if (IsFatal(code)) return;
    code = kResultOk;
    const double start = fit.ED;

    // Downhill simplex in (shift, scale).
    double low = -1.2;
    double high = 1.2;
    if (std::fabs(start) >= 1.0) {
        low = 0.8 * start;
        high = 1.2 * start;
    }
    double simplex[3][2] = {{low, 1.1}, {start, 1.0}, {high, 1.1}};
    double values[3] = {};
    for (int v = 0; v < 3; ++v) {
        values[v] = PlaneChiSquare(simplex[v], &work, code);
        if (IsFatal(code)) return;
    }
    SimplexMinimize(PlaneChiSquare, &work, simplex, values, 0.001, code);
    if (IsFatal(code)) return;
    int best = 0;
    for (int v = 1; v < 3; ++v) {
        if (values[v] < values[best]) best = v;
    }
    double shift = simplex[best][0];
    const double bestScale = simplex[best][1];
    fit.ED = shift;

    // Half the second derivative of chi-square in the scale, from steps of -2 % and +4 %.
    if (!(bestScale > 0.0)) return FailWithNote(work, "can't compute error; ");
    const double f1 = SlideChiSquare(work, 0.98 * bestScale, shift, code);
    if (IsFatal(code)) return;
    const double f2 = SlideChiSquare(work, bestScale, shift, code);
    if (IsFatal(code)) return;
    const double f3 = SlideChiSquare(work, 1.04 * bestScale, shift, code);
    if (IsFatal(code)) return;
    const double k = bestScale;
    const double curvatureScale =
        (f1 * 0.04 * k - f2 * 0.06 * k + f3 * 0.02 * k) / (4.8e-5 * k * k * k);
    if (!(curvatureScale >= 1e-10)) return FailWithNote(work, "can't compute error; ");
    const double scaleError = 1.0 / std::sqrt(curvatureScale);

    // A scale not significantly different from 1 is fixed there and the shift refined alone.
    double scale = bestScale;
    if (std::fabs(bestScale - 1.0) <= scaleError) {
        scale = 1.0;
        double a = shift;
        double b = shift + 1.0;
        double c = 0.0;
        double fa = 0.0;
        double fb = 0.0;
        double fc = 0.0;
        BracketMinimum(ShiftChiSquare, &work, code, a, b, c, fa, fb, fc);
        if (IsFatal(code)) return;
        double refined = shift;
        BrentMinimize(ShiftChiSquare, &work, a, b, c, 0.001, refined, code);
        if (IsFatal(code)) return;
        shift = refined;
    }

    // Curvature in the shift with step 1; the fit at (scale, shift) is evaluated last so that
    // it is the one left in the record.
    const double fMinus = SlideChiSquare(work, scale, shift - 1.0, code);
    if (IsFatal(code)) return;
    const double fPlus = SlideChiSquare(work, scale, shift + 1.0, code);
    if (IsFatal(code)) return;
    const double f0 = SlideChiSquare(work, scale, shift, code);
    if (IsFatal(code)) return;
    const double curvatureShift = fMinus / 2.0 - f0 + fPlus / 2.0;
    if (!(curvatureShift >= 1e-10)) {
        fit.ED = 0.0;
        return FailWithNote(work, "can't compute error; ");
    }
    fit.EDError = 1.7 / std::sqrt(curvatureShift);
    fit.ED = ((2.0 * shift + 1.0) * fMinus - 4.0 * shift * f0 - (1.0 - 2.0 * shift) * fPlus) * 0.5 /
             (fPlus + fMinus - 2.0 * f0);

    const int n = fit.NParams2;
    fit.Params2[n] = scale;
    fit.Cov2[n * kMatrixStride + n] = scaleError * scaleError;
    fit.ChiSquare1 = fit.ChiSquare2 = f0;
    const int joined = work.Set1.Count + work.Set2.Count;
    fit.P1 = fit.P2 = GammaQ((joined - fit.NParams1 - fit.NParams2 - 2) / 2.0, f0 / 2.0);
    if (IsPolynomialCode(work.Code1)) fit.R2_1 = fit.R2_2 = JoinedRSquared(work, fit.ED, scale);
}
