// The import of BIN/BINX files: the channels a curve is put into (closed forms and hand
// sums), the SAR roles, bleaching and doses of a small hand-written cycle, and the files the
// import writes or refuses to write.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "import/binx_writer.h"
#include "record_store/measurement_fields.h"
#include "tool_test_files.h"
#include "tools/binx_import.h"
#include "tools/curve_rebinning.h"

namespace fs = std::filesystem;
using tool_test::ErrorOf;

namespace {

bool SameBases(const TTimeBases& a, const TTimeBases& b) {
    return a.N10 == b.N10 && a.N100 == b.N100 && a.N1000 == b.N1000 && a.N10000 == b.N10000;
}

// A measurement of disk 1 in a version-07 file.
TBinxRecord Measurement(uint8_t lumType, float irrSeconds, float doseRate = 0.1f) {
    TBinxRecord r;
    r.version = 7;
    r.position = 1;
    r.run = 1;
    r.lumType = lumType;
    r.lightSource = lumType == kBinxIRSL ? kBinxIRDiodes : lumType == kBinxTL ? 0 : kBinxBlueDiodes;
    r.high = lumType == kBinxTL ? 260.0f : lumType == kBinxIRSL ? 100.0f : 40.0f;
    r.temperature = lumType == kBinxTL ? 0 : lumType == kBinxIRSL ? 50 : 125;
    r.irrTime = irrSeconds;
    r.doseRate = doseRate;
    r.hasDoseRate = true;
    r.tag = 1;
    r.date = "160326";
    r.counts.assign(250, 100);
    r.npoints = 250;
    return r;
}

}  // namespace

TEST(CurveRebinning, TimeBasesCoverTheShineWithTheFinestUsefulChannels) {
    struct TCase {
        double total, width;
        TTimeBases expected;
    };
    const TCase cases[] = {
        // 250 channels of 0.16 s: 0.1 s channels for 6 s, then 34 of 1 s (94 channels).
        {40.0, 0.16, {0, 60, 34, 0}},
        // 1000 channels of 0.04 s: 50 of 0.01 s + 5 of 0.1 s + 39 of 1 s = 40 s.
        {40.0, 0.04, {50, 5, 39, 0}},
        // A single grain: 50 channels of 0.018 s in 90 of 0.01 s.
        {0.9, 0.018, {90, 0, 0, 0}},
        // 1000 s in 1 s channels: 99 channels of 10 s reach 990 s, the rest is cut.
        {1000.0, 1.0, {0, 0, 0, 99}},
        // Shorter than one channel of 0.01 s: no channel.
        {0.005, 0.0001, {0, 0, 0, 0}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.total) + " s");
        const TTimeBases b = ChooseOslTimeBases(c.total, c.width);
        EXPECT_TRUE(SameBases(b, c.expected))
            << b.N10 << " " << b.N100 << " " << b.N1000 << " " << b.N10000;
        EXPECT_LE(b.N10 + b.N100 + b.N1000 + b.N10000, kMaxOslChannels);
    }
    const std::vector<double> ends = OslChannelEnds({2, 1, 1, 0});
    ASSERT_EQ(ends.size(), 4u);
    EXPECT_DOUBLE_EQ(ends[3], 1.12);
}

TEST(CurveRebinning, GlowGridsAndCountsSharedByOverlap) {
    EXPECT_EQ(ChooseGlowGrid(500).spacing, 5);
    EXPECT_EQ(ChooseGlowGrid(500).points, 100);
    EXPECT_EQ(ChooseGlowGrid(221).spacing, 3);
    EXPECT_EQ(ChooseGlowGrid(221).points, 74);  // 73 x 3 = 219 < 221 <= 222
    EXPECT_EQ(ChooseGlowGrid(0).points, 0);

    const std::vector<uint32_t> counts = {10, 20, 30, 40};  // channels of 1 s over [0, 4)
    bool lost = true;
    const std::vector<double> two = RebinCounts(counts, 0, 4, 0, std::vector<double>{1.5, 4}, &lost);
    EXPECT_DOUBLE_EQ(two[0], 10 + 10);       // channel 1 and half of channel 2
    EXPECT_DOUBLE_EQ(two[1], 10 + 30 + 40);  // the other half and the rest
    EXPECT_FALSE(lost);
    const std::vector<double> head = RebinCounts(counts, 0, 4, 0, std::vector<double>{1, 2}, &lost);
    EXPECT_DOUBLE_EQ(head[1], 20);
    EXPECT_TRUE(lost);
    // A glow curve starting at 20 degC: nothing below it.
    const std::vector<double> glow = RebinCounts(counts, 20, 60, 0, std::vector<double>{20, 40, 60}, &lost);
    EXPECT_DOUBLE_EQ(glow[0], 0);
    EXPECT_DOUBLE_EQ(glow[1], 30);
    EXPECT_DOUBLE_EQ(glow[2], 70);
}

TEST(BinxConversion, ASarCycleGetsItsTestDosesBleachingAndDoses) {
    // Natural, its test dose, one regeneration (dose on the TL preheat only), its test dose,
    // then IRSL and OSL at the first dose (the dose on the IRSL record), and a background.
    std::vector<TBinxRecord> in = {
        Measurement(kBinxTL, 0),   Measurement(kBinxOSL, 0),    // preheat, natural Lx
        Measurement(kBinxTL, 0),   Measurement(kBinxOSL, 60),   // cutheat, Tx
        Measurement(kBinxTL, 480), Measurement(kBinxOSL, 0),    // preheat carries the dose, Lx
        Measurement(kBinxTL, 0),   Measurement(kBinxOSL, 60),   // cutheat, Tx
        Measurement(kBinxIRSL, 240), Measurement(kBinxOSL, 0),  // IRSL, OSL after it
        Measurement(kBinxOSL, 60),                              // its Tx
        Measurement(kBinxOSL, 0),                               // a background shine
    };
    in.back().dataType = kBinxBackground;
    for (std::size_t i = 0; i < in.size(); ++i) in[i].number = static_cast<int>(i) + 1;
    const TBinxConversion c = ConvertBinxRecords(in, {});
    ASSERT_EQ(c.measurements.size(), in.size());
    EXPECT_FALSE(c.singleGrain);
    EXPECT_EQ(c.positions, std::vector<int>{1});
    EXPECT_TRUE(c.warnings.empty());
    const bool test[] = {false, false, true, true, false, false, true, true, false, false, true, false};
    const bool bleached[] = {false, false, true, true, true, true, true, true, true, true, true, true};
    const double seconds[] = {0, 0, 0, 60, 480, 480, 0, 60, 240, 240, 60, 0};
    const int device[] = {0, 2100, 0, 2100, 0, 2100, 0, 2100, 2800, 2100, 2100, 2100};
    for (std::size_t i = 0; i < in.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i + 1));
        const TImportedMeasurement& m = c.measurements[i];
        EXPECT_EQ(m.testDose, test[i]);
        EXPECT_EQ(m.bleached, bleached[i]);
        EXPECT_DOUBLE_EQ(m.irradiationSeconds, seconds[i]);
        EXPECT_EQ(m.device, device[i]);
        EXPECT_TRUE(m.singleAliquot);
        if (seconds[i] > 0) {
            EXPECT_FLOAT_EQ(static_cast<float>(m.doseRate), 0.1f);
        }
    }
    EXPECT_FALSE(c.measurements.back().sampleRun);
    // The OSL after the IRSL shine was bleached by the OSL before it (40 s), not the IRSL.
    EXPECT_DOUBLE_EQ(c.measurements[9].bleachMinutes, 40.0 / 60.0);
    // 250 channels of 0.16 s in 0.1 s and 1 s channels; every count kept.
    const TImportedMeasurement& osl = c.measurements[1];
    EXPECT_EQ(osl.npt, 94);
    EXPECT_DOUBLE_EQ(osl.curve[0], 0);
    EXPECT_DOUBLE_EQ(osl.curve[1], 100 * 0.1 / 0.16);
    double sum = 0;
    for (double v : osl.curve) sum += v;
    EXPECT_NEAR(sum, 25000, 1e-6);
    // 250 points to 260 degC in 87 points of 3 degC.
    EXPECT_EQ(c.measurements[0].spacing, 3);
    EXPECT_EQ(c.measurements[0].npt, 86);
}

TEST(BinxConversion, DoseRatesAndTheKindsLeftOut) {
    TBinxRecord old = Measurement(kBinxOSL, 100);
    old.version = 3;
    old.hasDoseRate = false;
    old.doseRate = 0;
    TBinxRecord scan = Measurement(3, 0);  // a monochromator scan
    TBinxRecord empty = Measurement(kBinxOSL, 0);
    empty.counts.clear();
    empty.npoints = 0;
    const std::vector<TBinxRecord> in = {old, scan, empty};
    const TBinxConversion seconds = ConvertBinxRecords(in, {});
    ASSERT_EQ(seconds.measurements.size(), 1u);
    EXPECT_TRUE(seconds.measurements[0].doseInSeconds);
    EXPECT_DOUBLE_EQ(seconds.measurements[0].doseRate, 1.0);
    EXPECT_EQ(seconds.warnings.front(), kDoseRateNotGiven);
    EXPECT_EQ(seconds.warnings.size(), 3u);  // and the scan and the empty record

    TBinxImportOptions given;
    given.doseRate = 0.0835;
    const TBinxConversion rated = ConvertBinxRecords({old}, given);
    EXPECT_DOUBLE_EQ(rated.measurements[0].doseRate, 0.0835);
    EXPECT_TRUE(rated.warnings.empty());
    // The file's own rate wins over the one given.
    const TBinxConversion own = ConvertBinxRecords({Measurement(kBinxOSL, 100, 0.2f)}, given);
    EXPECT_FLOAT_EQ(static_cast<float>(own.measurements[0].doseRate), 0.2f);
    EXPECT_EQ(own.warnings.size(), 1u);
}

class BinxImportFiles : public ::testing::Test {
protected:
    std::string WriteBinx(const std::vector<TBinxRecord>& records, const std::string& name) {
        const std::vector<uint8_t> bytes = EncodeBinxFile(records);
        const std::string path = folder_.File(name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        return path;
    }
    std::vector<TBinxRecord> Cycle() {
        return {Measurement(kBinxOSL, 0), Measurement(kBinxOSL, 60), Measurement(kBinxOSL, 240),
                Measurement(kBinxOSL, 60)};
    }
    TTempFolder folder_;
};

TEST_F(BinxImportFiles, TheRecordFileOpensInTheDatViewWithTheConvertedFields) {
    const std::string bin = WriteBinx(Cycle(), "cycle.binx");
    const std::string out = folder_.File("out");
    const TBinxImportResult r = ImportBinxFile(bin, out, {});
    EXPECT_EQ(r.version, 7);
    EXPECT_EQ(r.records, 4);
    ASSERT_EQ(r.written.size(), 4u);
    EXPECT_EQ(r.written[0], out + "/cycle.DAT");
    auto view = tool_test::OpenDat(out + "/cycle.DAT");
    ASSERT_EQ(view->RecordCount(), 4);
    view->First();
    const bool norm[] = {false, true, false, true};
    const double beta[] = {0, 60, 240, 60};
    for (int i = 0; i < 4; ++i, view->Next()) {
        SCOPED_TRACE(i);
        EXPECT_EQ(view->AsInteger("Dev#"), 2100);
        EXPECT_EQ(view->AsBoolean("Normalization"), norm[i]);
        EXPECT_EQ(view->AsBoolean("Single aliquot"), true);
        EXPECT_EQ(view->AsBoolean("Before irrad"), i > 0);
        EXPECT_DOUBLE_EQ(view->AsFloat("Beta time"), beta[i]);
        EXPECT_EQ(view->AsInteger("NPT"), 94);
        EXPECT_EQ(view->AsInteger("Time base 100"), 60);
        EXPECT_EQ(view->AsInteger("Sample temp"), 125);
    }
}

TEST_F(BinxImportFiles, ADamagedFileLeavesNothingBehind) {
    std::vector<uint8_t> bytes = EncodeBinxFile(Cycle());
    bytes.resize(bytes.size() - 10);
    const std::string bin = folder_.File("cut.binx");
    std::ofstream(bin, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    const std::string out = folder_.File("out");
    fs::create_directory(out);
    const std::string message = ErrorOf([&] { ImportBinxFile(bin, out, {}); });
    const std::size_t fourth = 3 * (447 + 1000);
    EXPECT_NE(message.find("the file is damaged: record 4 at byte " + std::to_string(fourth)),
              std::string::npos)
        << message;
    EXPECT_TRUE(fs::is_empty(out));
}

TEST_F(BinxImportFiles, ExistingFilesAreNeverReplacedUnasked) {
    const std::string bin = WriteBinx(Cycle(), "cycle.binx");
    const std::string out = folder_.File("out");
    ImportBinxFile(bin, out, {});
    const auto before = fs::last_write_time(out + "/cycle.DAT");
    EXPECT_THROW(ImportBinxFile(bin, out, {}), TImportTargetExists);
    EXPECT_EQ(fs::last_write_time(out + "/cycle.DAT"), before);
    // Asked and answered: the old files become backups.
    ImportBinxFile(bin, out, {}, true);
    EXPECT_TRUE(fs::exists(out + "/cycle.~DAT"));
    EXPECT_TRUE(fs::exists(out + "/cycle.~SUB"));
    // A schema of other files in the folder is not replaced: the import refuses.
    std::ofstream(out + "/DAT.sch") << "FILETYPE = FIXED BINARY\nFIELD1=Other, LONGINT, 4, 0\n";
    const std::string other = WriteBinx(Cycle(), "other.binx");
    EXPECT_NE(ErrorOf([&] { ImportBinxFile(other, out, {}); }).find("describes other record files"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(out + "/other.DAT"));
}

TEST_F(BinxImportFiles, AFileWithGrainsBecomesASingleGrainFile) {
    std::vector<TBinxRecord> grains;
    for (int hole : {12, 37}) {
        for (TBinxRecord r : Cycle()) {
            r.grain = hole;
            r.lightSource = kBinxGreenLaser;
            grains.push_back(r);
        }
    }
    const std::string out = folder_.File("out");
    const TBinxImportResult r = ImportBinxFile(WriteBinx(grains, "sg.binx"), out, {});
    EXPECT_EQ(r.written[0], out + "/sg.DAS");
    auto view = tool_test::OpenView(out + "/sg.DAS", TViewKind::Das, out + "/DAS.sch");
    view->First();
    EXPECT_EQ(view->AsInteger("Hole#"), 12);
    EXPECT_EQ(view->AsInteger("Dev#"), 2200);
}
