#include "analysis/dose_models.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "analysis/minimum_age.h"
#include "fitting/root_finding.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool Fail(TDoseModelResult& r, TDoseModelCode code, int index) {
    r.Code = code;
    r.BadIndex = index;
    return false;
}

bool CheckDoses(const std::vector<TDoseValue>& doses, const TDoseModelOptions& o,
                TDoseModelResult& r) {
    for (size_t i = 0; i < doses.size(); ++i) {
        const TDoseValue& d = doses[i];
        const int at = static_cast<int>(i);
        if (!std::isfinite(d.De) || !std::isfinite(d.DeError))
            return Fail(r, TDoseModelCode::NotFinite, at);
        if (IsLogScaleModel(o.Kind) && d.De <= 0.0)
            return Fail(r, TDoseModelCode::NonPositiveDose, at);
        if (d.DeError <= 0.0) return Fail(r, TDoseModelCode::NonPositiveError, at);
    }
    if (doses.size() < 2) return Fail(r, TDoseModelCode::TooFewValues, -1);
    const bool minimum = o.Kind == TDoseModelKind::Minimum3 || o.Kind == TDoseModelKind::Minimum4;
    if (minimum && !(o.SigmaB >= 0.0 && o.SigmaB <= 2.0))
        return Fail(r, TDoseModelCode::BadSigmaB, -1);
    return true;
}

// Log doses and their errors (relative errors of the doses).
void LogDoses(const std::vector<TDoseValue>& doses, double sigmaB, std::vector<double>& z,
              std::vector<double>& s) {
    z.resize(doses.size());
    s.resize(doses.size());
    for (size_t i = 0; i < doses.size(); ++i) {
        z[i] = std::log(doses[i].De);
        const double rel = doses[i].DeError / doses[i].De;
        s[i] = std::sqrt(rel * rel + sigmaB * sigmaB);
    }
}

void WeightedMean(const std::vector<TDoseValue>& doses, TDoseModelResult& r) {
    double sw = 0.0, swx = 0.0;
    for (const TDoseValue& d : doses) {
        const double w = 1.0 / (d.DeError * d.DeError);
        sw += w;
        swx += w * d.De;
    }
    r.De = swx / sw;
    r.DeError = 1.0 / std::sqrt(sw);
}

void CommonAge(const std::vector<double>& z, const std::vector<double>& s, TDoseModelResult& r) {
    double sw = 0.0, swz = 0.0;
    for (size_t i = 0; i < z.size(); ++i) {
        const double w = 1.0 / (s[i] * s[i]);
        sw += w;
        swz += w * z[i];
    }
    r.De = std::exp(swz / sw);
    r.DeError = r.De / std::sqrt(sw);
}

// The central age model's sums at overdispersion sigma: weights w = 1 / (sigma^2 + s^2),
// the weighted mean delta of the log doses, and the score of Galbraith's fixed-point
// equation sum w^2 (z - delta)^2 - sum w, which is zero at the maximum of the likelihood.
struct TCentralSums {
    const std::vector<double>* z;
    const std::vector<double>* s;
    double Delta = 0.0;
    double SumW = 0.0;
    double SumW2 = 0.0;
    double Score = 0.0;

    void At(double sigma) {
        SumW = 0.0;
        SumW2 = 0.0;
        double swz = 0.0;
        for (size_t i = 0; i < z->size(); ++i) {
            const double w = 1.0 / (sigma * sigma + (*s)[i] * (*s)[i]);
            SumW += w;
            SumW2 += w * w;
            swz += w * (*z)[i];
        }
        Delta = swz / SumW;
        double swr = 0.0;
        for (size_t i = 0; i < z->size(); ++i) {
            const double w = 1.0 / (sigma * sigma + (*s)[i] * (*s)[i]);
            const double d = (*z)[i] - Delta;
            swr += w * w * d * d;
        }
        Score = swr - SumW;
    }
};

double CentralScore(double sigma, void* context, ResultCode&) {
    auto* sums = static_cast<TCentralSums*>(context);
    sums->At(sigma);
    return sums->Score;
}

// Central age model (Galbraith et al. 1999, eqs. for delta and sigma): sigma solves
// sigma^2 = sum w^2 (z - delta)^2 sigma^2 / sum w; sigma = 0 when the score is not positive
// at 0 (no overdispersion). The root is bracketed between 0 and the spread of the log doses
// and found by Brent's method.
bool CentralAge(const std::vector<double>& z, const std::vector<double>& s, TDoseModelResult& r) {
    TCentralSums sums{&z, &s};
    sums.At(0.0);
    double sigma = 0.0;
    if (sums.Score > 0.0) {
        double zmin = z[0], zmax = z[0];
        for (double v : z) {
            zmin = std::min(zmin, v);
            zmax = std::max(zmax, v);
        }
        // Above the range of the log doses every w (z - delta)^2 is below 1: score < 0.
        double hi = zmax - zmin + 1e-3;
        ResultCode code = kResultOk;
        sigma = BrentRoot(&CentralScore, &sums, code, 1e-14, 0.0, hi);
        if (code != kResultOk || !(sigma >= 0.0)) return Fail(r, TDoseModelCode::NotConverged, -1);
        sums.At(sigma);
    }
    r.De = std::exp(sums.Delta);
    r.DeError = r.De / std::sqrt(sums.SumW);
    r.RelOD = 100.0 * sigma;
    r.OD = sigma * r.De;
    if (sigma > 0.0) {
        // Standard error of sigma from the expected information (Galbraith et al. 1999):
        // 1 / (2 sigma^2 sum w^2); delta and sigma are uncorrelated at the maximum.
        const double seSigma = 1.0 / std::sqrt(2.0 * sigma * sigma * sums.SumW2);
        r.RelODError = 100.0 * seSigma;
        r.ODError = std::hypot(r.De * seSigma, sigma * r.DeError);
    } else {
        r.RelODError = kNaN;
        r.ODError = kNaN;
        r.Warning = "The doses show no overdispersion (sigma = 0): its error is not defined.";
    }
    return true;
}

// Weights of extreme errors (1e-300 Gy) overflow and sums of extreme doses lose everything:
// a result that is not a finite number is refused rather than shown.
TDoseModelResult Finished(TDoseModelResult& r) {
    if (r.Code == TDoseModelCode::Ok && !(std::isfinite(r.De) && std::isfinite(r.DeError)))
        r.Code = TDoseModelCode::OutOfRange;
    return r;
}

}  // namespace

TDoseModelResult::TDoseModelResult()
    : OD(kNaN),
      ODError(kNaN),
      RelOD(kNaN),
      RelODError(kNaN),
      Sigma(kNaN),
      P0(kNaN),
      Mu(kNaN),
      DeLower(kNaN),
      DeUpper(kNaN),
      Lmax(kNaN),
      BIC(kNaN) {}

TDoseModelResult FitDoseModel(const std::vector<TDoseValue>& doses,
                              const TDoseModelOptions& options) {
    TDoseModelResult r;
    r.Kind = options.Kind;
    r.N = static_cast<int>(doses.size());
    if (!CheckDoses(doses, options, r)) return r;
    if (options.Kind == TDoseModelKind::WeightedMean) {
        WeightedMean(doses, r);
        return Finished(r);
    }
    const bool minimum = options.Kind == TDoseModelKind::Minimum3 ||
                         options.Kind == TDoseModelKind::Minimum4;
    std::vector<double> z, s;
    LogDoses(doses, minimum ? options.SigmaB : 0.0, z, s);
    switch (options.Kind) {
        case TDoseModelKind::Common:
            CommonAge(z, s, r);
            break;
        case TDoseModelKind::Central:
            CentralAge(z, s, r);
            break;
        default:
            FitMinimumAgeModel(z, s, options.Kind == TDoseModelKind::Minimum4, r);
            break;
    }
    return Finished(r);
}

const char* DoseModelName(TDoseModelKind kind) {
    switch (kind) {
        case TDoseModelKind::Central: return "cam";
        case TDoseModelKind::Common: return "common";
        case TDoseModelKind::Minimum3: return "mam3";
        case TDoseModelKind::Minimum4: return "mam4";
        case TDoseModelKind::WeightedMean: return "mean";
    }
    return "";
}

bool DoseModelFromName(const std::string& name, TDoseModelKind& kind) {
    for (TDoseModelKind k : {TDoseModelKind::Central, TDoseModelKind::Common,
                             TDoseModelKind::Minimum3, TDoseModelKind::Minimum4,
                             TDoseModelKind::WeightedMean}) {
        if (name == DoseModelName(k)) {
            kind = k;
            return true;
        }
    }
    return false;
}

bool IsLogScaleModel(TDoseModelKind kind) { return kind != TDoseModelKind::WeightedMean; }

std::string DoseModelMessage(const TDoseModelResult& r, const std::string& where) {
    const std::string at = where.empty() ? std::string() : where + ": ";
    switch (r.Code) {
        case TDoseModelCode::Ok: return "O.K.";
        case TDoseModelCode::TooFewValues:
            return "A dose model needs at least 2 doses; there are " + std::to_string(r.N) + ".";
        case TDoseModelCode::NotFinite: return at + "the dose or its error is not a number.";
        case TDoseModelCode::NonPositiveDose:
            return at + "the dose is zero or negative; the " +
                   std::string(DoseModelName(r.Kind)) +
                   " model works on the logarithms of the doses.";
        case TDoseModelCode::NonPositiveError: return at + "the dose error is zero or negative.";
        case TDoseModelCode::BadSigmaB: return "sigma_b must be a relative spread from 0 to 2.";
        case TDoseModelCode::NotConverged:
            return "The likelihood search of the dose model did not converge.";
        case TDoseModelCode::OutOfRange:
            return "The doses or their errors are too large or too small to be combined.";
    }
    return "";
}

namespace {
std::string Fixed(double value, int digits) {
    if (!std::isfinite(value)) return "n/a";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
}
// Digits after the point that show an error to two significant figures.
int DigitsFor(double error) {
    if (!(error > 0.0) || !std::isfinite(error)) return 2;
    return std::clamp(1 - static_cast<int>(std::floor(std::log10(error))), 0, 8);
}
}  // namespace

std::string DoseModelSummary(const TDoseModelResult& r) {
    static const char* const names[] = {"Central age model", "Common age model",
                                        "Minimum age model (3 parameters)",
                                        "Minimum age model (4 parameters)", "Weighted mean"};
    const int d = DigitsFor(r.DeError);
    std::string text = std::string(names[static_cast<int>(r.Kind)]) + " (n = " +
                       std::to_string(r.N) + "): De = " + Fixed(r.De, d) + " +- " +
                       Fixed(r.DeError, d) + " Gy";
    if (r.Kind == TDoseModelKind::Central)
        text += ", OD = " + Fixed(r.RelOD, 1) + " +- " + Fixed(r.RelODError, 1) + " %";
    if (r.Kind == TDoseModelKind::Minimum3 || r.Kind == TDoseModelKind::Minimum4)
        text += " (95 %: " + Fixed(r.DeLower, d) + " to " + Fixed(r.DeUpper, d) + "), p0 = " +
                Fixed(r.P0, 2);
    return text;
}
