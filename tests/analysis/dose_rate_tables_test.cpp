// Published constants of the dose-rate computation: conversion factors, specific
// activities, beta attenuation and etch tables, water correction, cosmic dose rate.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "analysis/beta_attenuation.h"
#include "analysis/conversion_factors.h"
#include "analysis/cosmic_dose_rate.h"
#include "analysis/water_correction.h"

namespace {

struct TFactorCase {
    TConversionTable Table;
    const char* Name;
    // Published values: U series as pre-radon plus post-radon parts (alpha, beta, gamma),
    // Th series and K.
    double PreAlphaU, PostAlphaU, PreBetaU, PostBetaU, PreGammaU, PostGammaU;
    double AlphaTh, BetaTh, GammaTh, BetaK, GammaK;
};

// The U series totals are checked against the sums of the two parts the papers tabulate,
// the other factors against the published values directly.
TEST(ConversionFactors, MatchThePublishedTables) {
    const TFactorCase cases[] = {
        {TConversionTable::Guerin2011, "Guerin 2011", 1.267, 1.528, 0.0603, 0.0854, 0.0042, 0.1074,
         0.7375, 0.0277, 0.0479, 0.7982, 0.2491},
        {TConversionTable::Liritzis2013, "Liritzis 2013", 1.265, 1.528, 0.0602, 0.0857, 0.0044,
         0.1074, 0.7375, 0.0275, 0.0481, 0.8011, 0.2498},
        {TConversionTable::Cresswell2018, "Cresswell 2018", 1.27, 1.52, 0.056, 0.086, 0.0037,
         0.1083, 0.738, 0.028, 0.0489, 0.835, 0.248},
        // Adamiec & Aitken give the totals: 2.78, 0.146, 0.113.
        {TConversionTable::AdamiecAitken1998, "Adamiec & Aitken 1998", 2.78, 0, 0.146, 0, 0.113, 0,
         0.732, 0.0273, 0.0476, 0.782, 0.243},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TConversionFactors& f = ConversionFactors(c.Table);
        EXPECT_NEAR(f.AlphaU.Value, c.PreAlphaU + c.PostAlphaU, 1e-9);
        EXPECT_NEAR(f.BetaU.Value, c.PreBetaU + c.PostBetaU, 1e-9);
        EXPECT_NEAR(f.GammaU.Value, c.PreGammaU + c.PostGammaU, 1e-9);
        EXPECT_DOUBLE_EQ(f.AlphaTh.Value, c.AlphaTh);
        EXPECT_DOUBLE_EQ(f.BetaTh.Value, c.BetaTh);
        EXPECT_DOUBLE_EQ(f.GammaTh.Value, c.GammaTh);
        EXPECT_DOUBLE_EQ(f.BetaK.Value, c.BetaK);
        EXPECT_DOUBLE_EQ(f.GammaK.Value, c.GammaK);
        for (const TFactor* factor : {&f.AlphaU, &f.AlphaTh, &f.BetaU, &f.BetaTh, &f.BetaK,
                                      &f.BetaRb, &f.GammaU, &f.GammaTh, &f.GammaK}) {
            EXPECT_GT(factor->Error, 0.0);
            EXPECT_LT(factor->Error, 0.05 * factor->Value);
        }
    }
}

TEST(ConversionFactors, KeysRoundTripAndUnknownKeysAreRefused) {
    for (auto table : {TConversionTable::Guerin2011, TConversionTable::AdamiecAitken1998,
                       TConversionTable::Liritzis2013, TConversionTable::Cresswell2018}) {
        TConversionTable parsed = TConversionTable::Guerin2011;
        ASSERT_TRUE(ParseConversionTable(ConversionTableKey(table), parsed));
        EXPECT_EQ(parsed, table);
    }
    TConversionTable parsed = TConversionTable::Cresswell2018;
    EXPECT_FALSE(ParseConversionTable("guerin2012", parsed));
    EXPECT_EQ(parsed, TConversionTable::Cresswell2018);
}

// Specific activities worked by hand from the nuclear data: A = N_A h / M * ln2 / T.
TEST(ConversionFactors, SpecificActivitiesOfOnePpmAndOnePercent) {
    EXPECT_NEAR(UraniumBqPerPpm(), 12.35, 0.01);
    EXPECT_NEAR(ThoriumBqPerPpm(), 4.07, 0.01);
    EXPECT_NEAR(PotassiumBqPerPercent(), 317.2, 0.2);
}

TEST(BetaAttenuation, TabulatedDiametersGiveThePublishedFractions) {
    struct TCase {
        TBetaAttenuationTable Table;
        double Diameter, U, Th, K;
    };
    const TCase cases[] = {
        {TBetaAttenuationTable::Mejdahl1979, 100, 0.0957, 0.1427, 0.0354},
        {TBetaAttenuationTable::Mejdahl1979, 500, 0.263, 0.320, 0.1748},
        {TBetaAttenuationTable::Guerin2012Quartz, 200, 0.143, 0.200, 0.074952},
        {TBetaAttenuationTable::Guerin2012Quartz, 1000, 0.395, 0.449, 0.372109},
        {TBetaAttenuationTable::Guerin2012Feldspar, 100, 0.093, 0.131, 0.035},
        {TBetaAttenuationTable::Guerin2012Feldspar, 400, 0.217, 0.281, 0.148},
    };
    for (const auto& c : cases) {
        TSeriesFactors phi;
        ASSERT_TRUE(BetaAbsorbedFractions(c.Table, c.Diameter, phi));
        EXPECT_DOUBLE_EQ(phi.U, c.U) << c.Diameter;
        EXPECT_DOUBLE_EQ(phi.Th, c.Th) << c.Diameter;
        EXPECT_DOUBLE_EQ(phi.K, c.K) << c.Diameter;
    }
}

TEST(BetaAttenuation, InterpolatesLinearlyAndRangesTakeTheMeanOfTheirEnds) {
    TSeriesFactors phi;
    // Between 100 (0.095) and 120 (0.105) of the quartz U column.
    ASSERT_TRUE(BetaAbsorbedFractions(TBetaAttenuationTable::Guerin2012Quartz, 105, phi));
    EXPECT_NEAR(phi.U, 0.095 + 0.25 * 0.010, 1e-12);
    // Fine grains run linearly to zero at zero size: 4 µm is 4/5 of Mejdahl's 5 µm value.
    ASSERT_TRUE(BetaAbsorbedFractions(TBetaAttenuationTable::Mejdahl1979, 4, phi));
    EXPECT_NEAR(phi.Th, 0.8 * 0.0225, 1e-12);

    TRangeFactors range;
    ASSERT_TRUE(
        BetaAbsorbedFractionsForRange(TBetaAttenuationTable::Guerin2012Quartz, 90, 125, range));
    const double u90 = 0.084 + 0.5 * (0.095 - 0.084);
    const double u125 = 0.105 + 0.25 * (0.115 - 0.105);
    EXPECT_NEAR(range.Value.U, (u90 + u125) / 2, 1e-12);
    EXPECT_NEAR(range.Error.U, (u125 - u90) / 2, 1e-12);
}

TEST(BetaAttenuation, SizesOutsideTheTablesAreRefused) {
    TSeriesFactors phi;
    TRangeFactors range;
    for (auto table :
         {TBetaAttenuationTable::Guerin2012Quartz, TBetaAttenuationTable::Guerin2012Feldspar,
          TBetaAttenuationTable::Mejdahl1979}) {
        EXPECT_FALSE(BetaAbsorbedFractions(table, 1000.5, phi));
        EXPECT_FALSE(BetaAbsorbedFractions(table, -1, phi));
        EXPECT_FALSE(BetaAbsorbedFractions(table, std::nan(""), phi));
        EXPECT_FALSE(BetaAbsorbedFractionsForRange(table, 200, 100, range));
    }
    EXPECT_FALSE(BetaEtchFactors(31, phi));
}

TEST(BetaAttenuation, EtchFactorsReduceTheDoseWithDepth) {
    TSeriesFactors none, ten;
    ASSERT_TRUE(BetaEtchFactors(0, none));
    ASSERT_TRUE(BetaEtchFactors(10, ten));
    EXPECT_DOUBLE_EQ(none.U, 1.0);
    EXPECT_DOUBLE_EQ(ten.U, 0.99113);
    EXPECT_DOUBLE_EQ(ten.Th, 0.98722);
    EXPECT_DOUBLE_EQ(ten.K, 0.99710);
    TRangeFactors range;
    ASSERT_TRUE(BetaEtchFactorsForRange(8, 12, range));
    EXPECT_NEAR(range.Value.U,
                (0.99493 + 0.6 * (0.99113 - 0.99493) + 0.99113 + 0.4 * (0.98823 - 0.99113)) / 2,
                1e-12);
}

TEST(WaterCorrection, AitkenFactors) {
    // 20 % water: alpha 1/1.30, beta 1/1.25, gamma 1/1.228.
    EXPECT_DOUBLE_EQ(WaterMultiplier(kWaterAlphaFactor, 0.2), 1 / 1.30);
    EXPECT_DOUBLE_EQ(WaterMultiplier(kWaterBetaFactor, 0.2), 1 / 1.25);
    EXPECT_DOUBLE_EQ(WaterMultiplier(kWaterGammaFactor, 0.2), 1 / 1.228);
    EXPECT_DOUBLE_EQ(WaterMultiplier(kWaterBetaFactor, 0.0), 1.0);
}

TEST(CosmicDoseRate, SeaLevelDoseRateFollowsThePublishedCurve) {
    EXPECT_DOUBLE_EQ(CosmicSeaLevelDoseRate(0.0), 0.295);
    // 1 hg/cm2 of soil: 0.0321 - 0.135 + 0.221 - 0.207 + 0.295.
    EXPECT_NEAR(CosmicSeaLevelDoseRate(1.0), 0.2061, 1e-12);
    // 10 hg/cm2 (5 m at 2 g/cm3), hard component only.
    const double x = 10.0;
    const double hand =
        6072.0 / ((std::exp(1.68 * std::log(21.6)) + 75.0) * 222.0) * std::exp(-0.0055);
    EXPECT_NEAR(CosmicSeaLevelDoseRate(x), hand, 1e-12);
    EXPECT_NEAR(hand, 0.1090, 5e-4);
    // It falls with depth.
    double previous = CosmicSeaLevelDoseRate(0.0);
    for (double depth = 0.5; depth < 60; depth += 0.5) {
        const double d = CosmicSeaLevelDoseRate(depth);
        EXPECT_LT(d, previous) << depth;
        previous = d;
    }
}

// Sites worked by hand: the geomagnetic latitude from the dipole pole at 78.3 N, 291 E, the
// factors from the published curve.
TEST(CosmicDoseRate, SitesWorkedByHand) {
    // On the meridian of the pole, 55 N: geomagnetic latitude 66.7, beyond the knee of the
    // curve (F 0.23, J 0.76, H 4.10); surface at sea level.
    const double rad = std::numbers::pi / 180;
    const double lambda = std::asin(0.203 * std::cos(55 * rad) + 0.979 * std::sin(55 * rad)) / rad;
    EXPECT_NEAR(GeomagneticLatitude(55, 291), lambda, 1e-9);
    EXPECT_NEAR(lambda, 66.69, 0.01);
    TCosmicDetails d = CosmicDoseRate({55, 291, 0, 0, 2.0});
    EXPECT_NEAR(d.DoseRate, 0.295 * 0.99, 1e-12);

    // The geomagnetic equator near 11.7 S geographic on the antimeridian of the pole
    // (longitude 111 E): lambda = asin(-0.203 cos(lat) + 0.979 sin(lat)) = 0 at lat = 11.71.
    const double equatorLat = std::atan(0.203 / 0.979) / rad;
    EXPECT_NEAR(GeomagneticLatitude(equatorLat, 111), 0.0, 1e-9);
    // 2 m of 1.8 g/cm3 sediment at 1500 m: F 0.40, J 0.52, H 4.40 at the equator.
    d = CosmicDoseRate({equatorLat, 111, 1500, 2.0, 1.8});
    const double x = 3.6;
    const double d0 =
        6072.0 / ((std::pow(x + 11.6, 1.68) + 75.0) * (x + 212.0)) * std::exp(-0.00055 * x);
    EXPECT_NEAR(d.Overburden, 3.6, 1e-12);
    EXPECT_NEAR(d.DoseRate, d0 * (0.40 + 0.52 * std::exp(1.5 / 4.40)), 1e-12);

    // Halfway between whole degrees the factors are the means of the two.
    double f, j, h;
    CosmicLatitudeFactors(-20.5, f, j, h);
    EXPECT_NEAR(f, (0.35 + 0.345) / 2, 1e-12);
    EXPECT_NEAR(j, (0.595 + 0.60) / 2, 1e-12);
    EXPECT_NEAR(h, (4.30 + 4.29) / 2, 1e-12);
}

}  // namespace
