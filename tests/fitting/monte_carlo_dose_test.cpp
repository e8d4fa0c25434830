// The Monte Carlo dose error against the closed-form propagated error of straight lines,
// its reproducibility, its intervals and its counting of draws that cannot be fitted.
#include "fitting/monte_carlo_dose.h"

#include <gtest/gtest.h>

#include <cmath>

#include "dose_test_points.h"

namespace {

// Weighted least squares of a line a + b x by the normal equations, written out.
struct TLine {
    double A, B, VarA, VarB, CovAB;
};

TLine FitLine(const TPointSet& set) {
    double s = 0, sx = 0, sxx = 0, sy = 0, sxy = 0;
    for (int i = 0; i < set.Count; ++i) {
        const double w = 1.0 / (set.Error[i] * set.Error[i]);
        s += w;
        sx += w * set.Dose[i];
        sxx += w * set.Dose[i] * set.Dose[i];
        sy += w * set.Signal[i];
        sxy += w * set.Dose[i] * set.Signal[i];
    }
    const double delta = s * sxx - sx * sx;
    return {(sxx * sy - sx * sxy) / delta, (s * sxy - sx * sy) / delta, sxx / delta, s / delta,
            -sx / delta};
}

// Weighted mean of a set's signals and its standard error.
void WeightedMean(const TPointSet& set, double& mean, double& sigma) {
    double s = 0, sy = 0;
    for (int i = 0; i < set.Count; ++i) {
        const double w = 1.0 / (set.Error[i] * set.Error[i]);
        s += w;
        sy += w * set.Signal[i];
    }
    mean = sy / s;
    sigma = 1.0 / std::sqrt(s);
}

// Propagated error of the dose where the line reaches `level` (with its own error).
double LineDoseSigma(const TLine& l, double level, double levelSigma) {
    const double x = (level - l.A) / l.B;
    return std::sqrt(l.VarA + x * x * l.VarB + 2.0 * x * l.CovAB + levelSigma * levelSigma) /
           std::fabs(l.B);
}

struct TLineCase {
    const char* Name;
    int Method;
    TPointSet Set1, Set2;
    double Expected;  // the propagated error
};

TMonteCarloDoseInput LinearInput(int method, const TPointSet& set1, const TPointSet& set2) {
    TMonteCarloDoseInput in;
    in.Method = method;
    in.Model = kArbitraryErrors;
    in.Code1 = kLinearFunction;
    in.Code2 = method == dmRegenerative ? kLinearFunction : kCorrectionTable;
    in.Set1 = set1;
    in.Set2 = set2;
    return in;
}

std::vector<TLineCase> LineCases() {
    std::vector<TLineCase> cases;
    {
        // Additive: the dose is the intercept a / b of the line on the dose axis.
        const TPointSet set = MakePoints({0, 0, 10, 20, 30, 40, 50}, {100, 100, 120, 140, 160, 180, 200},
                                         {1.5, 1.5, 1.8, 2.2, 2.5, 2.8, 3.2});
        const TLine l = FitLine(set);
        cases.push_back({"additive intercept", dmAdditive, set, TPointSet{},
                         LineDoseSigma(l, 0.0, 0.0)});
    }
    {
        // Regenerative: three natural points, six regenerated ones on 2 + 3 x. (No error is
        // exactly 1: the engine takes weights of 1 for unknown errors.)
        const TPointSet natural = MakePoints({0, 0, 0}, {62, 62, 62}, {1.2, 1.4, 1.1});
        const TPointSet regen = MakePoints({5, 10, 15, 25, 35, 45}, {17, 32, 47, 77, 107, 137},
                                           {0.8, 0.9, 1.2, 1.6, 2.0, 2.4});
        double level = 0, levelSigma = 0;
        WeightedMean(natural, level, levelSigma);
        cases.push_back({"regenerative", dmRegenerative, natural, regen,
                         LineDoseSigma(FitLine(regen), level, levelSigma)});
    }
    return cases;
}

TEST(MonteCarloDose, LinearDoseErrorAgreesWithPropagation) {
    for (const TLineCase& c : LineCases()) {
        SCOPED_TRACE(c.Name);
        TMonteCarloDoseOptions options;
        options.Draws = 8000;
        options.Seed = 7;
        const TMonteCarloDose r = MonteCarloDoseError(LinearInput(c.Method, c.Set1, c.Set2), options);
        ASSERT_EQ(r.Code, TMonteCarloCode::Ok);
        EXPECT_EQ(r.Failed, 0);
        // The standard deviation of 8 000 draws is known to 1 / sqrt(2 x 8 000) = 0.8 %; the
        // ratio of the line's dose adds a little skew at these errors of a few %.
        EXPECT_NEAR(r.DeError / c.Expected, 1.0, 0.04);
        EXPECT_NEAR(r.Mean, r.CentralED, 0.1 * c.Expected);
        // The 68 % interval of a nearly normal spread spans about two standard errors.
        EXPECT_NEAR((r.Upper68 - r.Lower68) / (2.0 * c.Expected), 1.0, 0.06);
        EXPECT_NEAR((r.Upper95 - r.Lower95) / (2.0 * 1.959964 * c.Expected), 1.0, 0.06);
    }
}

TEST(MonteCarloDose, TheAnalyticErrorOfTheEngineIsTheClosedForm) {
    // The comparison above is with the engine's own analytic error as well.
    for (const TLineCase& c : LineCases()) {
        SCOPED_TRACE(c.Name);
        TPointSet set1 = c.Set1, set2 = c.Set2;
        const TMonteCarloDoseInput in = LinearInput(c.Method, set1, set2);
        TFitRecord fit;
        std::string note;
        ResultCode code = kResultOk;
        EstimateDose(in.Method, in.Model, in.Code1, in.Code2, set1, set2, fit, note, code);
        ASSERT_FALSE(IsFatal(code)) << note;
        EXPECT_NEAR(fit.EDError, c.Expected, 1e-9 * c.Expected);
    }
}

TEST(MonteCarloDose, UnknownErrorsAreDrawnFromTheScatterAboutTheCurve) {
    // Equal errors and no replicates: the fit takes the points' error from their scatter
    // about the line, s^2 = chi^2 / (N - 2), and so must the draws.
    TPointSet set = MakePoints({0, 10, 20, 30, 40, 50, 60}, {101, 118, 142, 159, 181, 198, 222}, 1.0);
    TLine unweighted = FitLine(set);
    double chi = 0;
    for (int i = 0; i < set.Count; ++i) {
        const double r = set.Signal[i] - unweighted.A - unweighted.B * set.Dose[i];
        chi += r * r;
    }
    const double scatter = std::sqrt(chi / (set.Count - 2));
    TPointSet withScatter = set;
    for (int i = 0; i < set.Count; ++i) withScatter.Error[i] = scatter;
    const double expected = LineDoseSigma(FitLine(withScatter), 0.0, 0.0);

    TMonteCarloDoseInput in = LinearInput(dmAdditive, set, TPointSet{});
    in.Model = kEqualErrors;
    TMonteCarloDoseOptions options;
    options.Draws = 8000;
    const TMonteCarloDose r = MonteCarloDoseError(in, options);
    ASSERT_EQ(r.Code, TMonteCarloCode::Ok);
    EXPECT_NEAR(r.DeError / expected, 1.0, 0.04);
}

TEST(MonteCarloDose, SameSeedSameDrawsOtherSeedOtherDraws) {
    const TLineCase c = LineCases()[1];
    TMonteCarloDoseOptions options;
    options.Draws = 200;
    options.Seed = 42;
    const TMonteCarloDoseInput in = LinearInput(c.Method, c.Set1, c.Set2);
    const TMonteCarloDose a = MonteCarloDoseError(in, options);
    const TMonteCarloDose b = MonteCarloDoseError(in, options);
    options.Seed = 43;
    const TMonteCarloDose other = MonteCarloDoseError(in, options);
    ASSERT_EQ(a.Code, TMonteCarloCode::Ok);
    EXPECT_EQ(a.DeError, b.DeError);
    EXPECT_EQ(a.Lower95, b.Lower95);
    EXPECT_EQ(a.Upper68, b.Upper68);
    EXPECT_EQ(a.Seed, 42u);
    EXPECT_NE(a.DeError, other.DeError);
}

TEST(MonteCarloDose, IntervalsAreNestedAroundTheDose) {
    // A saturating exponential: the spread is skewed, the intervals must still nest.
    TPointSet natural = MakePoints({0, 0}, {70, 71}, {2.0, 2.0});
    TPointSet regen = PointsOf([](double d) { return 100.0 * (1.0 - std::exp(-d / 40.0)); },
                               {10, 20, 40, 80, 160}, 2.0);
    TMonteCarloDoseInput in;
    in.Method = dmRegenerative;
    in.Model = kArbitraryErrors;
    in.Code1 = in.Code2 = kSaturatingExponential;
    in.Set1 = natural;
    in.Set2 = regen;
    TMonteCarloDoseOptions options;
    options.Draws = 500;
    const TMonteCarloDose r = MonteCarloDoseError(in, options);
    ASSERT_EQ(r.Code, TMonteCarloCode::Ok);
    EXPECT_LT(r.Lower95, r.Lower68);
    EXPECT_LT(r.Lower68, r.CentralED);
    EXPECT_LT(r.CentralED, r.Upper68);
    EXPECT_LT(r.Upper68, r.Upper95);
    EXPECT_GT(r.DeError, 0.0);
}

TEST(MonteCarloDose, DrawsWithAFallingLineAreCountedAsFailed) {
    // A line rising by half its slope's error: a draw fails ("function not increasing")
    // whenever its slope is not positive, with probability Phi(-0.5) = 0.3085.
    const TPointSet natural = MakePoints({0}, {10.2}, {0.01});
    // Slope 0.025; its error sqrt(0.5^2 / 2 + 0.5^2 / 2) / 10 = 0.05.
    const TPointSet regen = MakePoints({0, 0, 10, 10}, {10.0, 10.0, 10.25, 10.25}, 0.5);
    TMonteCarloDoseOptions options;
    options.Draws = 4000;
    const TMonteCarloDose r =
        MonteCarloDoseError(LinearInput(dmRegenerative, natural, regen), options);
    ASSERT_EQ(r.Code, TMonteCarloCode::Ok);
    EXPECT_NEAR(static_cast<double>(r.Failed) / options.Draws, 0.3085, 0.025);
    EXPECT_FALSE(r.Warning.empty());
    EXPECT_NE(r.Warning.find(std::to_string(r.Failed) + " of 4000"), std::string::npos);
}

TEST(MonteCarloDose, ResultsWithoutDrawsSayWhy) {
    const TLineCase c = LineCases()[0];
    struct TCase {
        const char* Name;
        TMonteCarloDoseInput Input;
        int Draws;
        TMonteCarloCode Expected;
    } cases[] = {
        {"one draw", LinearInput(dmAdditive, c.Set1, c.Set2), 1, TMonteCarloCode::BadInput},
        {"single-aliquot iteration", LinearInput(dmSingleAliquot, c.Set1, c.Set2), 100,
         TMonteCarloCode::NotSupported},
        {"no solution", LinearInput(dmAdditive, MakePoints({0}, {1}, 1.0), TPointSet{}), 100,
         TMonteCarloCode::NoSolution},
    };
    for (const TCase& t : cases) {
        SCOPED_TRACE(t.Name);
        TMonteCarloDoseOptions options;
        options.Draws = t.Draws;
        EXPECT_EQ(MonteCarloDoseError(t.Input, options).Code, t.Expected);
    }
}

TEST(MonteCarloDose, ProgressCanCancel) {
    const TLineCase c = LineCases()[0];
    TMonteCarloDoseOptions options;
    options.Draws = 1000;
    int calls = 0;
    options.Progress = [&calls](int done, int total) {
        ++calls;
        EXPECT_EQ(total, 1000);
        return done < 100;
    };
    const TMonteCarloDose r = MonteCarloDoseError(LinearInput(c.Method, c.Set1, c.Set2), options);
    EXPECT_EQ(r.Code, TMonteCarloCode::Cancelled);
    EXPECT_GT(calls, 1);
}

TEST(MonteCarloDose, ShiftMovesEveryDoseButNotTheError) {
    TMonteCarloDose r;
    r.Code = TMonteCarloCode::Ok;
    r.CentralED = 10;
    r.Mean = 10.1;
    r.DeError = 1;
    r.Lower68 = 9;
    r.Upper68 = 11;
    r.Lower95 = 8;
    r.Upper95 = 12;
    ShiftMonteCarloDose(r, -2.5);
    EXPECT_DOUBLE_EQ(r.CentralED, 7.5);
    EXPECT_DOUBLE_EQ(r.Mean, 7.6);
    EXPECT_DOUBLE_EQ(r.Lower68, 6.5);
    EXPECT_DOUBLE_EQ(r.Upper95, 9.5);
    EXPECT_DOUBLE_EQ(r.DeError, 1.0);
}

}  // namespace
