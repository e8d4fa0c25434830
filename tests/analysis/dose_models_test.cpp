// The dose models against independent values: the central age model against Galbraith's
// fixed-point iteration run by hand (in double precision, outside this program), the common
// age model and the weighted mean against their closed forms, the minimum age models
// against a brute-force grid search over the published likelihood written out here, their
// interval ends against the profile likelihood at those ends, and the refusals.
#include "analysis/dose_models.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using TDoses = std::vector<TDoseValue>;

// ---- central, common and weighted mean ---------------------------------------------------

struct TCentralCase {
    const char* name;
    TDoses doses;
    // Galbraith et al. (1999): delta and sigma iterated to a fixed point from sigma = 0.1.
    double de, deError, relOD, relODError, od, odError;
};

TEST(CentralAgeModel, MatchesGalbraithIteration) {
    const TCentralCase cases[] = {
        {"five doses",
         {{10, 1}, {12, 1.2}, {15, 0.9}, {8, 0.8}, {11, 0.5}},
         11.0689251005, 1.0243135474, 18.9704313828, 7.11155701386, 2.099822841, 0.810802185692},
        {"six doses",
         {{20.1, 1.5}, {25.3, 2.0}, {18.2, 1.1}, {31.0, 2.8}, {22.7, 1.3}, {27.4, 2.1}},
         23.5598232696, 1.71900285583, 16.2976785206, 5.6504162228, 3.83970425651,
         1.36038834476},
    };
    for (const TCentralCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TDoseModelResult r = FitDoseModel(c.doses, {TDoseModelKind::Central});
        ASSERT_EQ(r.Code, TDoseModelCode::Ok);
        EXPECT_NEAR(r.De, c.de, 1e-9 * c.de);
        EXPECT_NEAR(r.DeError, c.deError, 1e-8 * c.deError);
        EXPECT_NEAR(r.RelOD, c.relOD, 1e-8 * c.relOD);
        EXPECT_NEAR(r.RelODError, c.relODError, 1e-8 * c.relODError);
        EXPECT_NEAR(r.OD, c.od, 1e-8 * c.od);
        EXPECT_NEAR(r.ODError, c.odError, 1e-8 * c.odError);
        EXPECT_TRUE(r.Warning.empty());
    }
}

TEST(CentralAgeModel, UnderdispersedDosesHaveNoOverdispersionAndSayTheErrorIsUndefined) {
    // Relative errors of 20 % around doses within 5 %: the likelihood is highest at sigma 0,
    // where the model is the common age model.
    const TDoses doses = {{10, 2}, {10.5, 2.1}, {9.8, 1.96}};
    const TDoseModelResult cam = FitDoseModel(doses, {TDoseModelKind::Central});
    const TDoseModelResult common = FitDoseModel(doses, {TDoseModelKind::Common});
    ASSERT_EQ(cam.Code, TDoseModelCode::Ok);
    EXPECT_EQ(cam.RelOD, 0.0);
    EXPECT_TRUE(std::isnan(cam.RelODError));
    EXPECT_FALSE(cam.Warning.empty());
    EXPECT_NEAR(cam.De, common.De, 1e-12 * common.De);
}

TEST(ClosedFormModels, CommonAgeAndWeightedMean) {
    // Doses 10 +- 1 and 20 +- 4: relative errors 0.1 and 0.2, log weights 100 and 25.
    const TDoses doses = {{10, 1}, {20, 4}};
    const double logMean = (100 * std::log(10.0) + 25 * std::log(20.0)) / 125;
    struct {
        TDoseModelKind kind;
        double de, deError;
    } const cases[] = {
        {TDoseModelKind::Common, std::exp(logMean), std::exp(logMean) / std::sqrt(125.0)},
        // Weights 1 and 1/16.
        {TDoseModelKind::WeightedMean, (10 + 20.0 / 16) / (1 + 1.0 / 16), 1 / std::sqrt(17.0 / 16)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(DoseModelName(c.kind));
        const TDoseModelResult r = FitDoseModel(doses, {c.kind});
        ASSERT_EQ(r.Code, TDoseModelCode::Ok);
        EXPECT_NEAR(r.De, c.de, 1e-12 * c.de);
        EXPECT_NEAR(r.DeError, c.deError, 1e-12 * c.deError);
    }
}

TEST(DoseModels, RefuseBadInputNamingTheDose) {
    const double nan = std::nan("");
    struct {
        const char* name;
        TDoseModelKind kind;
        TDoses doses;
        double sigmaB;
        TDoseModelCode code;
        int index;
    } const cases[] = {
        {"one dose", TDoseModelKind::Central, {{10, 1}}, 0, TDoseModelCode::TooFewValues, -1},
        {"zero dose on the log scale", TDoseModelKind::Central, {{10, 1}, {0, 1}, {5, 1}}, 0,
         TDoseModelCode::NonPositiveDose, 1},
        {"negative dose, minimum model", TDoseModelKind::Minimum3, {{-3, 1}, {4, 1}}, 0.1,
         TDoseModelCode::NonPositiveDose, 0},
        {"zero error", TDoseModelKind::WeightedMean, {{10, 1}, {5, 0}}, 0,
         TDoseModelCode::NonPositiveError, 1},
        {"not a number", TDoseModelKind::Common, {{10, 1}, {5, 1}, {nan, 1}}, 0,
         TDoseModelCode::NotFinite, 2},
        {"sigma_b out of range", TDoseModelKind::Minimum4, {{10, 1}, {5, 1}}, -0.1,
         TDoseModelCode::BadSigmaB, -1},
        // The weight of a relative error of 1e-302 overflows.
        {"error too small to weigh", TDoseModelKind::Central, {{2.9, 0.4}, {9.1, 1e-301}}, 0,
         TDoseModelCode::OutOfRange, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TDoseModelResult r = FitDoseModel(c.doses, {c.kind, c.sigmaB});
        EXPECT_EQ(r.Code, c.code);
        EXPECT_EQ(r.BadIndex, c.index);
        EXPECT_FALSE(DoseModelMessage(r, "line 3").empty());
    }
    // A mean of doses around zero is fine on the linear scale.
    EXPECT_EQ(FitDoseModel({{-1, 1}, {0, 1}, {1, 1}}, {TDoseModelKind::WeightedMean}).Code,
              TDoseModelCode::Ok);
}

// ---- minimum age models -------------------------------------------------------------------

// The published density of one log dose x with error s (sigma_b included).
double MamDensity(double x, double s, double gamma, double sigma, double p, double mu) {
    const double pi = 3.14159265358979323846;
    auto phi = [&](double t) { return std::exp(-0.5 * t * t) / std::sqrt(2 * pi); };
    auto upper = [](double t) { return 0.5 * std::erfc(t / std::sqrt(2.0)); };
    const double S = std::sqrt(sigma * sigma + s * s);
    const double mu0 = (mu / (sigma * sigma) + x / (s * s)) / (1 / (sigma * sigma) + 1 / (s * s));
    const double sigma0 = 1 / std::sqrt(1 / (sigma * sigma) + 1 / (s * s));
    const double truncated =
        upper((gamma - mu0) / sigma0) / upper((gamma - mu) / sigma) * phi((x - mu) / S) / S;
    return p * phi((x - gamma) / s) / s + (1 - p) * truncated;
}

struct TLogDoses {
    std::vector<double> x, s;
};

TLogDoses ToLog(const TDoses& doses, double sigmaB) {
    TLogDoses l;
    for (const TDoseValue& d : doses) {
        l.x.push_back(std::log(d.De));
        l.s.push_back(std::hypot(d.DeError / d.De, sigmaB));
    }
    return l;
}

double MamLogLikelihood(const TLogDoses& l, const double* q) {
    double sum = 0;
    for (size_t i = 0; i < l.x.size(); ++i)
        sum += std::log(MamDensity(l.x[i], l.s[i], q[0], q[1], q[2], q[3]));
    return sum;
}

// Brute-force search: a grid over the free parameters in their ranges, then grids that
// shrink around the best point. Parameters q = gamma, sigma, p, mu; `fixedGamma` holds
// gamma (the profile), `four` frees mu (else mu = gamma).
struct TGridBest {
    double q[4];
    double value;
};

TGridBest GridSearch(const TLogDoses& l, bool four, const double* fixedGamma = nullptr) {
    const auto [xlo, xhi] = std::minmax_element(l.x.begin(), l.x.end());
    double lo[4] = {*xlo - 0.5, 0.01, 0.0, *xlo - 0.5};
    double hi[4] = {*xhi, 1.5, 1.0, *xhi + 0.5};
    if (fixedGamma) lo[0] = hi[0] = *fixedGamma;
    const int free[4] = {fixedGamma ? 0 : 1, 1, 1, four ? 1 : 0};
    TGridBest best{{}, -HUGE_VAL};
    for (int round = 0; round < 30; ++round) {
        const int n = round == 0 ? (four ? 14 : 40) : 9;
        int count[4];
        for (int k = 0; k < 4; ++k) count[k] = free[k] ? n : 1;
        double q[4];
        for (int a = 0; a < count[0]; ++a)
            for (int b = 0; b < count[1]; ++b)
                for (int c = 0; c < count[2]; ++c)
                    for (int d = 0; d < count[3]; ++d) {
                        const int idx[4] = {a, b, c, d};
                        for (int k = 0; k < 4; ++k)
                            q[k] = count[k] == 1 ? lo[k]
                                                 : lo[k] + (hi[k] - lo[k]) * idx[k] / (count[k] - 1);
                        if (!four) q[3] = q[0];
                        if (q[3] < q[0]) continue;
                        const double v = MamLogLikelihood(l, q);
                        if (v > best.value) best = {{q[0], q[1], q[2], q[3]}, v};
                    }
        for (int k = 0; k < 4; ++k) {
            if (!free[k]) continue;
            const double half = (hi[k] - lo[k]) / (n - 1) * 1.5;
            lo[k] = best.q[k] - half;
            hi[k] = best.q[k] + half;
            if (k == 1) lo[k] = std::max(lo[k], 1e-6);
            if (k == 2) lo[k] = std::max(lo[k], 0.0), hi[k] = std::min(hi[k], 1.0);
        }
    }
    return best;
}

struct TMinimumCase {
    const char* name;
    TDoseModelKind kind;
    double sigmaB;
    TDoses doses;
    bool lowerOpen;
};

// A cluster near 5 Gy, a second near 9 Gy and a tail to 40 Gy: the likelihood of gamma has
// a local maximum at each cluster.
const TDoses kTwoClusters = {
    {4.9, 0.4},  {5.2, 0.45}, {5.0, 0.5},  {5.4, 0.5},  {8.8, 0.7},  {9.1, 0.8},  {9.0, 0.6},
    {9.4, 0.9},  {8.7, 0.8},  {9.6, 0.7},  {12.5, 1.2}, {14.0, 1.3}, {16.2, 1.5}, {19.5, 2.0},
    {23.0, 2.1}, {27.1, 2.5}, {31.8, 3.0}, {38.5, 3.6}, {11.0, 1.0}, {13.2, 1.1}, {17.7, 1.6},
    {21.4, 2.2}, {10.2, 0.9}, {25.0, 2.4}, {35.0, 3.2}};

const TDoses kOneCluster = {
    {20.3, 1.6}, {21.0, 1.9}, {19.5, 1.4}, {22.4, 2.0}, {20.8, 1.5}, {26.0, 2.2}, {31.2, 2.9},
    {44.0, 4.0}, {37.5, 3.1}, {28.9, 2.4}, {52.3, 5.1}, {24.1, 2.3}, {33.3, 3.3}, {21.7, 1.8}};

TEST(MinimumAgeModel, ReachesTheHighestLikelihoodOfAGridSearch) {
    const TMinimumCase cases[] = {
        {"3 parameters, two clusters", TDoseModelKind::Minimum3, 0.1, kTwoClusters, false},
        {"3 parameters, one cluster", TDoseModelKind::Minimum3, 0.05, kOneCluster, false},
        {"4 parameters, two clusters", TDoseModelKind::Minimum4, 0.1, kTwoClusters, false},
        // Below the lowest doses the model tends to an untruncated log-normal, whose
        // likelihood is within 1.92 of the maximum: no lower end.
        {"4 parameters, one cluster", TDoseModelKind::Minimum4, 0.15, kOneCluster, true},
    };
    for (const TMinimumCase& c : cases) {
        SCOPED_TRACE(c.name);
        const bool four = c.kind == TDoseModelKind::Minimum4;
        const TDoseModelResult r = FitDoseModel(c.doses, {c.kind, c.sigmaB});
        ASSERT_EQ(r.Code, TDoseModelCode::Ok);
        const TLogDoses l = ToLog(c.doses, c.sigmaB);
        // Lmax is the published likelihood at the parameters the model reports.
        const double at[4] = {std::log(r.De), r.Sigma, r.P0, four ? std::log(r.Mu) : std::log(r.De)};
        EXPECT_NEAR(MamLogLikelihood(l, at), r.Lmax, 1e-9);
        // No grid point is higher, and the grid's best is the same dose.
        const TGridBest grid = GridSearch(l, four);
        EXPECT_GE(r.Lmax, grid.value - 1e-9);
        EXPECT_NEAR(r.Lmax, grid.value, 1e-6);
        EXPECT_NEAR(std::log(r.De), grid.q[0], 2e-3);
        const int k = four ? 4 : 3;
        EXPECT_NEAR(r.BIC, -2 * r.Lmax + k * std::log(double(c.doses.size())), 1e-12);
        // The interval's ends lie where the profile likelihood has fallen by 1.9207; an end
        // the likelihood leaves open is one where it stays above that far out.
        for (double end : {r.DeLower, r.DeUpper}) {
            if (std::isnan(end)) {
                EXPECT_FALSE(r.Warning.empty());
                const double far = std::log(r.De) - 8;
                EXPECT_GT(GridSearch(l, four, &far).value, r.Lmax - 1.9207294103470622);
                continue;
            }
            const double gamma = std::log(end);
            EXPECT_NEAR(GridSearch(l, four, &gamma).value, r.Lmax - 1.9207294103470622, 2e-4);
        }
        EXPECT_TRUE(std::isnan(r.DeLower) || r.DeLower < r.De);
        EXPECT_GT(r.DeUpper, r.De);
        EXPECT_EQ(std::isnan(r.DeLower), c.lowerOpen);
    }
}

}  // namespace
