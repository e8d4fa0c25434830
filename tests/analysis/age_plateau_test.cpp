// Ages over a plateau of equivalent doses and their weighted mean, against hand computations.
#include "analysis/age_plateau.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A dose rate of exactly 2 Gy/ka (typed cosmic dose rate), with `error` Gy/ka.
TDoseRateInputs TwoGrayPerKa(double error) {
    TDoseRateInputs in;
    in.HasCosmic = true;
    in.Cosmic = 2.0;
    in.HasCosmicError = true;
    in.CosmicError = error;
    return in;
}

// Channels 1..5: three results, one failed, one ROI result without an error.
TPlateauArray Doses() {
    return {{1, 1, 0, 40, 2, kPlateauValid},
            {2, 2, 0, 44, 4, kPlateauValid},
            {3, 3, 0, 38, 2, kPlateauWarning},
            {4, 4, 0, 100, 1, kPlateauFailed},
            {5, 5, 0.5, 36, 0, kPlateauRoi}};
}

}  // namespace

TEST(AgePlateau, EachValidDoseDividedByTheDoseRate) {
    TAgePlateau plateau;
    std::string message;
    ASSERT_TRUE(ComputeAgePlateau(Doses(), TwoGrayPerKa(0), plateau, message)) << message;
    ASSERT_EQ(plateau.Ages.size(), 5u);
    const double ages[] = {20, 22, 19, 0, 18};
    const double errors[] = {1, 2, 1, 0, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(plateau.Ages[i].Value, ages[i]) << i;
        EXPECT_DOUBLE_EQ(plateau.Ages[i].Error, errors[i]) << i;
        EXPECT_EQ(plateau.Ages[i].State, Doses()[i].State) << i;
    }
    EXPECT_DOUBLE_EQ(plateau.Ages[4].XSpread, 0.5);
}

// Weights 1, 1/4 and 1 (errors 1, 2, 1 ka): mean 178/9 ka, standard error 1/sqrt(9/4) =
// 2/3 ka, MSWD (4 + 100 + 49) / 81 / 2 = 17/18 below 1, so the mean keeps the mean error of
// its ages, (1 + 2 + 1) / 3 = 4/3 ka.
TEST(AgePlateau, WeightedMeanOverAPickedRange) {
    TAgePlateau plateau;
    std::string message;
    ASSERT_TRUE(ComputeAgePlateau(Doses(), TwoGrayPerKa(0), plateau, message));
    TWeightedMeanAge mean;
    ASSERT_TRUE(WeightedMeanAge(plateau, Doses(), 3, 1, mean, message)) << message;
    EXPECT_EQ(mean.Count, 3);
    EXPECT_NEAR(mean.Age, 178.0 / 9.0, 1e-12);
    EXPECT_NEAR(mean.StandardError, 2.0 / 3.0, 1e-12);
    EXPECT_NEAR(mean.ErrorRandom, 4.0 / 3.0, 1e-12);
    EXPECT_DOUBLE_EQ(mean.ErrorSystematic, 0.0);
    EXPECT_NEAR(mean.Mswd, 17.0 / 18.0, 1e-12);
    // One age alone: its own value and error, no scatter.
    ASSERT_TRUE(WeightedMeanAge(plateau, Doses(), 2, 2, mean, message));
    EXPECT_EQ(mean.Count, 1);
    EXPECT_DOUBLE_EQ(mean.Age, 22);
    EXPECT_DOUBLE_EQ(mean.ErrorRandom, 2);
    EXPECT_DOUBLE_EQ(mean.Mswd, 0);
    // A failed result and one without an error: nothing to average, and the message says so.
    EXPECT_FALSE(WeightedMeanAge(plateau, Doses(), 4, 5, mean, message));
    EXPECT_NE(message.find("No age"), std::string::npos) << message;
}

// The dose rate's 10 % uncertainty is shared: added once to the mean, not averaged away.
TEST(AgePlateau, TheDoseRateErrorIsAddedOnceToTheMean) {
    TAgePlateau plateau;
    std::string message;
    ASSERT_TRUE(ComputeAgePlateau(Doses(), TwoGrayPerKa(0.2), plateau, message)) << message;
    EXPECT_NEAR(plateau.Ages[0].Error,
                20 * std::hypot(0.05, plateau.DoseRate.TotalRandomError / 2.0), 1e-12);
    TWeightedMeanAge mean;
    ASSERT_TRUE(WeightedMeanAge(plateau, Doses(), 1, 3, mean, message));
    EXPECT_NEAR(mean.Age, 178.0 / 9.0, 1e-12);
    const double own = 4.0 / 3.0;
    const double rateShare = std::sqrt(mean.ErrorRandom * mean.ErrorRandom - own * own);
    EXPECT_NEAR(std::hypot(rateShare, mean.ErrorSystematic), 0.1 * mean.Age, 1e-9);
    EXPECT_NEAR(mean.ErrorTotal, std::hypot(mean.ErrorRandom, mean.ErrorSystematic), 1e-12);
}

// 21 channels of one glow curve, each 40 Gy +- 16 %, with a little scatter (MSWD far below
// 1): treated as independent they would give a mean at +-16 % / sqrt(21) = +-3.5 %; the mean
// keeps the channels' +-16 %. Two ages far apart (10 +- 1 and 20 +- 1 ka: MSWD 50) give
// the standard error 1/sqrt(2) inflated by sqrt(50), 5 ka, more than their mean error of 1.
TEST(AgePlateau, TheMeanErrorDoesNotShrinkWithTheNumberOfChannels) {
    TPlateauArray doses;
    for (int i = 0; i < 21; ++i) {
        const double dose = 40.0 + (i % 3 - 1) * 0.5;
        doses.push_back({250 + 10 * i, 250.0 + 10 * i, 0, dose, 0.16 * 40.0, kPlateauValid});
    }
    TAgePlateau plateau;
    std::string message;
    ASSERT_TRUE(ComputeAgePlateau(doses, TwoGrayPerKa(0), plateau, message)) << message;
    TWeightedMeanAge mean;
    ASSERT_TRUE(WeightedMeanAge(plateau, doses, 0, 1000, mean, message)) << message;
    EXPECT_EQ(mean.Count, 21);
    EXPECT_NEAR(mean.Age, 20.0, 0.1);
    EXPECT_LT(mean.Mswd, 0.1);
    EXPECT_NEAR(mean.StandardError / mean.Age, 0.16 / std::sqrt(21.0), 1e-3);
    EXPECT_NEAR(mean.ErrorRandom / mean.Age, 0.16, 1e-3);

    const TPlateauArray apart = {{1, 1, 0, 20, 2, kPlateauValid}, {2, 2, 0, 40, 2, kPlateauValid}};
    ASSERT_TRUE(ComputeAgePlateau(apart, TwoGrayPerKa(0), plateau, message)) << message;
    ASSERT_TRUE(WeightedMeanAge(plateau, apart, 0, 10, mean, message)) << message;
    EXPECT_NEAR(mean.Mswd, 50.0, 1e-9);
    EXPECT_NEAR(mean.ErrorRandom, std::sqrt(0.5) * std::sqrt(50.0), 1e-9);
}

// The beta source's calibration scales every dose alike: systematic, not averaged away.
TEST(AgePlateau, SourceCalibrationJoinsTheSystematicError) {
    TDoseRateInputs in = TwoGrayPerKa(0);
    in.SourceCalibrationError = 3.0;
    TAgePlateau plateau;
    std::string message;
    ASSERT_TRUE(ComputeAgePlateau(Doses(), in, plateau, message)) << message;
    TWeightedMeanAge mean;
    ASSERT_TRUE(WeightedMeanAge(plateau, Doses(), 1, 3, mean, message));
    EXPECT_NEAR(mean.ErrorSystematic, 0.03 * mean.Age, 1e-12);
    EXPECT_NEAR(mean.ErrorRandom, 4.0 / 3.0, 1e-12);
}

TEST(AgePlateau, NoDoseRateNoAges) {
    TAgePlateau plateau;
    std::string message;
    EXPECT_FALSE(ComputeAgePlateau(Doses(), TDoseRateInputs{}, plateau, message));
    EXPECT_NE(message.find("zero"), std::string::npos) << message;
}
