// The aliquot model: dose levels, devices, texts, method bits and recognition, selection
// membership and the aliquot set, on crafted tables and files and on the bundled sample.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "analysis/aliquot_lists.h"
#include "analysis/aliquot_set.h"
#include "analysis/device_key.h"
#include "analysis/dose_levels.h"
#include "analysis/method_recognition.h"
#include "analysis_test_files.h"

using namespace analysis_test;

namespace {

struct TLevelCase {
    std::vector<double> doses;
    double tolerance;
    std::vector<TDoseLevel> expected;
};

TEST(DoseLevels, GroupsWithinTheTolerance) {
    const TLevelCase cases[] = {
        {{10, 10.1, 10.2}, 0.05, {{10.1, 3}}},
        {{20, 10}, 0.05, {{10, 1}, {20, 1}}},
        {{10, 10.1, 10}, 0, {{10, 2}, {10.1, 1}}},
        {{5, 10, 10.4, 10.8}, 0.05, {{5, 1}, {10.4, 3}}},
        // Every dose counts in the merged mean: (0.98 + 1.0 + 1.04 + 1.05) / 4.
        {{0.98, 1.0, 1.04, 1.05}, 0.05, {{1.0175, 4}}},
        {{}, 0.05, {}},
        {{0, 0, 25.05, 50.1}, 0.05, {{0, 2}, {25.05, 1}, {50.1, 1}}},
    };
    for (const TLevelCase& c : cases) {
        const std::vector<TDoseLevel> levels = GroupDoseLevels(c.doses, c.tolerance);
        ASSERT_EQ(levels.size(), c.expected.size()) << c.doses.size() << " doses";
        for (std::size_t i = 0; i < levels.size(); ++i) {
            EXPECT_NEAR(levels[i].Dose, c.expected[i].Dose, 1e-12);
            EXPECT_EQ(levels[i].Count, c.expected[i].Count);
        }
    }
}

TEST(DoseLevels, DosesThatOnceMergedALevelIntoItselfEnd) {
    // The window of 9.8 reaches 9.31 exactly at its lower edge.
    const std::vector<double> doses = {9.1, 9.31, 9.8};
    const std::vector<TDoseLevel> levels = GroupDoseLevels(doses, 0.05);
    int count = 0;
    double sum = 0;
    for (const TDoseLevel& l : levels) {
        count += l.Count;
        sum += l.Count * l.Dose;
        EXPECT_GE(l.Dose, 9.1);
        EXPECT_LE(l.Dose, 9.8);
    }
    EXPECT_EQ(count, 3);
    EXPECT_NEAR(sum, 9.1 + 9.31 + 9.8, 1e-12);  // merging keeps the total dose
}

TEST(DeviceKey, ComparisonAndText) {
    TDeviceKey a = TLKey();
    TDeviceKey b = TLKey();
    b.EndTemp = 700;  // another number of points: the same device
    EXPECT_TRUE(SameDevice(a, b));
    b.Ramp = 2;
    EXPECT_GT(CompareDeviceKeys(a, b), 0);

    TDeviceKey o = OslKey();
    TDeviceKey p = OslKey();
    p.SampleTemp = 126;
    EXPECT_FALSE(SameDevice(o, p));
    EXPECT_LT(CompareDeviceKeys(o, p), 0);
    EXPECT_LT(CompareDeviceKeys(a, o), 0);  // TL (0) before OSL (21)

    EXPECT_EQ(DeviceText(a), "TL 5deg 5/s");
    EXPECT_EQ(DeviceText(o), "OSL#1 90.2% @125 43.20s");  // 230 / 2.55 = 90.196
    o.Device = 28;
    EXPECT_EQ(DeviceText(o), "IRSL 90.2% @125 43.20s");
    o.Device = 41;
    o.PowerM = o.Power;
    EXPECT_EQ(DeviceText(o), "MOSL#1 90.2% @125 43.20s");
    o.Device = 30;
    EXPECT_EQ(DeviceText(o), "");
    EXPECT_DOUBLE_EQ(OslMeasuringTime(OslKey()), 0.2 + 3 + 40);
    EXPECT_EQ(OslChannelCount(OslKey()), 90);
}

TEST(AliquotTexts, DoseBleachingAndIrradiation) {
    TIrradiation irr;
    irr.Dose = 34.5;
    irr.DoseUnit = "Gy";
    irr.Radiation = TRadiation::Beta;
    irr.IrradDate = 46097 + 0.5;  // 2026-03-16 noon
    EXPECT_EQ(DoseText(irr), "34.5Gy");
    EXPECT_EQ(IrradiationText(irr), "beta 2026-03-16 12:00:00");
    irr.IrradDate += 1;
    EXPECT_EQ(IrradiationText(irr), "beta 2026-03-17 12:00:00");
    irr.Dose = 0;
    EXPECT_EQ(DoseText(irr), "");
    EXPECT_EQ(IrradiationText(irr), "");

    EXPECT_EQ(BleachingText({100, "OG590"}), "BL(100.0/OG590)");
    EXPECT_EQ(BleachingText({2.5, ""}), "BL(2.5)");
    EXPECT_EQ(BleachingText({0, "X"}), "Not bleached");

    EXPECT_EQ(SignificantText(41.93), "41.9");
    EXPECT_EQ(SignificantText(12345), "12300");
    EXPECT_EQ(SignificantText(0.012345), "0.0123");
    EXPECT_EQ(SignificantText(0, ','), "0,000");
}

struct TBitsCase {
    const char* what;
    bool natural;
    double dose;
    TRadiation radiation;
    double bleach;
    bool beforeIrrad;
    bool single;
    uint16_t expected;
};

TEST(MethodBits, FollowIrradiationBleachingAndNatural) {
    const uint16_t b13 = kMeasurementBit;
    // Bits 0 1 2 3 4 5 6 7 8 10 11 by index.
    const TBitsCase cases[] = {
        {"natural", true, 0, TRadiation::None, 0, false, false, 0x1AF | b13},
        {"N + D beta", true, 25, TRadiation::Beta, 0, false, false, 0x1AD | b13},
        {"N + D alpha", true, 25, TRadiation::Alpha, 0, false, false, 0x1ED | b13},
        {"bleached", true, 0, TRadiation::None, 120, false, false, 0x08E | b13},
        {"regenerated", true, 25, TRadiation::Beta, 120, true, false, 0x082 | b13},
        {"bleached then N + D", true, 25, TRadiation::Beta, 120, false, false, 0x008 | b13},
        {"second glow", false, 25, TRadiation::Beta, 0, false, false, 0x110 | b13},
        {"single-aliquot regen", true, 25, TRadiation::Beta, 120, true, true, 0x0C00 | b13},
    };
    for (const TBitsCase& c : cases) {
        TLookupRecord e = Entry(OslKey(), c.dose, c.radiation, c.natural, c.bleach);
        e.SingleAliquot = c.single;
        e.IrradClass = IrradiationClass(e, c.beforeIrrad);
        EXPECT_EQ(MethodBits(e, TViewKind::Dat, false, false), c.expected) << c.what;
        EXPECT_EQ(MethodBits(e, TViewKind::Dat, true, false), 0) << c.what << " (second)";
    }
    TLookupRecord sad = Entry(OslKey(), 10, TRadiation::Beta, true);
    sad.IrradClass = IrradiationClass(sad, false);
    EXPECT_EQ(MethodBits(sad, TViewKind::Sad, false, true), 0x201 | b13);
}

// Regenerative data of one OSL device: 2 natural, 2 bleached, 2 x 2 regenerated aliquots.
TLookupTable RegenTable() {
    TLookupTable t;
    auto add = [&t](double dose, double bleach, bool before) {
        TLookupRecord e = Entry(OslKey(), dose, TRadiation::Beta, true, bleach);
        e.Bleaching.BleachFilter = bleach > 0 ? "SOLAR" : "";
        e.IrradClass = IrradiationClass(e, before);
        e.Methods = MethodBits(e, TViewKind::Dat, false, false);
        e.Ordinal = static_cast<int32_t>(t.size());
        t.push_back(e);
    };
    add(0, 0, false);
    add(0, 0, false);
    add(0, 120, false);
    add(0, 120, false);
    for (double d : {25.0, 25.0, 50.0, 50.0}) add(d, 120, true);
    return t;
}

TEST(MethodRecognition, RegenerativeDataAndItsGrid) {
    TLookupTable t = RegenTable();
    const auto devices = BuildDeviceList(t);
    auto irradiations = BuildIrradiationList(t);
    const auto bleachings = BuildBleachingList(t);
    ASSERT_EQ(devices.size(), 1u);
    ASSERT_EQ(irradiations.size(), 1u);
    ASSERT_EQ(bleachings.size(), 2u);
    EXPECT_EQ(bleachings[0].Text, "BL(120.0/SOLAR)");  // bleached treatments come first
    EXPECT_EQ(bleachings[1].Text, "Not bleached");

    TMethodGrid grid = PossibleMethods(t, devices[0].Key, irradiations, bleachings);
    EXPECT_EQ(grid.Methods, (std::vector<int>{kRegenGrowth}));
    EXPECT_TRUE(grid.Possible[0][kRegenGrowth][0]);
    EXPECT_FALSE(grid.Possible[1][kRegenGrowth][0]);  // needs the bleached aliquots

    // Rejecting the bleached aliquots leaves the method in the grid, no longer possible.
    t[2].Accepted = t[3].Accepted = false;
    RecheckPossibleMethods(grid, t, devices[0].Key, irradiations, bleachings);
    EXPECT_TRUE(grid.Possible[0][kRegenGrowth][0]);
    EXPECT_FALSE(grid.Possible[0][kRegenGrowth][1]);

    // Membership: the device, the bleaching, the method bit; dosed records need their
    // irradiation selected.
    EXPECT_EQ(
        UpdateSelection(t, devices[0].Key, irradiations, bleachings[0].Bleaching, kRegenGrowth), 8);
    irradiations[0].Selected = false;
    EXPECT_EQ(
        UpdateSelection(t, devices[0].Key, irradiations, bleachings[0].Bleaching, kRegenGrowth), 4);
    EXPECT_FALSE(t[4].InSelection);
}

TEST(MethodRecognition, BleachedColumnsNeverOfferUnbleachedMethods) {
    // Additive data with alpha and beta doses, second glows, and bleached aliquots.
    TLookupTable t;
    auto add = [&t](double dose, TRadiation r, bool natural, double bleach) {
        TLookupRecord e = Entry(TLKey(), dose, r, natural, bleach);
        e.IrradClass = IrradiationClass(e, false);
        e.Methods = MethodBits(e, TViewKind::Dat, false, false);
        t.push_back(e);
    };
    add(0, TRadiation::None, true, 0);
    add(0, TRadiation::None, true, 60);
    for (double d : {10.0, 20.0}) {
        add(d, TRadiation::Beta, true, 0);
        add(d, TRadiation::Alpha, true, 0);
        add(d, TRadiation::Beta, false, 0);
        add(d, TRadiation::Alpha, false, 0);
        add(d, TRadiation::Beta, true, 60);
    }
    const auto devices = BuildDeviceList(t);
    const auto irradiations = BuildIrradiationList(t);
    const auto bleachings = BuildBleachingList(t);
    ASSERT_EQ(bleachings.size(), 2u);
    const TMethodGrid grid = PossibleMethods(t, devices[0].Key, irradiations, bleachings);
    for (int m : {kAdditiveGrowth, kSecondGlowIntercept, kAlphaEfficiency, kAlphaGrowth,
                  kFirstSecondGlowCeramic}) {
        EXPECT_FALSE(grid.Possible[0][static_cast<std::size_t>(m)][0]) << m;
        EXPECT_TRUE(grid.Possible[1][static_cast<std::size_t>(m)][0]) << m;
    }
    EXPECT_TRUE(grid.Possible[0][kTotalBleach][0]);
    EXPECT_TRUE(grid.Possible[0][kPartialBleach][0]);
}

TEST(IrradiationList, DifferentDaysAreDifferentIrradiations) {
    TLookupTable t = RegenTable();
    t[6].Irradiation.IrradDate += 1;
    t[7].Irradiation.IrradDate += 1;
    auto irradiations = BuildIrradiationList(t);
    ASSERT_EQ(irradiations.size(), 2u);
    EXPECT_EQ(irradiations[0].Text, "beta 2026-03-16 00:00:00");
    EXPECT_EQ(irradiations[1].Text, "beta 2026-03-17 00:00:00");
    // Deselecting the later day leaves exactly its records out of the selection.
    irradiations[1].Selected = false;
    const TBleaching bleach{120, "SOLAR"};
    EXPECT_EQ(UpdateSelection(t, OslKey(), irradiations, bleach, kRegenGrowth), 6);
    EXPECT_FALSE(t[6].InSelection);
    EXPECT_TRUE(t[5].InSelection);
}

TEST(LookupTable, OslChannelCountsAgainstNpt) {
    TTempFolder folder;
    // 90 channels by the time bases: NPT 90 fits; NPT 89 is the one-channel case (the longest
    // time base has 40 channels); 2 + 1 = 3 channels against NPT 2 with one channel in the
    // longest base is not repaired; 90 against NPT 80 is refused.
    std::vector<TSampleRecord> records = {
        OslRecord(1, {20, 30, 40, 0}, 90), OslRecord(2, {20, 30, 40, 0}, 89),
        OslRecord(3, {2, 1, 0, 0}, 2), OslRecord(4, {20, 30, 40, 0}, 80)};
    records[0].Set("Beta time", 120.0);
    records[0].Set("Beta rate", 0.1);
    records[0].Set("Beta unit", std::string("Gy/s"));
    records[1].Set("Beta time", 10.0);
    records[1].Set("Beta rate", 1.0);
    records[1].Set("Beta unit", std::string(" mGy/min"));
    const auto view = tool_test::OpenDat(WriteDat(folder, records));
    const TLookupTable t = BuildLookupTable(*view, TViewKind::Dat);
    ASSERT_EQ(t.size(), 4u);
    EXPECT_TRUE(t[0].Accepted);
    EXPECT_EQ(t[0].LastChannel, 90);
    EXPECT_TRUE(t[1].Accepted);
    EXPECT_EQ(t[1].LastChannel, 90);
    EXPECT_EQ(t[1].Curve[90], t[1].Curve[89]);
    EXPECT_FALSE(t[2].Accepted);
    EXPECT_FALSE(t[3].Accepted);

    EXPECT_DOUBLE_EQ(t[0].Irradiation.Dose, 12.0);
    EXPECT_EQ(t[0].Irradiation.DoseUnit, "Gy");
    EXPECT_EQ(t[1].Irradiation.DoseUnit, "mGy");  // trimmed, cut before the "/"
    // Subtracted value k - 2 sits at index k; index 1 holds "Shift".
    EXPECT_DOUBLE_EQ(t[0].Curve[2], 100.0);
    EXPECT_EQ(t[0].Description.substr(0, 13), "r1 d1 OSL#1 N");
    EXPECT_EQ(t[0].Key.Power, 230);
}

TEST(LookupTable, ProgressAndCancel) {
    TTempFolder folder;
    std::vector<TSampleRecord> records;
    for (int i = 1; i <= 2100; ++i) records.push_back(OslRecord(i % 28 + 1, {20, 30, 40, 0}, 90));
    const auto view = tool_test::OpenDat(WriteDat(folder, records));
    struct Case {
        int stopAt;  // the call that answers false; 0: never
        std::vector<std::pair<int, int>> calls;
        std::size_t entries;
        bool cancelled;
    };
    const Case cases[] = {
        {0, {{1024, 2100}, {2048, 2100}, {2100, 2100}}, 2100, false},
        {1, {{1024, 2100}}, 1024, true},
        {2, {{1024, 2100}, {2048, 2100}}, 2048, true},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<int, int>> calls;
        bool cancelled = !c.cancelled;
        const TLookupTable t = BuildLookupTable(
            *view, TViewKind::Dat, IsoDateTimeText,
            [&](int done, int total) {
                calls.emplace_back(done, total);
                return static_cast<int>(calls.size()) != c.stopAt;
            },
            &cancelled);
        EXPECT_EQ(calls, c.calls) << c.stopAt;
        EXPECT_EQ(t.size(), c.entries) << c.stopAt;
        EXPECT_EQ(cancelled, c.cancelled) << c.stopAt;
    }
}

TEST(LookupTable, SampleDatFile) {
    const TSampleFiles sample;
    const auto view = sample.Open("S12.DAT", TViewKind::Dat, "DAT.sch");
    const TLookupTable t = BuildLookupTable(*view, TViewKind::Dat);
    // Runs 2, 3 and 5 pass: normalisation shines and background runs do not.
    ASSERT_EQ(t.size(), 3u * 28);
    const auto devices = BuildDeviceList(t);
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].Text, "TL 5deg 5/s");
    EXPECT_EQ(devices[1].Text, "OSL#1 90.2% @125 43.20s");
    EXPECT_EQ(devices[2].Text, "IRSL 80.0% @50 89.00s");
    const auto irradiations = BuildIrradiationList(t);
    ASSERT_EQ(irradiations.size(), 1u);
    EXPECT_EQ(irradiations[0].Text, "beta 2026-03-16 00:00:00");
    const auto bleachings = BuildBleachingList(t);
    ASSERT_EQ(bleachings.size(), 2u);
    EXPECT_EQ(bleachings[0].Text, "BL(120.0/SOLAR)");
    for (const TLookupRecord& e : t) EXPECT_TRUE(e.Accepted) << e.Description;

    for (const TDeviceEntry& d : devices) {
        const TMethodGrid grid = PossibleMethods(t, d.Key, irradiations, bleachings);
        // Additive in the unbleached column; regenerative, total bleach and the slide in the
        // bleached one.
        EXPECT_TRUE(grid.Possible[1][kAdditiveGrowth][0]) << d.Text;
        EXPECT_TRUE(grid.Possible[0][kRegenGrowth][0]) << d.Text;
        EXPECT_TRUE(grid.Possible[0][kTotalBleach][0]) << d.Text;
        EXPECT_TRUE(grid.Possible[0][kAdditiveRegenSlide][0]) << d.Text;
        EXPECT_FALSE(grid.Possible[0][kAdditiveGrowth][0]) << d.Text;
        EXPECT_FALSE(grid.Possible[1][kSaAdditive][0]) << d.Text;
    }
    TLookupTable table = t;
    // OSL, regenerative: disks 1-4 natural, 17-19 bleached, 20-28 regenerated.
    EXPECT_EQ(
        UpdateSelection(table, devices[1].Key, irradiations, bleachings[0].Bleaching, kRegenGrowth),
        4 + 3 + 9);
    // OSL, additive: disks 1-16.
    EXPECT_EQ(UpdateSelection(table, devices[1].Key, irradiations, bleachings[1].Bleaching,
                              kAdditiveGrowth),
              16);
}

TEST(AliquotSet, SampleSadIsAdditive) {
    const TSampleFiles sample;
    const auto view = sample.Open("S12.SAD", TViewKind::Sad, "SAD.sch");
    const TLookupTable t = BuildLookupTable(*view, TViewKind::Sad);
    ASSERT_FALSE(t.empty());
    TPlatter platter;
    ASSERT_TRUE(BuildAliquotSet(t, platter));
    EXPECT_TRUE(platter.Additive);
    ASSERT_EQ(platter.Count(), 3);
    const TDiskList* disk = platter.Find(1);
    ASSERT_NE(disk, nullptr);
    // Four further shines of 360 s x 0.0835 Gy/s each.
    EXPECT_NEAR(disk->RefDose, 4 * 360 * 0.0835, 1e-9);
    // Disk 3 is the depletion disk: no dose added.
    EXPECT_EQ(platter.Find(3)->RefDose, 0);
    EXPECT_EQ(DiskListTexts(platter)[0],
              "Disk#1  SAA total dose 120; additive doses: 30.1; 30.1; 30.1; 30.1");
}

TEST(AliquotSet, RefusesMixedDataAndKeepsAnyDiskNumber) {
    TLookupTable t;
    auto add = [&t](int disk, double dose, double bleach, bool before) {
        TLookupRecord e = Entry(OslKey(), dose, TRadiation::Beta, true, bleach);
        e.Disk = disk;
        e.IrradClass = IrradiationClass(e, before);
        e.Ordinal = static_cast<int32_t>(t.size());
        e.Curve = {0, 100.0 + disk};
        e.TLRun = true;
        t.push_back(e);
    };
    add(75, 0, 0, false);
    add(75, 10, 0, false);
    add(3, 10, 0, false);
    TPlatter platter;
    ASSERT_TRUE(BuildAliquotSet(t, platter));
    EXPECT_EQ(platter.Count(), 2);
    ASSERT_NE(platter.Find(75), nullptr);
    EXPECT_EQ(platter.Disks.begin()->first, 3);  // ascending disk numbers
    EXPECT_EQ(platter.Find(75)->Elements.size(), 2u);

    add(5, 10, 60, true);  // a regenerated aliquot as well
    TPlatter refused;
    EXPECT_FALSE(BuildAliquotSet(t, refused));
    EXPECT_EQ(refused.Count(), 0);
    t.resize(1);  // neither kind
    EXPECT_FALSE(BuildAliquotSet(t, refused));
}

}  // namespace
