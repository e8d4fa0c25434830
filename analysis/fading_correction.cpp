#include "analysis/fading_correction.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "fitting/root_finding.h"

namespace {

constexpr double kTwoDays = 2.0 * 86400.0;
constexpr double kLn10 = 2.302585092994045684;

// Weighted least squares of y = a + b u, u = log10(t / tc): kappa10 = -b / a.
bool FitLine(const std::vector<TFadingPoint>& points, const std::vector<double>& y, double tc,
             double& a, double& b) {
    double sw = 0, su = 0, sy = 0, suu = 0, suy = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        const double w = 1.0 / (points[i].Error * points[i].Error);
        const double u = std::log10(points[i].Time / tc);
        sw += w;
        su += w * u;
        sy += w * y[i];
        suu += w * u * u;
        suy += w * u * y[i];
    }
    const double det = sw * suu - su * su;
    if (!(det > 0.0)) return false;
    b = (sw * suy - su * sy) / det;
    a = (sy - b * su) / sw;
    return a > 0.0;
}

double StandardDeviation(const std::vector<double>& v) {
    double mean = 0.0;
    for (double x : v) mean += x / v.size();
    double ss = 0.0;
    for (double x : v) ss += (x - mean) * (x - mean);
    return v.size() > 1 ? std::sqrt(ss / (v.size() - 1)) : 0.0;
}

struct TAgeEquation {
    double Measured;  // Tf
    double Kappa;
    double Tc;  // in the age's unit
};

// T (1 - kappa (ln(T / tc) - 1)) - Tf: rises up to T = tc exp(1 / kappa), where the model
// ends.
double AgeEquation(double t, void* context, ResultCode&) {
    const auto* e = static_cast<const TAgeEquation*>(context);
    return t * (1.0 - e->Kappa * (std::log(t / e->Tc) - 1.0)) - e->Measured;
}

// The unfaded age of a measured age; NaN when there is none. The equation rises on
// (0, tc e^(1/kappa)] for kappa > 0 and on [tc e^(-1/|kappa|), infinity) for kappa < 0.
double SolveAge(double measured, double kappa, double tc) {
    if (!(measured > 0.0)) return std::nan("");
    if (kappa == 0.0) return measured;
    TAgeEquation e{measured, kappa, tc};
    ResultCode code = kResultOk;
    double lo, hi;
    if (kappa > 0.0) {
        hi = tc * std::exp(std::min(1.0 / kappa, 700.0));
        if (AgeEquation(hi, &e, code) < 0.0) return std::nan("");
        lo = std::min(measured, hi) * 1e-3;
        while (AgeEquation(lo, &e, code) > 0.0 && lo > 1e-300) lo *= 1e-3;
    } else {
        lo = tc * std::exp(std::max(1.0 / kappa, -700.0));
        hi = std::max(measured, lo);
        for (int i = 0; i < 2000 && AgeEquation(hi, &e, code) < 0.0; ++i) hi *= 2.0;
    }
    const double t = BrentRoot(&AgeEquation, &e, code, 1e-12 * measured, lo, hi);
    return code == kResultOk ? t : std::nan("");
}

}  // namespace

double RenormaliseG(double g, double tcFrom, double tcTo) {
    const double k = g / 100.0;
    return 100.0 * k / (1.0 - k * std::log10(tcTo / tcFrom));
}

TGValueResult FitGValue(const std::vector<TFadingPoint>& points, const TGValueOptions& o) {
    TGValueResult r;
    for (size_t i = 0; i < points.size(); ++i) {
        const TFadingPoint& p = points[i];
        if (!std::isfinite(p.LxTx) || !(p.Error > 0.0) || !std::isfinite(p.Error) ||
            !(p.Time > 0.0) || !std::isfinite(p.Time)) {
            r.Code = TFadingFitCode::BadPoint;
            r.BadIndex = static_cast<int>(i);
            return r;
        }
    }
    if (points.size() < 2) {
        r.Code = TFadingFitCode::TooFewPoints;
        return r;
    }
    if (!(o.Tc >= 0.0) || !std::isfinite(o.Tc)) {
        r.Code = TFadingFitCode::BadTime;
        return r;
    }
    double tMin = points[0].Time, tMax = points[0].Time;
    for (const TFadingPoint& p : points) {
        tMin = std::min(tMin, p.Time);
        tMax = std::max(tMax, p.Time);
    }
    if (tMin == tMax) {
        r.Code = TFadingFitCode::SameTimes;
        return r;
    }
    r.Tc = o.Tc > 0.0 ? o.Tc : tMin;
    std::vector<double> y;
    for (const TFadingPoint& p : points) y.push_back(p.LxTx);
    double a = 0, b = 0;
    if (!FitLine(points, y, r.Tc, a, b)) {
        r.Code = TFadingFitCode::NoSignal;
        return r;
    }
    r.G = -100.0 * b / a;
    r.G2Days = RenormaliseG(r.G, r.Tc, kTwoDays);
    std::mt19937_64 random(o.Seed);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::vector<double> gs, gs2;
    for (int d = 0; d < o.Draws; ++d) {
        for (size_t i = 0; i < points.size(); ++i)
            y[i] = points[i].LxTx + points[i].Error * normal(random);
        if (!FitLine(points, y, r.Tc, a, b)) continue;
        gs.push_back(-100.0 * b / a);
        gs2.push_back(RenormaliseG(gs.back(), r.Tc, kTwoDays));
    }
    r.GError = StandardDeviation(gs);
    r.G2DaysError = StandardDeviation(gs2);
    return r;
}

TFadingCorrectionResult CorrectForFading(const TFadingCorrectionInput& in) {
    TFadingCorrectionResult r;
    const double tcG = in.TcG > 0.0 ? in.TcG : in.Tc;
    if (!(in.Tc > 0.0) || !std::isfinite(in.Tc) || !(tcG > 0.0) || !std::isfinite(tcG)) {
        r.Code = TFadingFitCode::BadTime;
        return r;
    }
    if (!(in.Age > 0.0) || !std::isfinite(in.Age) || !(in.AgeError >= 0.0) ||
        !std::isfinite(in.AgeError) || !std::isfinite(in.G) || !(in.GError >= 0.0) ||
        !std::isfinite(in.GError) || !(in.G < 100.0) || in.Draws < 0) {
        r.Code = TFadingFitCode::BadInput;
        return r;
    }
    r.G = RenormaliseG(in.G, tcG, in.Tc);
    // The error of g carried to Tc to first order: dg'/dg = 1 / (1 - k log10(tc / tcG))^2.
    const double shift = 1.0 - in.G / 100.0 * std::log10(in.Tc / tcG);
    r.GError = in.GError / (shift * shift);
    r.Kappa = r.G / 100.0 / kLn10;
    const double tc = in.Tc / in.AgeUnitSeconds;
    r.Age = SolveAge(in.Age, r.Kappa, tc);
    if (!std::isfinite(r.Age)) {
        r.Code = TFadingFitCode::BeyondModel;
        return r;
    }
    std::mt19937_64 random(in.Seed);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::vector<double> ages;
    for (int d = 0; d < in.Draws; ++d) {
        const double age = in.Age + in.AgeError * normal(random);
        const double g = r.G + r.GError * normal(random);
        const double t = SolveAge(age, g / 100.0 / kLn10, tc);
        if (std::isfinite(t)) ages.push_back(t); else ++r.DrawsRefused;
    }
    r.AgeError = StandardDeviation(ages);
    return r;
}

const char* FadingCodeMessage(TFadingFitCode code) {
    switch (code) {
        case TFadingFitCode::Ok: return "O.K.";
        case TFadingFitCode::TooFewPoints: return "The g-value needs at least 2 measurements.";
        case TFadingFitCode::BadPoint:
            return "Lx/Tx must be a number, its error above 0 and the time since irradiation "
                   "above 0 seconds.";
        case TFadingFitCode::SameTimes:
            return "All measurements were made at the same time since irradiation.";
        case TFadingFitCode::BadTime: return "tc must be a time above 0 seconds.";
        case TFadingFitCode::NoSignal: return "The fitted signal at tc is not above 0.";
        case TFadingFitCode::BadInput:
            return "The age must be above 0, the errors 0 or above and g below 100 %/decade.";
        case TFadingFitCode::BeyondModel:
            return "The measured age is beyond what this fading rate can give on the linear "
                   "part of the growth curve: no corrected age.";
    }
    return "";
}
