#include "fitting/monte_carlo_dose.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "fitting/covariance_scaling.h"
#include "fitting/dose_estimation.h"
#include "fitting/weighting.h"

namespace {

// A warning when more than this share of the draws failed.
constexpr double kFailedShareWarning = 0.05;
// The progress callback is asked after every this many draws.
constexpr int kProgressEvery = 25;

bool Slides(const TMonteCarloDoseInput& in) {
    return in.Method == dmSlide || (in.Method == dmCeramic && in.Code1 != kLinearFunction);
}

// Whether the method fits curve 1 and curve 2 to their sets.
bool FitsCurve1(int method) {
    return method != dmRegenerative;
}
bool FitsCurve2(int method) {
    return method == dmPartialBleach || method == dmRegenerative || method == dmCeramic ||
           method == dmAlphaEfficiency;
}

// Variance of unit weight from the residuals of the curves the method fitted: the scatter
// the fit assumed where the errors were not known. NaN without degrees of freedom.
double ResidualVariance(const TMonteCarloDoseInput& in, const TFitRecord& fit) {
    double chi = 0.0;
    int freedom = 0;
    if (Slides(in)) {
        // One function through both sets, and the scale factor.
        chi = fit.ChiSquare1;
        freedom = fit.Count1 + fit.Count2 - fit.NParams1 - 1;
    } else {
        if (FitsCurve1(in.Method) && fit.NParams1 > 0) {
            chi += fit.ChiSquare1;
            freedom += fit.Count1 - fit.NParams1;
        }
        if (FitsCurve2(in.Method) && fit.NParams2 > 0) {
            chi += fit.ChiSquare2;
            freedom += fit.Count2 - fit.NParams2;
        }
    }
    return freedom > 0 ? chi / freedom : std::nan("");
}

// The standard deviation each point of `original` is drawn with, in its own order, from
// the weights the engine forms for the dose-sorted copy `sorted` (matched by dose and
// signal, the same error preferred among equals).
void SigmasInOriginalOrder(const TPointSet& original, const TPointSet& sorted,
                           const double* weights, bool unknown, double residualSigma,
                           double* sigma) {
    std::vector<bool> used(static_cast<size_t>(sorted.Count), false);
    for (int i = 0; i < original.Count; ++i) {
        int match = -1;
        for (int j = 0; j < sorted.Count; ++j) {
            if (used[j] || sorted.Dose[j] != original.Dose[i] ||
                sorted.Signal[j] != original.Signal[i])
                continue;
            if (match < 0 || sorted.Error[j] == original.Error[i]) match = j;
            if (sorted.Error[j] == original.Error[i]) break;
        }
        if (match < 0) {
            sigma[i] = 0.0;
            continue;
        }
        used[match] = true;
        const double w = weights[match];
        sigma[i] = unknown ? residualSigma : (w > 0.0 ? 1.0 / std::sqrt(w) : 0.0);
    }
}

// Percentile q (0..1) of sorted values, linear between neighbours.
double Percentile(const std::vector<double>& sorted, double q) {
    const double at = q * static_cast<double>(sorted.size() - 1);
    const size_t lo = static_cast<size_t>(std::floor(at));
    const size_t hi = std::min(lo + 1, sorted.size() - 1);
    return sorted[lo] + (at - static_cast<double>(lo)) * (sorted[hi] - sorted[lo]);
}

}  // namespace

TMonteCarloDose MonteCarloDoseError(const TMonteCarloDoseInput& in,
                                    const TMonteCarloDoseOptions& options) {
    TMonteCarloDose r;
    r.Draws = options.Draws;
    r.Seed = options.Seed;
    if (options.Draws < 2) return r;
    if (in.Method == dmSingleAliquot || in.Method == dmDecayCorrection) {
        r.Code = TMonteCarloCode::NotSupported;
        return r;
    }

    // The solution of the measured points: what the draws scatter around.
    TFitRecord fit;
    std::string note;
    ResultCode code = kResultOk;
    {
        TPointSet set1 = in.Set1, set2 = in.Set2;
        EstimateDose(in.Method, in.Model, in.Code1, in.Code2, set1, set2, fit, note, code);
    }
    if (IsFatal(code) || !std::isfinite(fit.ED)) {
        r.Code = TMonteCarloCode::NoSolution;
        return r;
    }
    r.CentralED = fit.ED;

    // Each point's error as the fit weighs it.
    const ErrorModel plain = in.Model == kFixedStarPercentErrors     ? kFixedPercentErrors
                             : in.Model == kFixedStarPercentVariances ? kFixedPercentVariances
                                                                      : in.Model;
    TPointSet sorted1 = in.Set1, sorted2 = in.Set2;
    double weights1[kPointCapacity] = {}, weights2[kPointCapacity] = {};
    ResultCode weightCode = kResultOk;
    WeightPoints(plain, sorted1, sorted2, weights1, weights2, weightCode);
    if (IsFatal(weightCode)) {
        r.Code = TMonteCarloCode::NoSolution;
        return r;
    }
    const double residualSigma = std::sqrt(ResidualVariance(in, fit));
    double sigma1[kPointCapacity] = {}, sigma2[kPointCapacity] = {};
    SigmasInOriginalOrder(in.Set1, sorted1, weights1, WeightsLookUnknown(sorted1.Count, weights1),
                          residualSigma, sigma1);
    SigmasInOriginalOrder(in.Set2, sorted2, weights2,
                          sorted2.Count > 0 && WeightsLookUnknown(sorted2.Count, weights2),
                          residualSigma, sigma2);
    for (int i = 0; i < in.Set1.Count; ++i)
        if (!std::isfinite(sigma1[i])) sigma1[i] = 0.0;
    for (int i = 0; i < in.Set2.Count; ++i)
        if (!std::isfinite(sigma2[i])) sigma2[i] = 0.0;

    std::mt19937_64 random(options.Seed);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::vector<double> doses;
    doses.reserve(static_cast<size_t>(options.Draws));
    for (int draw = 0; draw < options.Draws; ++draw) {
        if (options.Progress && draw % kProgressEvery == 0 && !options.Progress(draw, options.Draws)) {
            r.Code = TMonteCarloCode::Cancelled;
            return r;
        }
        TPointSet set1 = in.Set1, set2 = in.Set2;
        for (int i = 0; i < set1.Count; ++i) set1.Signal[i] += sigma1[i] * normal(random);
        for (int i = 0; i < set2.Count; ++i) set2.Signal[i] += sigma2[i] * normal(random);
        TFitRecord drawn;
        std::string drawnNote;
        ResultCode drawnCode = kResultOk;
        EstimateDose(in.Method, in.Model, in.Code1, in.Code2, set1, set2, drawn, drawnNote,
                     drawnCode);
        if (IsFatal(drawnCode) || !std::isfinite(drawn.ED))
            ++r.Failed;
        else
            doses.push_back(drawn.ED);
    }
    if (options.Progress) options.Progress(options.Draws, options.Draws);

    if (doses.size() < 2) {
        r.Code = TMonteCarloCode::TooFewDraws;
        return r;
    }
    double sum = 0.0;
    for (double d : doses) sum += d;
    r.Mean = sum / static_cast<double>(doses.size());
    double squares = 0.0;
    for (double d : doses) squares += (d - r.Mean) * (d - r.Mean);
    r.DeError = std::sqrt(squares / static_cast<double>(doses.size() - 1));
    std::sort(doses.begin(), doses.end());
    r.Lower68 = Percentile(doses, 0.158655254);
    r.Upper68 = Percentile(doses, 0.841344746);
    r.Lower95 = Percentile(doses, 0.025);
    r.Upper95 = Percentile(doses, 0.975);
    r.Code = TMonteCarloCode::Ok;
    if (r.Failed > kFailedShareWarning * options.Draws) {
        r.Warning = std::to_string(r.Failed) + " of " + std::to_string(options.Draws) +
                    " Monte Carlo draws could not be fitted: the error describes only the "
                    "draws that could and may be too small.";
    }
    return r;
}

void ShiftMonteCarloDose(TMonteCarloDose& r, double shift) {
    if (r.Code != TMonteCarloCode::Ok) return;
    r.CentralED += shift;
    r.Mean += shift;
    r.Lower68 += shift;
    r.Upper68 += shift;
    r.Lower95 += shift;
    r.Upper95 += shift;
}

std::string MonteCarloCodeMessage(TMonteCarloCode code) {
    switch (code) {
        case TMonteCarloCode::Ok:
            return "O.K.";
        case TMonteCarloCode::NoSolution:
            return "no solution to draw around";
        case TMonteCarloCode::NotSupported:
            return "not for the single-aliquot iterations";
        case TMonteCarloCode::TooFewDraws:
            return "fewer than 2 draws could be fitted";
        case TMonteCarloCode::Cancelled:
            return "cancelled";
        case TMonteCarloCode::BadInput:
            return "needs at least 2 draws";
    }
    return {};
}
