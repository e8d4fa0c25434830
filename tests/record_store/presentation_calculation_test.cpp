#include "record_store/presentation_calculation.h"

#include <gtest/gtest.h>

#include "presentation_test_record.h"

using namespace presentation;

namespace {

// A natural TL disk of device 0 with no dose.
TMapRecord DatRecord() {
    TMapRecord r;
    r.Set("Dev#", 17).SetBool("TL run", true).SetBool("Nat TL", true);
    r.Set("Gamma unit", "Gy/min").Set("Beta unit", "Gy/min").Set("Alpha unit", "Gy/min");
    r.Set("Irrad date", "12.07.1999");
    return r;
}

}  // namespace

TEST(PresentationCalculation, DeviceNames) {
    struct Case {
        long long code;
        const char* device;
        const char* runKind;
    } cases[] = {{0, "TL", "TL"},         {17, "TL", "TL"},        {999, "TL", "TL"},
                 {2103, "OSL #1", "OSL"}, {2000, "OSL #0", "OSL"}, {2805, "IRSL", "OSL"},
                 {2807, "IRSL", "OSL"}};
    for (const Case& c : cases) {
        TMapRecord r = DatRecord();
        r.Set("Dev#", static_cast<double>(c.code));
        const TCalculatedFields f = Calculate(TRecordKind::Dat, r);
        EXPECT_EQ(f.device, c.device) << c.code;
        EXPECT_EQ(f.runKind, c.runKind) << c.code;
    }
}

TEST(PresentationCalculation, DatInfoOfTheWorkedExample) {
    // Natural disk, beta dose 34.56 Gy/min x 1 min, 120-minute bleach after irradiation.
    TMapRecord r = DatRecord();
    r.Set("Beta time", 1).Set("Beta rate", 34.56).Set("Bleach time", 120);
    const TCalculatedFields f = Calculate(TRecordKind::Dat, r);
    EXPECT_EQ(f.info, "N + 34.6Gy beta  + bleach(2h)");
    EXPECT_EQ(f.shortInfo, "N+35b+bl(2h)");
}

TEST(PresentationCalculation, DatInfoCases) {
    struct Case {
        const char* what;
        bool natural, tlRun, beforeIrrad, second;
        double bleach, gammaTime, betaTime, alphaTime, rate;
        const char* unit;
        const char* info;
        const char* shortInfo;
    } cases[] = {
        {"natural, nothing else", true, true, false, false, 0, 0, 0, 0, 1, "Gy/min", "N", "N"},
        {"regenerated, no natural", false, true, false, false, 0, 0, 2, 0, 5, "Gy/min",
         "      10.0Gy beta ", "      10b"},
        {"bleach before irradiation", false, true, true, false, 90, 0, 0, 3, 1.5, "Gy/s",
         "       + bleach(2h)4.5Gy alpha ", "      +bl(2h)5a"},
        {"gamma, unit without slash", true, true, false, false, 0, 10, 0, 0, 0.25, "Gy",
         "N + 2.5Gy gamma ", "N+3g"},
        {"bleach of 150 minutes", true, true, false, false, 150, 0, 0, 0, 1, "Gy/min",
         "N + bleach(3h)", "N+bl(3h)"},
        {"background run", true, false, false, false, 0, 0, 1, 0, 1, "Gy/min", "BGD", ""},
        {"bad background run", false, false, false, true, 0, 0, 0, 0, 1, "Gy/min", "BAD! BGD", ""},
        {"bad natural", true, true, false, true, 0, 0, 0, 0, 1, "Gy/min", "BAD! N", "N"},
    };
    for (const Case& c : cases) {
        TMapRecord r = DatRecord();
        r.SetBool("Nat TL", c.natural).SetBool("TL run", c.tlRun);
        r.SetBool("Before irrad", c.beforeIrrad).SetBool("Second", c.second);
        r.Set("Bleach time", c.bleach);
        r.Set("Gamma time", c.gammaTime)
            .Set("Beta time", c.betaTime)
            .Set("Alpha time", c.alphaTime);
        r.Set("Gamma rate", c.rate).Set("Beta rate", c.rate).Set("Alpha rate", c.rate);
        r.Set("Gamma unit", c.unit).Set("Beta unit", c.unit).Set("Alpha unit", c.unit);
        const TCalculatedFields f = Calculate(TRecordKind::Dat, r);
        EXPECT_EQ(f.info, c.info) << c.what;
        EXPECT_EQ(f.shortInfo, c.shortInfo) << c.what;
    }
}

TEST(PresentationCalculation, IrradiationText) {
    TMapRecord r = DatRecord();
    r.Set("Beta time", 1).Set("Beta rate", 34.5).Set("Beta source", "Sr90");
    EXPECT_EQ(Calculate(TRecordKind::Dat, r).irradiation, "Sr90     34.50 Gy on 12.07.1999");
    // Seven characters or more: no padding.
    r.Set("Beta rate", 1234.5);
    EXPECT_EQ(Calculate(TRecordKind::Dat, r).irradiation, "Sr90 1234.50 Gy on 12.07.1999");
    // Gamma is tried first.
    r.Set("Gamma time", 2).Set("Gamma rate", 0.5).Set("Gamma source", "Co60");
    EXPECT_EQ(Calculate(TRecordKind::Dat, r).irradiation, "Co60       1.00 Gy on 12.07.1999");
    // No positive time: empty.
    EXPECT_EQ(Calculate(TRecordKind::Dat, DatRecord()).irradiation, "");
}

TEST(PresentationCalculation, NumericAndFlagFields) {
    TMapRecord r = DatRecord();
    r.Set("NPT", 49).Set("Spacing", 10);
    r.Set("Time base 10", 5).Set("Time base 100", 5).Set("Time base 1000", 5);
    r.SetBool("Single aliquot", true).SetBool("Normalization", true);
    TCalculatedFields f = Calculate(TRecordKind::Dat, r);
    EXPECT_EQ(f.maxTemp, 500);
    EXPECT_NEAR(f.oslTime, 5.55, 1e-12);
    EXPECT_EQ(f.singleMultiple, "single aliquot");
    EXPECT_EQ(f.norm, "normalization");
    r.SetBool("Single aliquot", false).SetBool("Normalization", false);
    f = Calculate(TRecordKind::Dat, r);
    EXPECT_EQ(f.singleMultiple, "");
    EXPECT_EQ(f.norm, "");
}

TEST(PresentationCalculation, SadDescriptions) {
    struct Case {
        const char* irradiator;
        const char* info;
        const char* shortInfo;
    } cases[] = {
        {"A", "N + 12.0Gy alpha ", "N+12A"}, {"B", "N + 12.0Gy beta ", "N+12B"},
        {"H", "N + 12.0Gy beta ", "N+12H"},  {"L", "N + 12.0Gy beta ", "N+12L"},
        {"X", "N + 12.0Gy beta ", "N+12X"},  {"G", "N + 12.0Gy gamma ", "N+12G"},
        {"Q", "N + 12.0", "N+12Q"},          {"", "N + 12.0", "N+12"},
    };
    for (const Case& c : cases) {
        TMapRecord r;
        r.Set("Dev#", 2103).SetBool("TL run", true).SetBool("Nat TL", true);
        r.Set("Irradiating time", 4).Set("Dose rate", 3).Set("Dose rate unit", "Gy/s");
        r.Set("Irradiator", c.irradiator).Set("Source", "S1").Set("Irrad date", "1.1.2000");
        const TCalculatedFields f = Calculate(TRecordKind::Sad, r);
        EXPECT_EQ(f.info, c.info) << c.irradiator;
        EXPECT_EQ(f.shortInfo, c.shortInfo) << c.irradiator;
        EXPECT_EQ(f.irradiation, "S1     12.00 Gy on 1.1.2000");
        EXPECT_EQ(f.device, "OSL #1");
        EXPECT_EQ(f.norm, "");
        EXPECT_EQ(f.maxTemp, 0);
    }
    TMapRecord bg;
    bg.Set("Dev#", 5).SetBool("Short shine", true);
    const TCalculatedFields f = Calculate(TRecordKind::Sad, bg);
    EXPECT_EQ(f.info, "BGD");
    EXPECT_EQ(f.singleMultiple, "single aliquot");
}

TEST(PresentationCalculation, LongTextsAreCutToTheirFieldSize) {
    TMapRecord r = DatRecord();
    r.SetBool("Nat TL", false).SetBool("Second", true).Set("Bleach time", 6000);
    r.SetBool("Before irrad", true).Set("Alpha time", 1).Set("Alpha rate", 123456789.0);
    r.Set("Alpha unit", "mGy/s").Set("Alpha source", "LongName");
    const TCalculatedFields f = Calculate(TRecordKind::Dat, r);
    // "BAD!        + bleach(100h)123456789.0mGy alpha " is 47 characters long.
    EXPECT_EQ(f.info, "BAD!        + bleach(100h)123456789.0mGy");
    EXPECT_EQ(f.shortInfo, "      +bl(100h)12345");
    // "LongName 12345678900000.00 mGy on 12.07.1999" is 44 characters long.
    r.Set("Alpha time", 100000);
    EXPECT_EQ(Calculate(TRecordKind::Dat, r).irradiation,
              "LongName 12345678900000.00 mGy on 12.07.");
}

TEST(PresentationCalculation, SubtractionVariant) {
    TMapRecord r = DatRecord();
    r.Set("Dev#", 5).Set("Run#", 3).Set("Disk#", 7).Set("NPT", 10).Set("Spacing", 5);
    const auto lookup = [](long long run, long long disk) {
        return run == 3 && disk == 7 ? std::string("assigned bgd 3/7") : std::string();
    };
    TCalculatedFields f = CalculateForSubtraction(TRecordKind::Dat, r, lookup);
    EXPECT_EQ(f.device, "TL  ");
    EXPECT_EQ(f.info, "N");
    EXPECT_EQ(f.shortInfo, "assigned bgd 3/7");
    EXPECT_EQ(f.runKind, "");
    EXPECT_EQ(f.maxTemp, 0);
    EXPECT_EQ(f.irradiation, "");
    r.Set("Disk#", 8).Set("Dev#", 2805);
    f = CalculateForSubtraction(TRecordKind::Dat, r, lookup);
    EXPECT_EQ(f.device, "IRSL");
    EXPECT_EQ(f.shortInfo, "");
}

TEST(PresentationCalculation, GeneralRecordsGetNothing) {
    const TCalculatedFields f = Calculate(TRecordKind::General, DatRecord());
    EXPECT_EQ(f.device, "");
    EXPECT_EQ(f.info, "");
}
