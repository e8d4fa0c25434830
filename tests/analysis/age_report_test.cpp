// The age report: values rounded to the precision of their uncertainty, every input, the
// sources and the program's version.
#include "analysis/age_report.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

TEST(AgeReport, ValuesRoundedToThePrecisionOfTheirError) {
    struct TCase {
        double Value, Error;
        const char* Text;
    };
    const TCase cases[] = {
        {2.7812, 0.0713, "2.78 ± 0.07"},    // one digit of the error
        {2.7812, 0.0153, "2.781 ± 0.015"},  // two when the first is 1
        {25.6847, 1.2345, "25.7 ± 1.2"},
        {25.6847, 2.6, "26 ± 3"},
        {1234.5, 56, "1230 ± 60"},        // beyond the units
        {0.5, 0.0, "0.5"},                // no error: the value alone
        {1.9650, 0.0961, "1.97 ± 0.10"},  // the error rounds up a digit
    };
    for (const TCase& c : cases) EXPECT_EQ(FormatMeasured(c.Value, c.Error), c.Text);
}

TEST(AgeReport, NamesEveryInputTheSourcesAndTheVersion) {
    TDoseRateInputs in;
    in.K = {1.0, 0.1};
    in.U = {2.0, 0.2};
    in.Th = {8.0, 0.8};
    in.HasGrainSize = true;
    in.GrainSize = {180, 250};
    in.HasEtch = true;
    in.Etch = {10, 12};
    in.Water = {0.15, 0.05};
    in.HasAValue = true;
    in.AValue = {0.1, 0.02};
    in.HasInternalK = true;
    in.InternalK = {12.5, 0.5};
    in.HasSite = true;
    in.Site = {51.2, 7.1, 120, 1.5, 1.8};
    in.DepthError = 0.1;
    in.SourceCalibrationError = 2;
    in.MonteCarloDraws = 1000;
    in.Seed = 7;
    TAgeResult age;
    std::string message;
    ASSERT_TRUE(ComputeAge({50, 2}, in, age, message)) << message;
    // Under a comma-decimal C locale the report still writes decimal points.
    const char* before = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    const std::string text = AgeReportText({"S12", "growth curve"}, in, {50, 2}, age);
    if (before != nullptr) std::setlocale(LC_NUMERIC, "C");
    for (const char* part : {"S12",
                             "Orvane Editor ",
                             "Equivalent dose: 50 ± 2 Gy (growth curve)",
                             "Source calibration uncertainty: 2 %",
                             "K: 1.00 ± 0.10 %",
                             "Grain size: 180-250 µm",
                             "Etch depth: 10-12 µm",
                             "Water content: 15 ± 5 % of the dry mass",
                             "a-value: 0.10 ± 0.02",
                             "coarse grains",
                             "Internal K: 12.5 ± 0.5 %",
                             "Depth: 1.50 ± 0.10 m",
                             "Overburden density: 1.8 g/cm3",
                             "1000 draws, seed 7",
                             "Monte Carlo age",
                             "Guérin et al. (2011)",
                             "Guérin et al. (2012), quartz",
                             "Aitken (1985)",
                             "Prescott & Hutton (1994)",
                             "Durcan, King & Duller (2015)",
                             "Brennan et al. (1991)",
                             "Readhead (2002)"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    }
    EXPECT_NE(text.find(std::string(OrvaneVersion())), std::string::npos);
    EXPECT_EQ(text.find(" to "), std::string::npos);
    // The age line carries its rounded value.
    EXPECT_NE(text.find("Age: " + FormatMeasured(age.Age, age.ErrorTotal) + " ka"),
              std::string::npos)
        << text;
    const std::string csv = AgeReportCsv({"S12", "typed"}, in, {50, 2}, age);
    EXPECT_EQ(csv.rfind("quantity,value,error,unit\n", 0), 0u);
    EXPECT_NE(csv.find("Input: Water content"), std::string::npos);
    EXPECT_NE(csv.find("Source,\"Water: Aitken (1985)"), std::string::npos) << csv;
}

}  // namespace
