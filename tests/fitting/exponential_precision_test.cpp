// Saturating-exponential fits and their doses against a second, independent solver: a
// grid over the exponent with the linear parameters in closed form, then Gauss-Newton on all
// parameters in extended precision. Also the engine's failures on data it cannot fit: too
// few points, and numbers at the limits of double precision.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "dose_test_points.h"
#include "fitting/fit_exponential.h"

namespace {

using Real = long double;

// A1 [+ A2 x] + Aa exp(-k x): n = 3 (code 8) or 4 (code 9), parameters in the engine's order.
Real Model(int n, const Real* p, Real x) {
    Real value = p[0] + p[n - 2] * std::exp(-p[n - 1] * x);
    if (n == 4) value += p[1] * x;
    return value;
}

// Solves the m x m system a z = b (row stride m) by Gaussian elimination with partial
// pivoting; false when singular.
bool Solve(int m, std::vector<Real> a, std::vector<Real> b, std::vector<Real>& z) {
    for (int c = 0; c < m; ++c) {
        int pivot = c;
        for (int r = c + 1; r < m; ++r) {
            if (std::fabs(a[r * m + c]) > std::fabs(a[pivot * m + c])) pivot = r;
        }
        if (a[pivot * m + c] == 0.0L) return false;
        for (int k = 0; k < m; ++k) std::swap(a[c * m + k], a[pivot * m + k]);
        std::swap(b[c], b[pivot]);
        for (int r = c + 1; r < m; ++r) {
            const Real f = a[r * m + c] / a[c * m + c];
            for (int k = c; k < m; ++k) a[r * m + k] -= f * a[c * m + k];
            b[r] -= f * b[c];
        }
    }
    z.assign(m, 0.0L);
    for (int r = m - 1; r >= 0; --r) {
        Real sum = b[r];
        for (int k = r + 1; k < m; ++k) sum -= a[r * m + k] * z[k];
        z[r] = sum / a[r * m + r];
    }
    return true;
}

struct TReference {
    Real Params[4] = {};
    Real ChiSquare = 0.0L;
};

Real ChiSquare(int n, const Real* p, const TPointSet& s) {
    Real sum = 0.0L;
    for (int i = 0; i < s.Count; ++i) {
        const Real r = (s.Signal[i] - Model(n, p, s.Dose[i])) / s.Error[i];
        sum += r * r;
    }
    return sum;
}

// Linear parameters for a fixed exponent by weighted normal equations.
void LinearPart(int n, Real k, const TPointSet& s, Real* p) {
    const int m = n - 1;
    std::vector<Real> a(m * m, 0.0L), b(m, 0.0L), z;
    for (int i = 0; i < s.Count; ++i) {
        const Real w = 1.0L / (static_cast<Real>(s.Error[i]) * s.Error[i]);
        Real g[3] = {1.0L, s.Dose[i], std::exp(-k * s.Dose[i])};
        if (n == 3) g[1] = g[2];
        for (int r = 0; r < m; ++r) {
            b[r] += w * g[r] * s.Signal[i];
            for (int c = 0; c < m; ++c) a[r * m + c] += w * g[r] * g[c];
        }
    }
    ASSERT_TRUE(Solve(m, a, b, z));
    for (int j = 0; j < m; ++j) p[j] = z[j];
    p[n - 1] = k;
}

// The weighted least-squares fit, found without the engine.
TReference IndependentFit(int n, const TPointSet& s) {
    Real largest = 0.0L;
    for (int i = 0; i < s.Count; ++i) largest = std::fmax(largest, s.Dose[i]);
    TReference best;
    best.ChiSquare = INFINITY;
    for (int g = 0; g <= 600; ++g) {
        Real p[4];
        LinearPart(n, std::pow(10.0L, -2.0L + 4.0L * g / 600.0L) / largest, s, p);
        const Real chi = ChiSquare(n, p, s);
        if (chi < best.ChiSquare) {
            best.ChiSquare = chi;
            std::copy(p, p + n, best.Params);
        }
    }
    for (int iteration = 0; iteration < 100; ++iteration) {
        std::vector<Real> a(n * n, 0.0L), b(n, 0.0L), step;
        Real* p = best.Params;
        for (int i = 0; i < s.Count; ++i) {
            const Real x = s.Dose[i];
            const Real w = 1.0L / (static_cast<Real>(s.Error[i]) * s.Error[i]);
            const Real e = std::exp(-p[n - 1] * x);
            Real g[4] = {1.0L, x, e, -p[n - 2] * x * e};
            if (n == 3) g[1] = e, g[2] = -p[1] * x * e;
            const Real r = s.Signal[i] - Model(n, p, x);
            for (int j = 0; j < n; ++j) {
                b[j] += w * g[j] * r;
                for (int k = 0; k < n; ++k) a[j * n + k] += w * g[j] * g[k];
            }
        }
        if (!Solve(n, a, b, step)) break;
        for (int j = 0; j < n; ++j) p[j] += step[j];
        if (std::fabs(step[n - 1]) <= 1e-17L * std::fabs(p[n - 1])) break;
    }
    best.ChiSquare = ChiSquare(n, best.Params, s);
    return best;
}

// Dose where the reference curve reaches the level, by bisection on [0, 5 x largest dose].
Real DoseAtLevel(int n, const Real* p, Real level, Real largest) {
    Real low = 0.0L, high = 5.0L * largest;
    for (int i = 0; i < 200; ++i) {
        const Real middle = 0.5L * (low + high);
        if (Model(n, p, middle) < level) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return 0.5L * (low + high);
}

struct TGrowth {
    const char* Name;
    FunctionCode Code;
    double A1, A2, Amplitude, Exponent;  // A1 + A2 x + Amplitude exp(-Exponent x)
    std::vector<double> Doses;
    double Scatter;      // relative size of a fixed pseudo-random scatter
    double NaturalDose;  // dose of the three natural points
};

double ScatterAt(int i) {
    return std::sin(1.7 * i + 0.3) + 0.5 * std::cos(4.1 * i);
}

// Regenerated points (set 2) and three natural points (set 1), errors 2 % of the signal.
void MakeGrowth(const TGrowth& g, TPointSet& natural, TPointSet& regenerated) {
    auto curve = [&](double d) {
        return g.A1 + g.A2 * d + g.Amplitude * std::exp(-g.Exponent * d);
    };
    regenerated = TPointSet();
    for (double d : g.Doses) {
        const int i = regenerated.Count++;
        regenerated.Dose[i] = d;
        regenerated.Signal[i] = curve(d) * (1.0 + g.Scatter * ScatterAt(i));
        regenerated.Error[i] = 0.02 * regenerated.Signal[i];
    }
    natural = TPointSet();
    for (int i = 0; i < 3; ++i) {
        natural.Dose[i] = 0.0;
        natural.Signal[i] = curve(g.NaturalDose) * (1.0 + g.Scatter * ScatterAt(50 + i));
        natural.Error[i] = 0.02 * natural.Signal[i];
    }
    natural.Count = 3;
}

const std::vector<TGrowth> kGrowths = {
    {"SevenDosesToSaturation",
     8,
     1000,
     0,
     -800,
     0.005,
     {0, 133, 267, 400, 533, 667, 800},
     0.01,
     150},
    {"ReplicatedDoses",
     8,
     5200,
     0,
     -5000,
     0.02,
     {0, 0, 25, 25, 50, 50, 100, 100, 200, 200, 300, 300},
     0.02,
     60},
    {"FarFromSaturation", 8, 3000, 0, -2900, 0.0008, {0, 50, 100, 200, 300, 400, 600}, 0.01, 250},
    {"SteepExponent", 8, 100, 0, -90, 0.5, {0, 1, 2, 3, 5, 8, 12, 20}, 0.005, 1.5},
    {"WithLinearTerm",
     9,
     1000,
     0.2,
     -800,
     0.005,
     {0, 50, 100, 200, 300, 400, 600, 800, 1000},
     0.01,
     150},
    {"LinearTermReplicated",
     9,
     300,
     2,
     -250,
     0.02,
     {0, 10, 10, 25, 50, 50, 75, 100, 150, 200, 300},
     0.01,
     40},
};

class ExponentialAgainstIndependentSolver : public ::testing::TestWithParam<TGrowth> {};

}  // namespace

TEST_P(ExponentialAgainstIndependentSolver, ParametersChiSquareAndDoseAgree) {
    const TGrowth& g = GetParam();
    TPointSet natural, regenerated;
    MakeGrowth(g, natural, regenerated);
    const int n = g.Code == 8 ? 3 : 4;
    const TReference reference = IndependentFit(n, regenerated);

    const TDoseRun run =
        RunDose(dmRegenerative, kArbitraryErrors, g.Code, g.Code, natural, regenerated);
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    for (int j = 0; j < n; ++j) {
        EXPECT_NEAR(run.Fit.Params2[j], static_cast<double>(reference.Params[j]),
                    1e-8 * std::fabs(static_cast<double>(reference.Params[j])))
            << "A" << j + 1;
    }
    EXPECT_NEAR(run.Fit.ChiSquare2, static_cast<double>(reference.ChiSquare),
                1e-9 * static_cast<double>(reference.ChiSquare));

    // The natural level is the weighted mean of the natural points.
    Real sum = 0.0L, weights = 0.0L;
    Real largest = 0.0L;
    for (int i = 0; i < natural.Count; ++i) {
        const Real w = 1.0L / (static_cast<Real>(natural.Error[i]) * natural.Error[i]);
        sum += w * natural.Signal[i];
        weights += w;
    }
    for (int i = 0; i < regenerated.Count; ++i) largest = std::fmax(largest, regenerated.Dose[i]);
    const double dose =
        static_cast<double>(DoseAtLevel(n, reference.Params, sum / weights, largest));
    // Code 9 finds its dose with Brent's method to a tolerance of 1e-4 (relative and absolute),
    // which usually ends far closer.
    EXPECT_NEAR(run.Fit.ED, dose, (g.Code == 8 ? 1e-9 : 1e-6) * dose);
}

INSTANTIATE_TEST_SUITE_P(Growths, ExponentialAgainstIndependentSolver,
                         ::testing::ValuesIn(kGrowths),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(ExponentialPrecision, NoiseFreeRegenerativeCurveGivesTheTrueDose) {
    // On exact points of 1000 - 800 exp(-0.005 D) the natural signal F(100) lies at dose 100
    // exactly, and the fit through exact points has chi-square 0.
    auto curve = [](double d) { return 1000.0 - 800.0 * std::exp(-0.005 * d); };
    TPointSet natural = PointsOf(curve, {0, 0, 0});
    natural.Dose[0] = natural.Dose[1] = natural.Dose[2] = 0.0;
    for (int i = 0; i < 3; ++i) natural.Signal[i] = curve(100.0);
    const TPointSet regenerated = PointsOf(curve, {0, 50, 150, 250, 400, 600, 800}, 5.0);
    const TDoseRun run = RunDose(dmRegenerative, kArbitraryErrors, 8, 8, natural, regenerated);
    ASSERT_EQ(run.Code, kResultOk) << run.Note;
    EXPECT_NEAR(run.Fit.ED, 100.0, 1e-9);
    EXPECT_LT(run.Fit.ChiSquare2, 1e-18);
    EXPECT_NEAR(run.Fit.Params2[2], 0.005, 1e-14);
}

TEST(ExponentialPrecision, EveryFunctionKindNeedsMorePointsThanParameters) {
    // Known errors (Arbitrary errors) used to let these through: two points under a
    // three-parameter exponential gave "O.K." with a dose of 9.93 +- 2464.
    struct TCase {
        FunctionCode Code;
        int Parameters;
    };
    const TCase cases[] = {{1, 2}, {2, 3}, {4, 4}, {8, 3}, {9, 4}, {16 + 6, 7}, {49, 3}};
    auto pointsOf = [](int count) {
        TPointSet set;
        for (int i = 0; i < count; ++i) {
            set.Dose[i] = 10.0 * i;
            set.Signal[i] = 100.0 + 50.0 * i - 2.0 * i * i + (i % 2 == 0 ? 1.0 : -1.0);
            set.Error[i] = 2.0;
        }
        set.Count = count;
        return set;
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Code);
        for (int count : {c.Parameters - 1, c.Parameters}) {
            const TDoseRun run = RunDose(dmTestFit, kArbitraryErrors, c.Code, kCorrectionTable,
                                         pointsOf(count), TPointSet());
            EXPECT_EQ(run.Code, kInsufficientErrorData) << count << " points: " << run.Note;
        }
        // One point more than parameters is enough to be fitted.
        const TDoseRun run = RunDose(dmTestFit, kArbitraryErrors, c.Code, kCorrectionTable,
                                     pointsOf(c.Parameters + 1), TPointSet());
        EXPECT_NE(run.Code, kInsufficientErrorData) << run.Note;
        if (!IsDecayCode(c.Code)) {
            EXPECT_EQ(run.Code, kResultOk) << run.Note;
        }
    }
}

TEST(ExponentialPrecision, OverflowIsAFailureNotAResult) {
    // Doses and signals near 1e300 overflow the sums of the exponent search; this used to
    // come back "O.K." with a dose of 12.77, an error of 0 and an infinite chi-square.
    const TPointSet natural = MakePoints({0}, {1e300}, 1e298);
    const TPointSet regenerated =
        MakePoints({0, 1e300, 2e300, 3e300, 4e300}, {2e299, 6e299, 9e299, 1.1e300, 1.2e300}, 1e298);
    const TDoseRun run = RunDose(dmRegenerative, kArbitraryErrors, 8, 8, natural, regenerated);
    EXPECT_EQ(run.Code, kIllConditioned);
    EXPECT_EQ(run.Note, "numeric value too big; ");

    // A polynomial through signals whose squares overflow has an infinite chi-square.
    const TPointSet huge = MakePoints({0, 1, 2, 3}, {1e200, 3e200, 2e200, 5e200}, 1e-150);
    const TDoseRun line =
        RunDose(dmTestFit, kArbitraryErrors, 1, kCorrectionTable, huge, TPointSet());
    EXPECT_EQ(line.Code, kIllConditioned);
    EXPECT_EQ(line.Note, "numeric value too big; ");
}
