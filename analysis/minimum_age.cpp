#include "analysis/minimum_age.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/newton_ascent.h"
#include "analysis/simplex_search.h"
#include "fitting/minimizers.h"

namespace {

constexpr double kLogSqrt2Pi = 0.91893853320467274178;
// The ends of the 95 % profile-likelihood interval lie where the log likelihood has fallen
// by chi2(0.95, 1) / 2 = 1.9207 from its maximum, i.e. where sqrt(2 x fall) is the normal
// quantile 1.96.
constexpr double kRootTarget = 1.9599639845400538;
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Above this many doses the grid search runs on binned doses.
constexpr size_t kBinAbove = 600;
// Squared standardised distances below which densities are computed without logarithms.
constexpr double kLinearLimit = 1200.0;

// ln(1 - Phi(u)), with the asymptotic series where erfc underflows.
double LogUpperNormal(double u) {
    if (u < 25.0) return std::log(0.5 * std::erfc(u * 0.70710678118654752440));
    const double v = 1.0 / (u * u);
    return -0.5 * u * u - std::log(u) - kLogSqrt2Pi + std::log1p(v * (-1.0 + v * (3.0 - 15.0 * v)));
}

// Doses the likelihood runs over: log dose, its error, and a count (1, or a bin's size).
struct TMamData {
    std::vector<double> x, s, s2, invS, logS, w;
    double Count = 0.0;

    void Add(double xi, double si, double wi) {
        x.push_back(xi);
        s.push_back(si);
        s2.push_back(si * si);
        invS.push_back(1.0 / si);
        logS.push_back(std::log(si));
        w.push_back(wi);
        Count += wi;
    }
};

// The doses binned on a grid of log dose and log error; each bin stands at the mean of its
// doses, weighted by their number. Used only to choose where the search starts.
TMamData Binned(const std::vector<double>& x, const std::vector<double>& s) {
    constexpr int kNx = 48, kNs = 8;
    const auto [xlo, xhi] = std::minmax_element(x.begin(), x.end());
    const auto [slo, shi] = std::minmax_element(s.begin(), s.end());
    const double xw = std::max(*xhi - *xlo, 1e-12) / kNx;
    const double sw = std::max(std::log(*shi / *slo), 1e-12) / kNs;
    std::vector<double> n(kNx * kNs), sx(kNx * kNs), ss(kNx * kNs);
    for (size_t i = 0; i < x.size(); ++i) {
        const int ix = std::min(kNx - 1, static_cast<int>((x[i] - *xlo) / xw));
        const int is = std::min(kNs - 1, static_cast<int>(std::log(s[i] / *slo) / sw));
        const int k = ix * kNs + is;
        n[k] += 1.0;
        sx[k] += x[i];
        ss[k] += s[i];
    }
    TMamData d;
    for (size_t k = 0; k < n.size(); ++k)
        if (n[k] > 0.0) d.Add(sx[k] / n[k], ss[k] / n[k], n[k]);
    return d;
}

// The log likelihood of the model at (gamma, sigma, mu) with p profiled out: the log
// likelihood is concave in p, so its maximum over [0, 1] is found by Newton steps kept in
// a shrinking bracket.
class TMamLikelihood {
public:
    TMamLikelihood(const TMamData& data, bool fourParameters)
        : d_(data),
          four_(fourParameters),
          a_(data.x.size()),
          b_(data.x.size()),
          z1Squared_(data.x.size()),
          aLinear_(data.x.size()) {}

    // theta = (gamma, sigma, mu - gamma); sigma and mu - gamma enter by their size, which
    // keeps the constraints sigma >= 0, mu >= gamma without bounds on the search.
    double At(const double* theta, double* pOut = nullptr) {
        const double gamma = theta[0];
        const double sigma = four_ ? std::max(std::fabs(theta[1]), 1e-10) : std::fabs(theta[1]);
        const double mu = four_ ? gamma + std::fabs(theta[2]) : gamma;
        const double sigma2 = sigma * sigma;
        // 1 - Phi((gamma - mu) / sigma): 1 / 2 with three parameters.
        const double logDen = four_ ? LogUpperNormal((gamma - mu) / sigma) : std::log(0.5);
        const double den = std::exp(logDen);
        double sumM = 0.0;
        const size_t n = d_.x.size();
        // The densities of the minimum depend on gamma alone: kept while gamma is (the
        // searches over sigma and mu at fixed gamma, the profile likelihood).
        if (!(gamma == cachedGamma_)) {
            for (size_t i = 0; i < n; ++i) {
                const double z1 = (d_.x[i] - gamma) * d_.invS[i];
                z1Squared_[i] = z1 * z1;
                aLinear_[i] = z1Squared_[i] < kLinearLimit
                                  ? std::exp(-0.5 * z1Squared_[i]) * d_.invS[i]
                                  : 0.0;
            }
            cachedGamma_ = gamma;
        }
        for (size_t i = 0; i < n; ++i) {
            const double x = d_.x[i], s2 = d_.s2[i];
            const double z1Squared = z1Squared_[i];
            const double S2 = sigma2 + s2;
            const double S = std::sqrt(S2);
            const double s = d_.s[i];
            // (gamma - mu0) / sigma0 written without dividing by sigma where mu = gamma.
            const double u = four_ ? (gamma * S2 - mu * s2 - x * sigma2) / (sigma * s * S)
                                   : sigma * (gamma - x) / (s * S);
            const double z2 = (x - mu) / S;
            if (z1Squared < kLinearLimit && z2 * z2 < kLinearLimit && u < 25.0) {
                // Both densities are far from underflow: work on the linear scale (the
                // common factor 1 / sqrt(2 pi) is added at the end).
                a_[i] = aLinear_[i];
                b_[i] = 0.5 * std::erfc(u * 0.70710678118654752440) / den *
                        std::exp(-0.5 * z2 * z2) / S;
                if (b_[i] > 0.0 || a_[i] > 0.0) continue;
            }
            const double la = -0.5 * z1Squared - d_.logS[i];
            const double lb = LogUpperNormal(u) - logDen - 0.5 * std::log(S2) - 0.5 * z2 * z2;
            const double m = std::max(la, lb);
            a_[i] = std::exp(la - m);
            b_[i] = std::exp(lb - m);
            sumM += d_.w[i] * m;
        }
        const double p = BestP();
        if (pOut != nullptr) *pOut = p;
        double sum = 0.0;
        for (size_t i = 0; i < n; ++i) sum += d_.w[i] * std::log(p * a_[i] + (1.0 - p) * b_[i]);
        const double value = sumM + sum - d_.Count * kLogSqrt2Pi;
        return std::isfinite(value) ? value : -kInfinity;
    }

private:
    // Derivative of sum w ln(p a + (1 - p) b) in p, and its second derivative.
    double Slope(double p, double* curvature) const {
        double g = 0.0, h = 0.0;
        for (size_t i = 0; i < a_.size(); ++i) {
            const double f = p * a_[i] + (1.0 - p) * b_[i];
            const double t = (a_[i] - b_[i]) / f;
            g += d_.w[i] * t;
            h += d_.w[i] * t * t;
        }
        if (curvature != nullptr) *curvature = -h;
        return g;
    }

    // The maximum of sum w ln(p a + (1 - p) b) over [0, 1]: Newton steps from the last p
    // kept in a shrinking bracket; a bound is taken when the slope there points outwards.
    double BestP() {
        double lo = 0.0, hi = 1.0, p = std::clamp(lastP_, 1e-9, 1.0 - 1e-9);
        for (int it = 0; it < 100; ++it) {
            double h = 0.0;
            const double g = Slope(p, &h);
            if (g > 0.0) lo = p; else hi = p;
            double next = h < 0.0 ? p - g / h : 0.5 * (lo + hi);
            if (next <= 0.0 && OutwardAt(0.0)) return lastP_ = 0.0;
            if (next >= 1.0 && OutwardAt(1.0)) return lastP_ = 1.0;
            if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
            const bool done = std::fabs(next - p) < 1e-12 || hi - lo < 1e-12;
            p = next;
            if (done) break;
        }
        return lastP_ = p;
    }

    // Whether the log likelihood falls into [0, 1] at the bound (0 or 1), so the bound is
    // the maximum. A density that underflowed makes the slope infinite towards the inside.
    bool OutwardAt(double bound) const {
        for (size_t i = 0; i < a_.size(); ++i)
            if ((bound == 0.0 ? b_[i] : a_[i]) <= 0.0) return false;
        const double g = Slope(bound, nullptr);
        return bound == 0.0 ? g <= 0.0 : g >= 0.0;
    }

    const TMamData& d_;
    bool four_;
    std::vector<double> a_, b_;
    std::vector<double> z1Squared_, aLinear_;  // of cachedGamma_
    double cachedGamma_ = kNaN;
    double lastP_ = 0.5;
};

struct TStart {
    double Theta[3] = {};
    double Value = -kInfinity;
};

// Grid over gamma, sigma (and mu - gamma): the best point of every gamma that beats its
// neighbours in gamma, best first.
std::vector<TStart> GridStarts(TMamLikelihood& like, const TMamData& d, bool four) {
    const auto [xlo, xhi] = std::minmax_element(d.x.begin(), d.x.end());
    double sMid = 0.0, mean = 0.0, var = 0.0;
    for (size_t i = 0; i < d.x.size(); ++i) {
        sMid += d.w[i] * d.s[i];
        mean += d.w[i] * d.x[i];
    }
    sMid /= d.Count;
    mean /= d.Count;
    for (size_t i = 0; i < d.x.size(); ++i) var += d.w[i] * (d.x[i] - mean) * (d.x[i] - mean);
    const double spread = std::max(std::sqrt(var / d.Count), 0.02);
    const int nGamma = four ? 20 : 32;
    const std::vector<double> sigmas =
        four ? std::vector<double>{0.01, 0.05, 0.1, 0.2, 0.35, 0.6, 1.0, 2.0 * spread}
             : std::vector<double>{0.005, 0.02, 0.05, 0.1, 0.15, 0.22, 0.3, 0.45,
                                   0.65, 1.0,   1.5,  2.0 * spread};
    const std::vector<double> deltas =
        four ? std::vector<double>{0.0, 0.25 * spread, 0.5 * spread, 1.0 * spread, 2.0 * spread}
             : std::vector<double>{0.0};
    const double g0 = *xlo - 2.0 * sMid, g1 = *xhi;
    std::vector<TStart> best(nGamma);
    for (int g = 0; g < nGamma; ++g) {
        TStart& b = best[g];
        for (double sigma : sigmas)
            for (double delta : deltas) {
                const double theta[3] = {g0 + (g1 - g0) * g / (nGamma - 1), sigma, delta};
                const double v = like.At(theta);
                if (v > b.Value) {
                    b.Value = v;
                    std::copy(theta, theta + 3, b.Theta);
                }
            }
    }
    std::vector<TStart> starts;
    for (int g = 0; g < nGamma; ++g) {
        const bool left = g == 0 || best[g].Value >= best[g - 1].Value;
        const bool right = g == nGamma - 1 || best[g].Value >= best[g + 1].Value;
        if (left && right && std::isfinite(best[g].Value)) starts.push_back(best[g]);
    }
    std::sort(starts.begin(), starts.end(),
              [](const TStart& a, const TStart& b) { return a.Value > b.Value; });
    return starts;
}

TStart Climb(TMamLikelihood& like, const TStart& from, int dim, double step, double tol) {
    TSimplexOptions o;
    o.Dimension = dim;
    for (double& s : o.Step) s = step;
    o.XTolerance = tol;
    const TSimplexResult r =
        SimplexSearch([&](const double* t) { return -like.At(t); }, from.Theta, o);
    TStart out;
    std::copy(r.X, r.X + 3, out.Theta);
    out.Value = -r.Value;
    return out;
}

// The profile log likelihood of gamma: the maximum over sigma (and mu - gamma) with gamma
// held, each search starting where the last one ended.
struct TProfile {
    TMamLikelihood* Like;
    bool Four;
    double Rest[2];
    int Evaluations = 0;
    // The last two maxima (gamma, sigma, mu - gamma): the next search starts on their line.
    double History[2][3] = {};
    int HistoryCount = 0;

    void Remember(double gamma) {
        History[0][0] = History[1][0];
        History[0][1] = History[1][1];
        History[0][2] = History[1][2];
        History[1][0] = gamma;
        History[1][1] = Rest[0];
        History[1][2] = Rest[1];
        HistoryCount = std::min(HistoryCount + 1, 2);
    }

    double At(double gamma) {
        const double value = Maximum(gamma);
        Remember(gamma);
        return value;
    }

    double Maximum(double gamma) {
        ++Evaluations;
        // Newton's method from the line through the last two maxima (else the last one);
        // the searches below when it fails.
        double rest[2] = {std::fabs(Rest[0]), std::fabs(Rest[1])};
        const double t = HistoryCount == 2 && History[1][0] != History[0][0]
                             ? (gamma - History[1][0]) / (History[1][0] - History[0][0])
                             : kNaN;
        // Not far beyond the two: the maxima carry the searches' tolerance.
        if (std::fabs(t) <= 3.0) {
            for (int k = 0; k < 2; ++k)
                rest[k] = std::max(0.0, History[1][k + 1] + t * (History[1][k + 1] - History[0][k + 1]));
        }
        const bool nonNegative[2] = {true, true};
        const TNewtonResult newton = NewtonAscent(
            [&](const double* t) {
                const double theta[3] = {gamma, t[0], Four ? t[1] : 0.0};
                return Like->At(theta);
            },
            rest, Four ? 2 : 1, nonNegative, 1e-7);
        if (newton.Converged) {
            Rest[0] = rest[0];
            Rest[1] = rest[1];
            return newton.Value;
        }
        if (!Four) {
            // One free parameter: Brent's method on sigma from a bracket about the last one.
            Gamma = gamma;
            ResultCode code = kResultOk;
            double a = Rest[0], b = Rest[0] + 0.01, c = 0.0, fa, fb, fc;
            BracketMinimum(&MinusLikeOfSigma, this, code, a, b, c, fa, fb, fc);
            double best = b;
            const double value = BrentMinimize(&MinusLikeOfSigma, this, a, b, c, 1e-6, best, code);
            Rest[0] = best;
            return -value;
        }
        TSimplexOptions o;
        o.Dimension = 2;
        o.Step[0] = o.Step[1] = 0.01;
        o.XTolerance = 1e-6;
        const TSimplexResult r = SimplexSearch(
            [&](const double* t) {
                const double theta[3] = {gamma, t[0], t[1]};
                return -Like->At(theta);
            },
            Rest, o);
        Rest[0] = r.X[0];
        Rest[1] = r.X[1];
        return -r.Value;
    }

    static double MinusLikeOfSigma(double sigma, void* context, ResultCode&) {
        auto* self = static_cast<TProfile*>(context);
        const double theta[3] = {self->Gamma, sigma, 0.0};
        return -self->Like->At(theta);
    }

    double Gamma = 0.0;
};

// The end of the interval on one side (direction -1 or +1) of gammaHat. The signed root of
// the profile's fall, r = sqrt(2 (Lmax - profile)), is nearly linear in gamma (exactly so
// for a quadratic profile), and the end is where it reaches 1.96: secant steps on r from
// gammaHat (r = 0) and the quadratic guess gammaHat +- 1.96 se, kept inside the bracket
// once r has passed 1.96 (interpolating between the bracket's ends, or halving it, when a
// secant step would leave it), until r is within 1e-7 of 1.96 or the bracket within 1e-9
// in the log dose. NaN when r never reaches 1.96
// within 30 log units (the interval is open on that side).
double IntervalEnd(TProfile& profile, double gammaHat, double lmax, double se, int direction) {
    constexpr double kTolerance = 1e-9;
    double inner = 0.0, rInner = 0.0;  // distances from gammaHat and their roots
    double outer = kNaN, rOuter = kNaN;
    double previous = 0.0, rPrevious = 0.0;
    double d = std::isfinite(se) && se > 0.0 ? kRootTarget * se : 0.05;
    for (int iteration = 0; iteration < 100; ++iteration) {
        const double value = profile.At(gammaHat + direction * d);
        // Beyond the data the likelihood can vanish: that is outside the interval.
        const double r = std::isfinite(value) ? std::sqrt(2.0 * std::max(lmax - value, 0.0))
                                              : kInfinity;
        // Close enough: 1e-7 in r is about 1e-7 standard errors in gamma.
        if (std::fabs(r - kRootTarget) < 1e-7) return gammaHat + direction * d;
        if (r > kRootTarget) {
            outer = d;
            rOuter = r;
        } else {
            inner = d;
            rInner = r;
        }
        double next = std::isfinite(r) && r != rPrevious
                          ? d + (kRootTarget - r) * (d - previous) / (r - rPrevious)
                          : kNaN;
        if (std::isnan(outer)) {
            // Not out yet: at least 1.3 times further out.
            if (!(next >= 1.3 * d)) next = 1.3 * d;
            if (next > 30.0) return kNaN;
        } else {
            const double width = outer - inner;
            if (!(next > inner && next < outer)) {
                next = std::isfinite(rOuter)
                           ? inner + (kRootTarget - rInner) * width / (rOuter - rInner)
                           : kNaN;
                if (!(next > inner + 0.05 * width && next < outer - 0.05 * width))
                    next = inner + 0.5 * width;
            }
            if (width < kTolerance || std::fabs(next - d) < kTolerance)
                return gammaHat + direction * next;
        }
        previous = d;
        rPrevious = r;
        d = next;
    }
    return kNaN;
}

}  // namespace

void FitMinimumAgeModel(const std::vector<double>& x, const std::vector<double>& s,
                        bool four, TDoseModelResult& result) {
    const int dim = four ? 3 : 2;
    TMamData full;
    for (size_t i = 0; i < x.size(); ++i) full.Add(x[i], s[i], 1.0);
    const bool binned = x.size() > kBinAbove;
    const TMamData coarse = binned ? Binned(x, s) : TMamData();
    TMamLikelihood fullLike(full, four);
    TMamLikelihood coarseLike(binned ? coarse : full, four);

    std::vector<TStart> starts = GridStarts(coarseLike, binned ? coarse : full, four);
    if (starts.size() > 4) starts.resize(4);
    // Climb from each start on the grid's doses; then on every dose from the best few.
    std::vector<TStart> tops;
    for (const TStart& s0 : starts) tops.push_back(Climb(coarseLike, s0, dim, 0.1, 1e-5));
    std::sort(tops.begin(), tops.end(), [](const TStart& a, const TStart& b) { return a.Value > b.Value; });
    TStart best;
    for (size_t k = 0; k < tops.size() && k < 2; ++k) {
        if (k > 0 && tops[k].Value < tops[0].Value - 4.0) break;
        TStart top = tops[k];
        {
            // Newton's method from the grid's maximum, the simplex when it fails.
            top.Theta[1] = std::fabs(top.Theta[1]);
            top.Theta[2] = std::fabs(top.Theta[2]);
            const bool nonNegative[3] = {false, true, true};
            const TNewtonResult newton = NewtonAscent(
                [&](const double* t) { return fullLike.At(t); }, top.Theta, dim, nonNegative, 1e-9);
            top.Value = newton.Value;
            if (!newton.Converged) top = Climb(fullLike, tops[k], dim, 0.003, 1e-8);
        }
        if (top.Value > best.Value) best = top;
    }
    if (!std::isfinite(best.Value)) {
        result.Code = TDoseModelCode::NotConverged;
        return;
    }

    const double gammaHat = best.Theta[0];
    double p = 0.0;
    result.Lmax = fullLike.At(best.Theta, &p);
    result.De = std::exp(gammaHat);
    result.Sigma = std::fabs(best.Theta[1]);
    result.P0 = p;
    if (four) result.Mu = std::exp(gammaHat + std::fabs(best.Theta[2]));
    result.BIC = -2.0 * result.Lmax + (dim + 1) * std::log(static_cast<double>(x.size()));

    // Dose error from the curvature of the profile log likelihood of gamma.
    TProfile profile{&fullLike, four, {best.Theta[1], best.Theta[2]}};
    const double restAtMax[2] = {best.Theta[1], best.Theta[2]};
    const double h = 2e-3;
    const double up = profile.At(gammaHat + h);
    const double restUp[2] = {profile.Rest[0], profile.Rest[1]};
    profile.Rest[0] = restAtMax[0];
    profile.Rest[1] = restAtMax[1];
    profile.HistoryCount = 0;
    const double down = profile.At(gammaHat - h);
    const double restDown[2] = {profile.Rest[0], profile.Rest[1]};
    // Each end's search starts on the line through the maxima at gammaHat -+ h.
    auto startFromCurvature = [&] {
        profile.HistoryCount = 0;
        profile.Rest[0] = restUp[0];
        profile.Rest[1] = restUp[1];
        profile.Remember(gammaHat + h);
        profile.Rest[0] = restDown[0];
        profile.Rest[1] = restDown[1];
        profile.Remember(gammaHat - h);
    };
    const double curvature = (2.0 * result.Lmax - up - down) / (h * h);
    const double se = curvature > 0.0 ? 1.0 / std::sqrt(curvature) : kNaN;
    result.DeError = result.De * se;

    startFromCurvature();
    const double lower = IntervalEnd(profile, gammaHat, result.Lmax, se, -1);
    startFromCurvature();
    const double upper = IntervalEnd(profile, gammaHat, result.Lmax, se, +1);
    result.DeLower = std::exp(lower);
    result.DeUpper = std::exp(upper);
    if (!std::isfinite(se))
        result.Warning = "The likelihood is flat at the minimum dose: its error is not defined.";
    else if (!std::isfinite(lower) || !std::isfinite(upper))
        result.Warning = "The likelihood does not fall far enough on one side of the minimum "
                         "dose: its 95 % interval is open there.";
    else if (p <= 0.0)
        result.Warning = "No dose is assigned to the minimum (p0 = 0): the minimum dose is "
                         "not supported by the data.";
}
