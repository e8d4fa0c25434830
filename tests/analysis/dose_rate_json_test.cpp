// The per-sample inputs file: reading, writing back, and refusing what is not one.
#include <gtest/gtest.h>

#include <string>

#include "analysis/dose_rate_json.h"

namespace {

TEST(DoseRateJson, ReadsEveryKindOfMember) {
    const std::string text =
        "\xEF\xBB\xBF{\r\n \"sample\": \"S12 \\u00e9\", \"k\": 1.2, \"k_error\": 0.05,"
        " \"u\": 2.5, \"th\": 9, \"th_error\": 4e-1, \"factors\": \"liritzis2013\","
        " \"attenuation\": \"mejdahl1979\", \"grain_size\": [90, 125], \"etch\": null,"
        " \"water\": 0.15, \"water_error\": 0.05, \"latitude\": 51.2, \"longitude\": 7.1,"
        " \"altitude\": 120, \"depth\": 1.5, \"density\": 1.8, \"mc\": 500, \"seed\": 9,"
        " \"de\": 42, \"de_error\": 2}\n";
    TDoseRateInputs in;
    TAgeFileExtras extras;
    std::string message;
    ASSERT_TRUE(ParseDoseRateInputsJson(text, in, extras, message)) << message;
    EXPECT_EQ(extras.Sample, "S12 \xC3\xA9");
    EXPECT_DOUBLE_EQ(in.K.Value, 1.2);
    EXPECT_DOUBLE_EQ(in.K.Error, 0.05);
    EXPECT_DOUBLE_EQ(in.U.Value, 2.5);
    EXPECT_DOUBLE_EQ(in.Th.Error, 0.4);
    EXPECT_EQ(in.Factors, TConversionTable::Liritzis2013);
    EXPECT_EQ(in.Attenuation, TBetaAttenuationTable::Mejdahl1979);
    EXPECT_TRUE(in.HasGrainSize);
    EXPECT_DOUBLE_EQ(in.GrainSize.Max, 125);
    EXPECT_FALSE(in.HasEtch);
    EXPECT_TRUE(in.HasSite);
    EXPECT_DOUBLE_EQ(in.Site.Density, 1.8);
    EXPECT_EQ(in.MonteCarloDraws, 500);
    EXPECT_EQ(in.Seed, 9u);
    EXPECT_TRUE(extras.HasDe);
    EXPECT_DOUBLE_EQ(extras.De.Error, 2);
}

TEST(DoseRateJson, WrittenFileReadsBackToTheSameInputs) {
    TDoseRateInputs in;
    in.HasUActivity = true;
    in.UActivity = {30.9, 1.2};
    in.K = {1.1, 0.04};
    in.Th = {8.0, 0.3};
    in.Rb = {70, 7};
    in.Factors = TConversionTable::Cresswell2018;
    in.Attenuation = TBetaAttenuationTable::Guerin2012Feldspar;
    in.HasGrainSize = true;
    in.GrainSize = {180, 212};
    in.HasEtch = true;
    in.Etch = {0, 0};
    in.Water = {0.1, 0.03};
    in.HasAValue = true;
    in.AValue = {0.07, 0.01};
    in.HasInternalK = true;
    in.InternalK = {12.5, 0.5};
    in.HasCosmic = true;
    in.Cosmic = 0.1234567890123;
    in.HasCosmicError = true;
    in.CosmicError = 0.01;
    in.HasInternalU = true;
    in.InternalU = {0.4, 0.1};
    in.HasInternalTh = true;
    in.InternalTh = {1.2, 0.2};
    in.HasGammaRate = true;
    in.GammaRate = {0.85, 0.04};
    in.HasBetaRate = true;
    in.BetaRate = {1.3, 0.06};
    in.SourceCalibrationError = 2.5;
    TAgeFileExtras extras;
    extras.Sample = "quote \" and \\ and\ttab";
    extras.HasDe = true;
    extras.De = {55.5, 3.25};
    extras.DeSource = "growth curve";
    const std::string text = DoseRateInputsJson(in, &extras);

    TDoseRateInputs back;
    TAgeFileExtras backExtras;
    std::string message;
    ASSERT_TRUE(ParseDoseRateInputsJson(text, back, backExtras, message)) << message << text;
    EXPECT_EQ(DoseRateInputsJson(back, &backExtras), text);
    EXPECT_EQ(backExtras.Sample, extras.Sample);
    EXPECT_DOUBLE_EQ(back.Cosmic, in.Cosmic);
    EXPECT_TRUE(back.HasUActivity);
    EXPECT_DOUBLE_EQ(back.UActivity.Value, 30.9);
    EXPECT_TRUE(back.HasInternalTh);
    EXPECT_DOUBLE_EQ(back.InternalTh.Error, 0.2);
    EXPECT_TRUE(back.HasGammaRate);
    EXPECT_FALSE(back.HasAlphaRate);
    EXPECT_DOUBLE_EQ(back.BetaRate.Value, 1.3);
    EXPECT_DOUBLE_EQ(back.SourceCalibrationError, 2.5);
    EXPECT_EQ(backExtras.DeSource, "growth curve");

    // The site with the errors of its depth and density.
    in = TDoseRateInputs{};
    in.HasSite = true;
    in.Site = {51.2, 7.1, 120, 1.5, 1.8};
    in.DepthError = 0.1;
    in.DensityError = 0.2;
    ASSERT_TRUE(ParseDoseRateInputsJson(DoseRateInputsJson(in, nullptr), back, backExtras, message))
        << message;
    EXPECT_TRUE(back.HasSite);
    EXPECT_DOUBLE_EQ(back.DepthError, 0.1);
    EXPECT_DOUBLE_EQ(back.DensityError, 0.2);
}

TEST(DoseRateJson, MalformedOrUnknownContentIsRefusedAndChangesNothing) {
    struct TCase {
        const char* Text;
        const char* Named;
    };
    const TCase cases[] = {
        {"", "byte 0"},
        {"[1, 2]", "one JSON object"},
        {"{\"k\": 1.2,}", "member name"},
        {"{\"k\": 1.2", "'}'"},
        {"{\"k\": \"1.2\"}", "'k'"},
        {"{\"k\": 1,2}", "member name"},
        {"{\"potassium\": 1}", "'potassium'"},
        {"{\"factors\": \"guerin2010\"}", "'guerin2010'"},
        {"{\"grain_size\": [90]}", "'grain_size'"},
        {"{\"grain_size\": [90, \"a\"]}", "'grain_size'"},
        {"{\"mc\": 1.5}", "'mc'"},
        {"{\"mc\": -1}", "'mc'"},
        {"{\"latitude\": 50, \"longitude\": 7}", "'altitude'"},
        {"{\"k\": 1e999}", "value"},
        {"{\"k\": 0x10}", "',' or '}'"},
        {"{\"sample\": \"a\nb\"}", "control character"},
        {"{\"sample\": \"\\q\"}", "escape"},
        {"{\"k\": 1} trailing", "after the end"},
        {"{\"a\": [[[[[[[[[[[[[[[[[[[[1]]]]]]]]]]]]]]]]]]]}", "deeply"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        TDoseRateInputs in;
        in.K = {3.0, 0.1};
        TAgeFileExtras extras;
        std::string message;
        EXPECT_FALSE(ParseDoseRateInputsJson(c.Text, in, extras, message));
        EXPECT_NE(message.find(c.Named), std::string::npos) << message;
        EXPECT_DOUBLE_EQ(in.K.Value, 3.0);
    }
    // Far too deep nesting and oversized text end quickly, without recursion trouble.
    TDoseRateInputs in;
    TAgeFileExtras extras;
    std::string message;
    EXPECT_FALSE(ParseDoseRateInputsJson(std::string(100000, '['), in, extras, message));
    EXPECT_FALSE(
        ParseDoseRateInputsJson(std::string(kMaxDoseRateJsonSize + 1, ' '), in, extras, message));
}

}  // namespace
