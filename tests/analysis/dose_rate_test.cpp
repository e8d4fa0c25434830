// The dose rate and the age: worked cases against a second computation of the same
// formulas written out here with analytic derivatives, first-order propagation against
// Monte Carlo, refusals of bad inputs.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/dose_rate.h"
#include "analysis/water_correction.h"

namespace {

// Sums squared contributions: value plus, per independent input, its partial derivative
// times its uncertainty for each component.
struct TReference {
    double Alpha = 0, Beta = 0, Gamma = 0, Cosmic = 0, Internal = 0;
    double VarAlpha = 0, VarBeta = 0, VarGamma = 0, VarCosmic = 0, VarInternal = 0, VarTotal = 0;
    double VarRandom = 0, VarSystematic = 0;

    double Total() const { return Alpha + Beta + Gamma + Cosmic + Internal; }

    // One input of uncertainty sigma with the derivatives of the five components.
    void Input(double sigma, double dA, double dB, double dG, double dC, double dI,
               bool systematic) {
        VarAlpha += dA * dA * sigma * sigma;
        VarBeta += dB * dB * sigma * sigma;
        VarGamma += dG * dG * sigma * sigma;
        VarCosmic += dC * dC * sigma * sigma;
        VarInternal += dI * dI * sigma * sigma;
        const double t = (dA + dB + dG + dC + dI) * sigma;
        VarTotal += t * t;
        (systematic ? VarSystematic : VarRandom) += t * t;
    }
};

// The formulas written out: alpha = a wA (U aU rU eU + Th aTh rTh eTh) with r the alpha
// fraction reaching the grain (1 for fine grains) and e what etching leaves; beta = wB sum C f
// (1 - phi) e, Rb with its own phi and K's etch; gamma = wG sum C g; internal = sum Ci fi phi_i
// + a (Ui aU (1 - rU') + Thi aTh (1 - rTh')) with r' the physical fraction of the size;
// cosmic as computed for the site, its depth and density derivatives by differences.
TReference Reference(const TDoseRateInputs& in) {
    TReference r;
    const TConversionFactors& f = ConversionFactors(in.Factors);
    TRangeFactors phi;  // zero when there is no grain size
    if (in.HasGrainSize) {
        EXPECT_TRUE(
            BetaAbsorbedFractionsForRange(in.Attenuation, in.GrainSize.Min, in.GrainSize.Max, phi));
    }
    TRangeFactors etch;
    etch.Value = {1, 1, 1};
    if (in.HasEtch) {
        EXPECT_TRUE(BetaEtchFactorsForRange(in.Etch.Min, in.Etch.Max, etch));
    }

    TGrainFraction phiRb;
    TGrainFraction rU{1, 0}, rTh{1, 0}, eU{1, 0}, eTh{1, 0}, kU, kTh;
    const bool fine = !in.HasGrainSize || in.GrainSize.Max <= 15.0;
    if (in.HasGrainSize) {
        phiRb = RbAbsorbedFractionForRange(in.GrainSize.Min, in.GrainSize.Max);
        const TGrainFraction u =
            AlphaExternalFractionForRange(TAlphaSeries::U, in.GrainSize.Min, in.GrainSize.Max);
        const TGrainFraction t =
            AlphaExternalFractionForRange(TAlphaSeries::Th, in.GrainSize.Min, in.GrainSize.Max);
        kU = {1 - u.Value, u.Error};
        kTh = {1 - t.Value, t.Error};
        if (!fine) {
            rU = u;
            rTh = t;
        }
    }
    if (in.HasEtch && !fine) {
        eU = AlphaEtchFactorForRange(TAlphaSeries::U, in.Etch.Min, in.Etch.Max);
        eTh = AlphaEtchFactorForRange(TAlphaSeries::Th, in.Etch.Min, in.Etch.Max);
    }
    const double W = in.Water.Value;
    const double wA = 1 / (1 + 1.50 * W), wB = 1 / (1 + 1.25 * W), wG = 1 / (1 + 1.14 * W);
    const double a = in.HasAValue ? in.AValue.Value : 0.0;

    TMeasured K = in.K, U = in.U, Th = in.Th;
    if (in.HasKActivity) K = {in.KActivity.Value / 317.17, in.KActivity.Error / 317.17};
    const double Rb = in.Rb.Value;

    const double tU = (1 - phi.Value.U) * etch.Value.U;
    const double tTh = (1 - phi.Value.Th) * etch.Value.Th;
    const double tK = (1 - phi.Value.K) * etch.Value.K;
    const double tRb = (1 - phiRb.Value) * etch.Value.K;
    const double aU = f.AlphaU.Value * rU.Value * eU.Value;
    const double aTh = f.AlphaTh.Value * rTh.Value * eTh.Value;
    const double alphaDry = a * (U.Value * aU + Th.Value * aTh);
    const double betaDry = U.Value * f.BetaU.Value * tU + Th.Value * f.BetaTh.Value * tTh +
                           K.Value * f.BetaK.Value * tK + Rb * f.BetaRb.Value * tRb;
    const double gammaDry =
        U.Value * f.GammaU.Value + Th.Value * f.GammaTh.Value + K.Value * f.GammaK.Value;
    r.Alpha = alphaDry * wA;
    r.Beta = betaDry * wB;
    r.Gamma = gammaDry * wG;
    const double Ki = in.HasInternalK ? in.InternalK.Value : 0.0;
    const double Rbi = in.HasInternalRb ? in.InternalRb.Value : 0.0;
    const double Ui = in.HasInternalU ? in.InternalU.Value : 0.0;
    const double Thi = in.HasInternalTh ? in.InternalTh.Value : 0.0;
    r.Internal = Ki * f.BetaK.Value * phi.Value.K + Rbi * f.BetaRb.Value * phiRb.Value +
                 Ui * f.BetaU.Value * phi.Value.U + Thi * f.BetaTh.Value * phi.Value.Th +
                 a * (Ui * f.AlphaU.Value * kU.Value + Thi * f.AlphaTh.Value * kTh.Value);
    double cosmicRel = 0.10;
    if (in.HasSite) {
        r.Cosmic = CosmicDoseRate(in.Site).DoseRate;
    } else if (in.HasCosmic) {
        r.Cosmic = in.Cosmic;
        if (in.HasCosmicError) cosmicRel = in.CosmicError / in.Cosmic;
    }

    // Contents.
    r.Input(U.Error, a * aU * wA, f.BetaU.Value * tU * wB, f.GammaU.Value * wG, 0, 0, false);
    r.Input(Th.Error, a * aTh * wA, f.BetaTh.Value * tTh * wB, f.GammaTh.Value * wG, 0, 0, false);
    r.Input(K.Error, 0, f.BetaK.Value * tK * wB, f.GammaK.Value * wG, 0, 0, false);
    r.Input(in.Rb.Error, 0, f.BetaRb.Value * tRb * wB, 0, 0, 0, false);
    r.Input(in.HasInternalK ? in.InternalK.Error : 0, 0, 0, 0, 0, f.BetaK.Value * phi.Value.K,
            false);
    r.Input(in.HasInternalRb ? in.InternalRb.Error : 0, 0, 0, 0, 0, f.BetaRb.Value * phiRb.Value,
            false);
    r.Input(in.HasInternalU ? in.InternalU.Error : 0, 0, 0, 0, 0,
            f.BetaU.Value * phi.Value.U + a * f.AlphaU.Value * kU.Value, false);
    r.Input(in.HasInternalTh ? in.InternalTh.Error : 0, 0, 0, 0, 0,
            f.BetaTh.Value * phi.Value.Th + a * f.AlphaTh.Value * kTh.Value, false);
    r.Input(rU.Error, a * U.Value * f.AlphaU.Value * eU.Value * wA, 0, 0, 0, 0, false);
    r.Input(rTh.Error, a * Th.Value * f.AlphaTh.Value * eTh.Value * wA, 0, 0, 0, 0, false);
    r.Input(eU.Error, a * U.Value * f.AlphaU.Value * rU.Value * wA, 0, 0, 0, 0, false);
    r.Input(eTh.Error, a * Th.Value * f.AlphaTh.Value * rTh.Value * wA, 0, 0, 0, 0, false);
    r.Input(kU.Error, 0, 0, 0, 0, a * Ui * f.AlphaU.Value, false);
    r.Input(kTh.Error, 0, 0, 0, 0, a * Thi * f.AlphaTh.Value, false);
    r.Input(phiRb.Error, 0, -Rb * f.BetaRb.Value * etch.Value.K * wB, 0, 0, Rbi * f.BetaRb.Value,
            false);
    // Water: d/dW of D/(1 + hW) is -h D/(1 + hW)^2.
    r.Input(in.Water.Error, -1.50 * alphaDry * wA * wA, -1.25 * betaDry * wB * wB,
            -1.14 * gammaDry * wG * wG, 0, 0, false);
    r.Input(in.HasAValue ? in.AValue.Error : 0, (U.Value * aU + Th.Value * aTh) * wA, 0, 0, 0,
            Ui * f.AlphaU.Value * kU.Value + Thi * f.AlphaTh.Value * kTh.Value, false);
    // Conversion factors (they also feed the internal dose).
    r.Input(f.AlphaU.Error, a * U.Value * rU.Value * eU.Value * wA, 0, 0, 0, a * Ui * kU.Value,
            true);
    r.Input(f.AlphaTh.Error, a * Th.Value * rTh.Value * eTh.Value * wA, 0, 0, 0,
            a * Thi * kTh.Value, true);
    r.Input(f.BetaU.Error, 0, U.Value * tU * wB, 0, 0, Ui * phi.Value.U, true);
    r.Input(f.BetaTh.Error, 0, Th.Value * tTh * wB, 0, 0, Thi * phi.Value.Th, true);
    r.Input(f.BetaK.Error, 0, K.Value * tK * wB, 0, 0, Ki * phi.Value.K, true);
    r.Input(f.BetaRb.Error, 0, Rb * tRb * wB, 0, 0, Rbi * phiRb.Value, true);
    r.Input(f.GammaU.Error, 0, 0, U.Value * wG, 0, 0, true);
    r.Input(f.GammaTh.Error, 0, 0, Th.Value * wG, 0, 0, true);
    r.Input(f.GammaK.Error, 0, 0, K.Value * wG, 0, 0, true);
    // Absorbed fractions (grain-size range) and etch multipliers.
    r.Input(phi.Error.U, 0, -U.Value * f.BetaU.Value * etch.Value.U * wB, 0, 0, Ui * f.BetaU.Value,
            false);
    r.Input(phi.Error.Th, 0, -Th.Value * f.BetaTh.Value * etch.Value.Th * wB, 0, 0,
            Thi * f.BetaTh.Value, false);
    r.Input(phi.Error.K, 0, -K.Value * f.BetaK.Value * etch.Value.K * wB, 0, 0, Ki * f.BetaK.Value,
            false);
    r.Input(etch.Error.U, 0, U.Value * f.BetaU.Value * (1 - phi.Value.U) * wB, 0, 0, 0, false);
    r.Input(etch.Error.Th, 0, Th.Value * f.BetaTh.Value * (1 - phi.Value.Th) * wB, 0, 0, 0, false);
    r.Input(
        etch.Error.K, 0,
        (K.Value * f.BetaK.Value * (1 - phi.Value.K) + Rb * f.BetaRb.Value * (1 - phiRb.Value)) *
            wB,
        0, 0, 0, false);
    r.Input(r.Cosmic * cosmicRel, 0, 0, 0, 1, 0, true);
    if (in.HasSite) {
        // Depth and density: central differences of the cosmic dose rate of the site.
        const auto cosmicAt = [&](double depth, double density) {
            TCosmicSite site = in.Site;
            site.Depth = depth;
            site.Density = density;
            return CosmicDoseRate(site).DoseRate;
        };
        const double h = 1e-4;
        const double dDepth = (cosmicAt(in.Site.Depth + h, in.Site.Density) -
                               cosmicAt(in.Site.Depth - h, in.Site.Density)) /
                              (2 * h);
        const double dDensity = (cosmicAt(in.Site.Depth, in.Site.Density + h) -
                                 cosmicAt(in.Site.Depth, in.Site.Density - h)) /
                                (2 * h);
        r.Input(in.DepthError, 0, 0, 0, dDepth, 0, false);
        r.Input(in.DensityError, 0, 0, 0, dDensity, 0, false);
    }
    return r;
}

TDoseRateInputs Sand() {
    TDoseRateInputs in;
    in.K = {1.2, 0.05};
    in.U = {2.5, 0.1};
    in.Th = {9.0, 0.4};
    return in;
}

struct TWorkedCase {
    const char* Name;
    TDoseRateInputs Inputs;
};

std::vector<TWorkedCase> WorkedCases() {
    std::vector<TWorkedCase> cases;
    TDoseRateInputs in = Sand();
    cases.push_back({"dry infinite matrix, no cosmic", in});

    in = Sand();
    in.HasGrainSize = true;
    in.GrainSize = {180, 250};
    in.Water = {0.15, 0.05};
    cases.push_back({"quartz sand, wet, no cosmic", in});

    in.HasSite = true;
    in.Site = {51.2, 7.1, 120, 1.5, 1.8};
    cases.push_back({"quartz sand, wet, cosmic from the site", in});

    in.HasEtch = true;
    in.Etch = {8, 12};
    in.Factors = TConversionTable::Liritzis2013;
    cases.push_back({"etched quartz, Liritzis factors", in});

    in = Sand();
    in.HasGrainSize = true;
    in.GrainSize = {90, 125};
    in.Attenuation = TBetaAttenuationTable::Mejdahl1979;
    in.HasCosmic = true;
    in.Cosmic = 0.18;
    in.Water = {0.08, 0.02};
    in.Factors = TConversionTable::AdamiecAitken1998;
    cases.push_back({"quartz, Mejdahl, typed cosmic with 10 %", in});

    in.HasCosmicError = true;
    in.CosmicError = 0.03;
    in.Rb = {80, 10};
    cases.push_back({"quartz with Rb, typed cosmic error", in});

    in = Sand();
    in.HasGrainSize = true;
    in.GrainSize = {4, 11};
    in.HasAValue = true;
    in.AValue = {0.08, 0.02};
    in.Water = {0.2, 0.05};
    cases.push_back({"fine grains with a-value", in});

    in.HasSite = true;
    in.Site = {-33.9, 18.4, 40, 0.8, 1.6};
    in.Factors = TConversionTable::Cresswell2018;
    cases.push_back({"fine grains, shallow site, Cresswell factors", in});

    in = Sand();
    in.HasGrainSize = true;
    in.GrainSize = {90, 125};
    in.HasAValue = true;
    in.AValue = {0.1, 0.02};
    in.Water = {0.12, 0.04};
    cases.push_back({"coarse grains with a-value: attenuated alpha", in});

    in.HasEtch = true;
    in.Etch = {5, 10};
    in.HasInternalU = true;
    in.InternalU = {0.5, 0.1};
    in.HasInternalTh = true;
    in.InternalTh = {1.5, 0.3};
    in.HasSite = true;
    in.Site = {51.2, 7.1, 120, 1.5, 1.8};
    in.DepthError = 0.2;
    in.DensityError = 0.15;
    cases.push_back({"etched coarse grains, internal U and Th, site with depth errors", in});

    in = Sand();
    in.HasGrainSize = true;
    in.GrainSize = {180, 212};
    in.Attenuation = TBetaAttenuationTable::Guerin2012Feldspar;
    in.HasInternalK = true;
    in.InternalK = {12.5, 0.5};
    in.HasInternalRb = true;
    in.InternalRb = {400, 100};
    in.Water = {0.1, 0.03};
    in.HasSite = true;
    in.Site = {30, 70, 150, 2.22, 1.8};
    cases.push_back({"K-feldspar with internal K and Rb", in});

    in = Sand();
    in.HasKActivity = true;
    in.KActivity = {380, 15};
    in.HasGrainSize = true;
    in.GrainSize = {300, 500};
    in.Water = {0.3, 0.1};
    in.HasCosmic = true;
    in.Cosmic = 0.05;
    cases.push_back({"K from its activity, very wet, coarse", in});

    in = TDoseRateInputs{};
    in.HasSite = true;
    in.Site = {46.5, 8.0, 2800, 0.3, 2.0};
    cases.push_back({"cosmic only, high altitude", in});
    return cases;
}

TEST(DoseRate, WorkedCasesAgreeWithTheFormulasWrittenOut) {
    for (const TWorkedCase& c : WorkedCases()) {
        SCOPED_TRACE(c.Name);
        TDoseRateResult result;
        std::string message;
        ASSERT_TRUE(ComputeDoseRate(c.Inputs, result, message)) << message;
        const TReference r = Reference(c.Inputs);
        const auto near = [](double got, double want) {
            EXPECT_NEAR(got, want, 1e-3 * std::abs(want) + 1e-12);
        };
        near(result.Alpha.Value, r.Alpha);
        near(result.Beta.Value, r.Beta);
        near(result.Gamma.Value, r.Gamma);
        near(result.Cosmic.Value, r.Cosmic);
        near(result.Internal.Value, r.Internal);
        near(result.Total.Value, r.Total());
        near(result.Alpha.Error, std::sqrt(r.VarAlpha));
        near(result.Beta.Error, std::sqrt(r.VarBeta));
        near(result.Gamma.Error, std::sqrt(r.VarGamma));
        near(result.Cosmic.Error, std::sqrt(r.VarCosmic));
        near(result.Internal.Error, std::sqrt(r.VarInternal));
        near(result.Total.Error, std::sqrt(r.VarTotal));
        near(result.TotalRandomError, std::sqrt(r.VarRandom));
        near(result.TotalSystematicError, std::sqrt(r.VarSystematic));
    }
}

// One sand by hand, to the digit: Guérin et al. (2011), no attenuation, dry, no cosmic.
TEST(DoseRate, DrySandByHand) {
    TDoseRateResult result;
    std::string message;
    ASSERT_TRUE(ComputeDoseRate(Sand(), result, message)) << message;
    EXPECT_NEAR(result.Beta.Value, 2.5 * 0.1457 + 9.0 * 0.0277 + 1.2 * 0.7982, 1e-12);
    EXPECT_NEAR(result.Gamma.Value, 2.5 * 0.1116 + 9.0 * 0.0479 + 1.2 * 0.2491, 1e-12);
    EXPECT_DOUBLE_EQ(result.Alpha.Value, 0.0);
    EXPECT_DOUBLE_EQ(result.Cosmic.Value, 0.0);
    EXPECT_NEAR(result.Total.Value, 1.57139 + 1.00902, 1e-5);
}

// The propagation is first order; with moderate uncertainties it must agree with the spread
// of a Monte Carlo run of the same model, components and total, to within the noise.
TEST(DoseRate, PropagationAgreesWithMonteCarlo) {
    TDoseRateInputs in = WorkedCases()[10].Inputs;  // feldspar: every kind of input
    in.MonteCarloDraws = 200000;
    in.Seed = 42;
    TDoseRateResult result;
    std::string message;
    ASSERT_TRUE(ComputeDoseRate(in, result, message)) << message;
    ASSERT_TRUE(result.HasMonteCarlo);
    const TMonteCarloSummary& mc = result.MonteCarlo;
    EXPECT_EQ(mc.Draws, 200000);
    const auto agree = [](const TDoseRateValue& linear, const TDoseRateValue& drawn) {
        // Mean within 4 standard errors (plus the small second-order bias of the water term),
        // standard deviation within 3 %.
        EXPECT_NEAR(drawn.Value, linear.Value,
                    4 * linear.Error / std::sqrt(200000.0) + 2e-3 * linear.Value);
        EXPECT_NEAR(drawn.Error, linear.Error, 0.03 * linear.Error);
    };
    agree(result.Beta, mc.Beta);
    agree(result.Gamma, mc.Gamma);
    agree(result.Cosmic, mc.Cosmic);
    agree(result.Internal, mc.Internal);
    agree(result.Total, mc.Total);
    // Inputs shared by several components (contents, water, K factor) are counted once: the
    // total's error is not the quadrature sum of the component errors.
    const double componentQuadrature =
        std::sqrt(std::pow(result.Beta.Error, 2) + std::pow(result.Gamma.Error, 2) +
                  std::pow(result.Cosmic.Error, 2) + std::pow(result.Internal.Error, 2));
    EXPECT_GT(result.Total.Error, componentQuadrature * 1.02);
}

TEST(DoseRate, MonteCarloIsRepeatableForASeed) {
    TDoseRateInputs in = WorkedCases()[2].Inputs;
    in.MonteCarloDraws = 1000;
    in.Seed = 7;
    TDoseRateResult a, b, c;
    std::string message;
    ASSERT_TRUE(ComputeDoseRate(in, a, message));
    ASSERT_TRUE(ComputeDoseRate(in, b, message));
    in.Seed = 8;
    ASSERT_TRUE(ComputeDoseRate(in, c, message));
    EXPECT_EQ(a.MonteCarlo.Total.Value, b.MonteCarlo.Total.Value);
    EXPECT_EQ(a.MonteCarlo.Total.Error, b.MonteCarlo.Total.Error);
    EXPECT_NE(a.MonteCarlo.Total.Value, c.MonteCarlo.Total.Value);
}

TEST(DoseRate, AgeSplitsRandomAndSystematicUncertainty) {
    TDoseRateInputs in = WorkedCases()[2].Inputs;
    TAgeResult age;
    std::string message;
    ASSERT_TRUE(ComputeAge({42.0, 2.0}, in, age, message)) << message;
    const double rate = age.DoseRate.Total.Value;
    EXPECT_NEAR(age.Age, 42.0 / rate, 1e-12);
    const double random = age.Age * std::hypot(2.0 / 42.0, age.DoseRate.TotalRandomError / rate);
    const double systematic = age.Age * age.DoseRate.TotalSystematicError / rate;
    EXPECT_NEAR(age.ErrorRandom, random, 1e-12);
    EXPECT_NEAR(age.ErrorSystematic, systematic, 1e-12);
    EXPECT_NEAR(age.ErrorTotal, std::hypot(random, systematic), 1e-12);
    // The dose-rate error splits the same way.
    EXPECT_NEAR(std::hypot(age.DoseRate.TotalRandomError, age.DoseRate.TotalSystematicError),
                age.DoseRate.Total.Error, 1e-9);
}

struct TRefusal {
    const char* Name;
    void (*Spoil)(TDoseRateInputs&);
    const char* Named;  // the input the message must name
};

TEST(DoseRate, BadInputsAreRefusedWithAMessageNamingThem) {
    const TRefusal refusals[] = {
        {"negative K", [](TDoseRateInputs& in) { in.K.Value = -0.1; }, "'k'"},
        {"negative U error", [](TDoseRateInputs& in) { in.U.Error = -1; }, "'u_error'"},
        {"Th not a number", [](TDoseRateInputs& in) { in.Th.Value = std::nan(""); }, "'th'"},
        {"K over 100 %", [](TDoseRateInputs& in) { in.K.Value = 120; }, "'k'"},
        {"water above 1", [](TDoseRateInputs& in) { in.Water.Value = 1.2; }, "'water'"},
        {"grain size outside the tables",
         [](TDoseRateInputs& in) {
             in.HasGrainSize = true;
             in.GrainSize = {500, 1200};
         },
         "'grain_size'"},
        {"grain size range reversed",
         [](TDoseRateInputs& in) {
             in.HasGrainSize = true;
             in.GrainSize = {250, 180};
         },
         "'grain_size'"},
        {"etch deeper than the table",
         [](TDoseRateInputs& in) {
             in.HasEtch = true;
             in.Etch = {10, 40};
         },
         "'etch'"},
        {"depth below 0",
         [](TDoseRateInputs& in) {
             in.HasSite = true;
             in.Site = {50, 7, 100, -1, 1.8};
         },
         "'depth'"},
        {"latitude beyond the pole",
         [](TDoseRateInputs& in) {
             in.HasSite = true;
             in.Site = {95, 7, 100, 1, 1.8};
         },
         "'latitude'"},
        {"site and typed cosmic",
         [](TDoseRateInputs& in) {
             in.HasSite = true;
             in.Site = {50, 7, 100, 1, 1.8};
             in.HasCosmic = true;
             in.Cosmic = 0.2;
         },
         "'cosmic'"},
        {"a-value above 1",
         [](TDoseRateInputs& in) {
             in.HasAValue = true;
             in.AValue = {1.5, 0};
         },
         "'a_value'"},
        {"internal K without grain size",
         [](TDoseRateInputs& in) {
             in.HasInternalK = true;
             in.InternalK = {12.5, 0.5};
         },
         "'grain_size'"},
        {"too many draws", [](TDoseRateInputs& in) { in.MonteCarloDraws = -5; }, "'mc'"},
    };
    for (const TRefusal& r : refusals) {
        SCOPED_TRACE(r.Name);
        TDoseRateInputs in = Sand();
        r.Spoil(in);
        TDoseRateResult result;
        std::string message;
        EXPECT_FALSE(ComputeDoseRate(in, result, message));
        EXPECT_NE(message.find(r.Named), std::string::npos) << message;
    }
    TAgeResult age;
    std::string message;
    EXPECT_FALSE(ComputeAge({0.0, 1.0}, Sand(), age, message));
    EXPECT_NE(message.find("'de'"), std::string::npos) << message;
    EXPECT_FALSE(ComputeAge({10.0, 1.0}, TDoseRateInputs{}, age, message));
    EXPECT_NE(message.find("zero"), std::string::npos) << message;
}

// Each uncertainty alone is a valid number, but squared and summed it passes the largest
// double: the computation refuses instead of reporting an infinite uncertainty.
TEST(DoseRate, UncertaintiesBeyondTheRangeOfNumbersAreRefused) {
    TDoseRateInputs in = Sand();
    in.U.Error = 1.51e306;
    TDoseRateResult result;
    std::string message;
    EXPECT_FALSE(ComputeDoseRate(in, result, message));
    EXPECT_NE(message.find("too large"), std::string::npos) << message;
    in.MonteCarloDraws = 10;
    EXPECT_FALSE(ComputeDoseRate(in, result, message));
    TAgeResult age;
    message.clear();
    EXPECT_FALSE(ComputeAge({10.0, 1.0}, in, age, message));
    EXPECT_NE(message.find("too large"), std::string::npos) << message;
    // The largest uncertainty that still squares within range is computed.
    in = Sand();
    in.U.Error = 1e100;
    EXPECT_TRUE(ComputeDoseRate(in, result, message)) << message;
    EXPECT_TRUE(std::isfinite(result.Total.Error));
}

}  // namespace
