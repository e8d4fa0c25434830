// The sample data generator: reproducible files that the record store and the maker's views
// open, schemas that keep the fixed offsets, and simulated curves with the physics they
// should have.
#include "tools/sample_generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"
#include "record_store/curve_fields.h"
#include "record_store/layout_file.h"
#include "record_store/schema.h"
#include "record_store/schema_extension.h"
#include "record_store/views.h"
#include "temp_folder.h"
#include "tools/sample_physics.h"
#include "tools/sample_random.h"
#include "tools/sample_schemas.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

using TempDir = TTempFolder;

const std::vector<TSampleMeasurement>& Measurements() {
    static const std::vector<TSampleMeasurement> m = SimulateDatMeasurements();
    return m;
}

const TFloatArray& Curve(const TSampleMeasurement& m) {
    return *m.record.FindCurve("Raw data");
}

double Sum(const TFloatArray& c, int from, int to) {
    double s = 0;
    for (int i = from; i <= to; ++i) s += c[i];
    return s;
}

const TSampleMeasurement& Find(TSampleRunKind kind, int disk) {
    for (const TSampleMeasurement& m : Measurements()) {
        if (m.kind == kind && m.aliquot.disk == disk) return m;
    }
    throw std::runtime_error("no such record");
}

// The OSL initial signal (first 20 channels, 0.2 s) of a disk, divided by its normalisation
// shine, as a multi-aliquot analysis would take it.
double NormalisedOsl(int disk) {
    return Sum(Curve(Find(TSampleRunKind::Osl, disk)), 1, 20) /
           Sum(Curve(Find(TSampleRunKind::Normalisation, disk)), 1, 10);
}

}  // namespace

// --- Files --------------------------------------------------------------------------------

TEST(SampleGenerator, TwoRunsWriteIdenticalBytesAndNothingElse) {
    TempDir a, b;
    MakeSample(a.path().string());
    MakeSample(b.path().string());
    for (const std::string& name : SampleFileNames()) {
        const std::string bytes = ReadFile(a.path() / name);
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_EQ(bytes, ReadFile(b.path() / name)) << name;
    }
    // Writing again over an existing sample gives the same bytes and leaves no backups.
    MakeSample(a.path().string());
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(a.path())) {
        ++files;
        EXPECT_EQ(ReadFile(entry.path()), ReadFile(b.path() / entry.path().filename()));
    }
    EXPECT_EQ(files, SampleFileNames().size());
    // 168 records of 213 bytes, every one with a 1584-byte block in the subfile.
    EXPECT_EQ(fs::file_size(a.path() / "S12.DAT"), 168u * 213u);
    EXPECT_EQ(fs::file_size(a.path() / "S12.SUB"), 168u * 1584u);
    EXPECT_EQ(fs::file_size(a.path() / "S12.SAB"), 18u * 80u);
}

TEST(SampleGenerator, FilesOpenInTheMakersViews) {
    TempDir dir;
    MakeSample(dir.path().string());
    struct Case {
        const char* file;
        const char* schema;
        TViewKind view;
        int records;
    };
    for (const Case& c : {Case{"S12.DAT", "DAT.sch", TViewKind::Dat, 168},
                          Case{"S12.SAD", "SAD.sch", TViewKind::Sad, 18},
                          Case{"S12.DAS", "DAS.sch", TViewKind::Das, 24}}) {
        SCOPED_TRACE(c.file);
        TBinDataSet view;
        ConfigureView(view, c.view);
        view.SetFileName((dir.path() / c.file).string());
        view.SetSchemaFileName((dir.path() / c.schema).string());
        ASSERT_NO_THROW(view.Open());
        EXPECT_EQ(view.RecordCount(), c.records);
        // Every data field of the view is bound to a field of the schema.
        for (const TBinField& f : view.Fields()) {
            if (!f.calculated) {
                EXPECT_GT(f.position, 0) << f.name;
            }
        }
    }
}

TEST(SampleGenerator, StoredRecordsReadBackAsSimulated) {
    TempDir dir;
    MakeSample(dir.path().string());
    TBinDataSet view;
    ConfigureView(view, TViewKind::Dat);
    view.SetFileName((dir.path() / "S12.DAT").string());
    view.SetSchemaFileName((dir.path() / "DAT.sch").string());
    view.Open();
    int index = 0;
    for (bool more = view.First(); more; more = view.Next(), ++index) {
        const TSampleRecord& r = Measurements()[index].record;
        ASSERT_EQ(view.AsInteger("Run#"), r.Number("Run#"));
        ASSERT_EQ(view.AsInteger("Disk#"), r.Number("Disk#"));
        ASSERT_EQ(view.AsFloat("Beta time"), r.Number("Beta time"));
        ASSERT_EQ(view.AsFloat("Ramp"), r.Number("Ramp"));  // six-byte real, exact values
        const std::vector<uint8_t> bytes = view.FieldBytes("Raw data");
        const TFloatArray& curve = *r.FindCurve("Raw data");
        for (size_t i = 0; i < curve.size(); ++i) {
            double v;
            std::memcpy(&v, bytes.data() + 8 * i, 8);
            ASSERT_EQ(v, curve[i]) << index << " " << i;
        }
    }
    EXPECT_EQ(index, 168);
}

TEST(SampleGenerator, SingleAliquotSubtractedCurveHoldsMaxPointValues) {
    TempDir dir;
    MakeSample(dir.path().string());
    TBinDataSet view;
    ConfigureView(view, TViewKind::Sad);
    view.SetFileName((dir.path() / "S12.SAD").string());
    view.SetSchemaFileName((dir.path() / "SAD.sch").string());
    view.Open();
    const std::vector<TSampleRecord> simulated = SimulateSadRecords();
    int index = 0;
    for (bool more = view.First(); more; more = view.Next(), ++index) {
        const TCurveFieldInfo info = ReadCurveFieldInfo(view, "Subtracted data");
        EXPECT_EQ(info.countExpr, "\"Max point\"");
        EXPECT_EQ(EvalFieldExpression(view, info.countExpr), view.AsInteger("Max point"));
        const TFloatArray stored = ReadCurveValues(view, info);
        const TFloatArray& curve = *simulated[index].FindCurve("Subtracted data");
        ASSERT_EQ(stored.size(), curve.size()) << index;
        for (size_t i = 0; i < curve.size(); ++i) {
            EXPECT_EQ(stored[i], static_cast<double>(static_cast<float>(curve[i]))) << index;
        }
    }
    EXPECT_EQ(index, 18);
}

// --- Schemas and layout -------------------------------------------------------------------

TEST(SampleSchemas, TextParsesToTheTableWithTheFixedOffsets) {
    struct Case {
        const char* name;
        const std::vector<TSampleSchemaField>* fields;
        int mainSize, subSize;
        bool fixedOffsets;
    };
    for (const Case& c : {Case{"DAT", &DatSampleFields(), 213, 1584, true},
                          Case{"SAD", &SadSampleFields(), 179, 80, true},
                          Case{"DAS", &DasSampleFields(), 996, 0, false}}) {
        SCOPED_TRACE(c.name);
        const std::string text = SchemaTextOf(*c.fields, "test");
        const TSchema schema = ParseSchema(text);
        EXPECT_EQ(schema.mainSize, c.mainSize);
        EXPECT_EQ(schema.subSize, c.subSize);
        ASSERT_EQ(schema.fields.size(), c.fields->size());
        int mainEnd = 0, subEnd = 0;
        for (size_t i = 0; i < schema.fields.size(); ++i) {
            const TSchemaField& f = schema.fields[i];
            EXPECT_EQ(f.name, (*c.fields)[i].name);
            EXPECT_NE(f.type, TFieldType::Unknown) << f.name;
            // The parts are tiled without gaps or overlaps.
            int& end = f.part == TFieldPart::Sub ? subEnd : mainEnd;
            EXPECT_EQ(f.offset, end) << f.name;
            end += f.width;
        }
        if (c.fixedOffsets) {
            const TSchemaField* position = schema.Find("Position");
            ASSERT_NE(position, nullptr);
            EXPECT_EQ(position->offset, kPositionWordOffset);
            EXPECT_EQ(position->width, 2);
            EXPECT_EQ(position->type, TFieldType::Word);
            const TSchemaField* flag = schema.Find("Subfile flag");
            ASSERT_NE(flag, nullptr);
            EXPECT_EQ(flag->offset, kSubPartFlagOffset);
            EXPECT_EQ(flag->width, 1);
            EXPECT_EQ(flag->part, TFieldPart::Main);
        }
    }
}

TEST(SampleSchemas, CurveFieldsCoverTheirWholeField) {
    const std::string text = SchemaTextOf(DatSampleFields(), "test");
    // Written by hand: the two curve lines of the DAT schema.
    EXPECT_NE(text.find("\n[SUB]\nFIELD41=Raw data, BYTES, 800, 0, DOUBLE, 100\n"
                        "FIELD42=Subtracted data, BYTES, 784, 800, DOUBLE, 98\n"),
              std::string::npos)
        << text;
    const TSchema schema = ParseSchema(text);
    for (const char* name : {"Raw data", "Subtracted data"}) {
        const TSchemaField* f = schema.Find(name);
        ASSERT_NE(f, nullptr);
        const std::optional<std::string> line = FindSchemaFieldLine(text, f->position);
        ASSERT_TRUE(line.has_value()) << name;
        const TCurveFieldExtension ext = ParseCurveFieldExtension(*line);
        EXPECT_TRUE(ext.isBytes);
        EXPECT_EQ(ext.elementType, TNumericType::Double);
        EXPECT_EQ(std::stoi(ext.countExpr) * 8, f->width) << name;
        EXPECT_EQ(f->part, TFieldPart::Sub);
    }
    const std::string sad = SchemaTextOf(SadSampleFields(), "test");
    EXPECT_NE(sad.find("=Raw data, BYTES, 40, 0, WORD, \"NPT\"\n"), std::string::npos);
    EXPECT_NE(sad.find("=Subtracted data, BYTES, 40, 40, SINGLE, \"Max point\"\n"),
              std::string::npos);
}

TEST(SampleSchemas, LayoutMarksTheCurvesAndPlacesEditsApart) {
    const TLayoutText layout = TLayoutText::Parse(DatLayoutText());
    const TBooleanWords words =
        BooleanWords(WholeBooleanDisplay(*ReadLayoutMain(layout.lines).booleanDisplay));
    EXPECT_EQ(words.trueText, "Yes");
    EXPECT_EQ(words.falseText, "No");
    struct Box {
        std::string name;
        int left, top, width;
    };
    std::vector<Box> boxes;
    for (const TSampleSchemaField& f : DatSampleFields()) {
        SCOPED_TRACE(f.name);
        const std::optional<TLayoutField> field = ReadLayoutField(&layout.lines, f.name, words);
        ASSERT_TRUE(field.has_value());  // every field has a line
        const bool curve = f.name == "Raw data" || f.name == "Subtracted data";
        EXPECT_EQ(field->curve, curve);
        if (curve || f.name == "Position" || f.name == "Subfile flag") {
            EXPECT_FALSE(field->visible);
            continue;
        }
        EXPECT_TRUE(field->visible);
        EXPECT_GT(field->left, 0);
        EXPECT_GT(field->top, 0);
        EXPECT_GT(field->width, 0);
        boxes.push_back({f.name, field->left, field->top, field->width});
    }
    // No two edits of a row overlap.
    for (size_t i = 0; i < boxes.size(); ++i) {
        for (size_t j = i + 1; j < boxes.size(); ++j) {
            if (boxes[i].top != boxes[j].top) continue;
            const bool apart = boxes[i].left + boxes[i].width <= boxes[j].left ||
                               boxes[j].left + boxes[j].width <= boxes[i].left;
            EXPECT_TRUE(apart) << boxes[i].name << " / " << boxes[j].name;
        }
    }
    EXPECT_EQ(ReadFreeLabels(layout.lines).labels.size(), 8u);
}

TEST(SampleSchemas, FlowLayoutsMarkTheCurvesOfTheSmallFiles) {
    const TBooleanWords words = BooleanWords("Yes;No");
    for (const auto* fields : {&SadSampleFields(), &DasSampleFields()}) {
        const TLayoutText layout = TLayoutText::Parse(FlowLayoutText(*fields));
        for (const TSampleSchemaField& f : *fields) {
            SCOPED_TRACE(f.name);
            const std::optional<TLayoutField> field = ReadLayoutField(&layout.lines, f.name, words);
            ASSERT_TRUE(field.has_value());
            const bool curve = f.name == "Raw data" || f.name == "Subtracted data";
            EXPECT_EQ(field->curve, curve);
            EXPECT_EQ(field->visible, !curve && f.name != "Position" && f.name != "Subfile flag");
            EXPECT_EQ(field->left, 0);  // placed by the flow rule
        }
    }
}

// --- Records and kinds --------------------------------------------------------------------

TEST(SampleDat, RunsCoverEveryDiskInTheReadersOrder) {
    const std::vector<TSampleMeasurement>& all = Measurements();
    ASSERT_EQ(all.size(), 6u * kSampleAliquotCount);
    std::map<TSampleRunKind, int> kinds;
    std::map<TSampleTreatment, int> treatments;
    for (size_t i = 0; i < all.size(); ++i) {
        const TSampleMeasurement& m = all[i];
        const TSampleRecord& r = m.record;
        ++kinds[m.kind];
        EXPECT_EQ(r.Number("Run#"), static_cast<double>(i / kSampleAliquotCount + 1));
        EXPECT_EQ(r.Number("Disk#"), static_cast<double>(i % kSampleAliquotCount + 1));
        const bool background =
            m.kind == TSampleRunKind::OslBackground || m.kind == TSampleRunKind::TlBackground;
        EXPECT_EQ(r.Number("TL run"), background ? 0.0 : 1.0);
        EXPECT_EQ(r.Number("Normalization"), m.kind == TSampleRunKind::Normalisation ? 1 : 0);
        const bool tl = m.kind == TSampleRunKind::Tl || m.kind == TSampleRunKind::TlBackground;
        const double dev = tl ? 0 : m.kind == TSampleRunKind::Irsl ? 2800 : 2100;
        EXPECT_EQ(r.Number("Dev#"), dev);
        if (!tl) {  // NPT is the sum of the four time bases
            EXPECT_EQ(r.Number("NPT"), r.Number("Time base 10") + r.Number("Time base 100") +
                                           r.Number("Time base 1000") +
                                           r.Number("Time base 10000"));
        }
        const double dose = r.Number("Beta time") * r.Number("Beta rate");
        const bool norm = m.kind == TSampleRunKind::Normalisation;
        EXPECT_EQ(dose > 0, !norm && m.aliquot.betaSeconds > 0);
        EXPECT_EQ(r.Number("Before irrad") != 0,
                  !norm && m.aliquot.treatment == TSampleTreatment::Regenerated);
        EXPECT_EQ(r.Number("Bleach time") > 0,
                  !norm && (m.aliquot.treatment == TSampleTreatment::Bleached ||
                            m.aliquot.treatment == TSampleTreatment::Regenerated));
        if (m.kind == TSampleRunKind::Tl) ++treatments[m.aliquot.treatment];
    }
    for (const auto& [kind, count] : kinds) EXPECT_EQ(count, kSampleAliquotCount);
    EXPECT_EQ(treatments[TSampleTreatment::Natural], 4);
    EXPECT_EQ(treatments[TSampleTreatment::AddedDose], 12);
    EXPECT_EQ(treatments[TSampleTreatment::Bleached], 3);
    EXPECT_EQ(treatments[TSampleTreatment::Regenerated], 9);
}

TEST(SampleDat, NaturalGlowCurvesLackTheUnstablePeak) {
    // 100-130 degC: the 110 degC peak. Its counts above the second glow's background.
    auto excess = [](int disk) {
        const double glow = Sum(Curve(Find(TSampleRunKind::Tl, disk)), 20, 25);
        const double background = Sum(Curve(Find(TSampleRunKind::TlBackground, disk)), 20, 25);
        return std::make_pair(glow - background, std::sqrt(glow + background));
    };
    for (int disk = 1; disk <= 4; ++disk) {  // natural
        const auto [signal, sigma] = excess(disk);
        EXPECT_LT(std::fabs(signal), 4 * sigma) << disk;
    }
    for (int disk = 17; disk <= 19; ++disk) {  // bleached, not dosed
        EXPECT_LT(std::fabs(excess(disk).first), 4 * excess(disk).second) << disk;
    }
    for (int disk = 5; disk <= 7; ++disk) {  // natural + 25 Gy: the peak is back
        const auto [signal, sigma] = excess(disk);
        EXPECT_GT(signal, 20 * sigma) << disk;
    }
}

TEST(SampleDat, GlowCurvesRiseIntoIncandescence) {
    for (int disk = 1; disk <= kSampleAliquotCount; ++disk) {
        const TFloatArray& background = Curve(Find(TSampleRunKind::TlBackground, disk));
        // The last points (480-500 degC) far above the dark counts (15 per point) of 100 degC.
        EXPECT_GT(background[99], 20 * std::max(1.0, background[20])) << disk;
        EXPECT_GT(background[99], background[97]);
    }
}

TEST(SampleDat, ShineDownDecaysToItsBackground) {
    for (int disk = 1; disk <= kSampleAliquotCount; ++disk) {
        const TFloatArray& osl = Curve(Find(TSampleRunKind::Osl, disk));
        // Channels 81-90 are 1 s each: their mean rate is the 40 counts/s background.
        const double lateRate = Sum(osl, 81, 90) / 10.0;
        EXPECT_NEAR(lateRate, 40.0, 40.0 * 0.25) << disk;
        const TFloatArray& irsl = Curve(Find(TSampleRunKind::Irsl, disk));
        const double irslLate = Sum(irsl, 86, 89) / 40.0;  // the 10 s channels
        EXPECT_NEAR(irslLate, 25.0, 25.0 * 0.25) << disk;
        // A shine of the same disk again shows only the background.
        const TFloatArray& again = Curve(Find(TSampleRunKind::OslBackground, disk));
        EXPECT_NEAR(Sum(again, 51, 90) / 40.0, 40.0, 40.0 * 0.15) << disk;
        EXPECT_EQ(osl[0], 0.0);  // index 0 is not a channel
        EXPECT_EQ(osl[91], 0.0);
    }
    // The naturals start far above the background (0.01 s channels).
    EXPECT_GT(Sum(Curve(Find(TSampleRunKind::Osl, 1)), 1, 20) / 0.2, 100 * 40.0);
}

TEST(SampleDat, SignalsGrowWithDoseAndBracketTheNaturalDose) {
    auto groupMean = [](int firstDisk) {
        return (NormalisedOsl(firstDisk) + NormalisedOsl(firstDisk + 1) +
                NormalisedOsl(firstDisk + 2)) /
               3.0;
    };
    // Regenerated: bleached (17-19), then 25, 50, 100 Gy (20-22, 23-25, 26-28).
    double previous = groupMean(17);
    for (int first : {20, 23, 26}) {
        const double mean = groupMean(first);
        EXPECT_GT(mean, previous * 1.3) << first;
        previous = mean;
    }
    // Natural plus 25, 50, 100, 200 Gy above the natural.
    previous = (NormalisedOsl(1) + NormalisedOsl(2) + NormalisedOsl(3) + NormalisedOsl(4)) / 4;
    const double natural = previous;
    for (int first : {5, 8, 11, 14}) {
        const double mean = groupMean(first);
        EXPECT_GT(mean, previous * 1.1) << first;
        previous = mean;
    }
    // 42 Gy: between the 25 Gy and the 50 Gy regenerated signals.
    EXPECT_GT(natural, groupMean(20));
    EXPECT_LT(natural, groupMean(23));
}

TEST(SampleDat, OneGlowCurveCarriesACosmicRaySpike) {
    const TFloatArray& c = Curve(Find(TSampleRunKind::Tl, kSampleSpikeDisk));
    EXPECT_GT(c[kSampleSpikePoint], c[kSampleSpikePoint - 1] + 0.8 * kSampleSpikeCounts);
    EXPECT_GT(c[kSampleSpikePoint], c[kSampleSpikePoint + 1] + 0.8 * kSampleSpikeCounts);
}

TEST(SampleSmallFiles, SingleAliquotShinesGrowStepByStep) {
    const std::vector<TSampleRecord> sad = SimulateSadRecords();
    ASSERT_EQ(sad.size(), 18u);
    // The depletion disk: its natural signal shone five times without dose, each shine
    // taking exp(-0.0244) of the charge, so the sums fall by about that much in turn.
    double first = 0, last = 0;
    for (int step = 0; step < 5; ++step) {
        const TSampleRecord& r = sad[12 + step];
        EXPECT_EQ(r.Number("Irradiating time"), 0.0);
        double sum = 0;
        for (double v : *r.FindCurve("Subtracted data")) sum += v;
        (step == 0 ? first : last) = sum;
    }
    EXPECT_NEAR(last / first, std::exp(-4 * 0.0244), 0.02);
    EXPECT_EQ(sad[17].Number("TL run"), 0.0);
    for (int disk = 0; disk < 2; ++disk) {
        double previous = 0;
        for (int step = 0; step < 5; ++step) {
            const TSampleRecord& r = sad[disk * 6 + step];
            EXPECT_EQ(r.Number("Short shine"), 1.0);
            EXPECT_EQ(r.Number("Irradiating time"), step == 0 ? 0.0 : 360.0);
            const TFloatArray& sub = *r.FindCurve("Subtracted data");
            EXPECT_EQ(sub.size(), static_cast<size_t>(r.Number("Max point")));
            double sum = 0;
            for (double v : sub) sum += v;
            EXPECT_GT(sum, previous);
            previous = sum;
        }
        EXPECT_EQ(sad[disk * 6 + 5].Number("TL run"), 0.0);  // background shine
    }
    const std::vector<TSampleRecord> das = SimulateDasRecords();
    ASSERT_EQ(das.size(), 24u);
    std::set<double> holes;
    for (const TSampleRecord& r : das) {
        holes.insert(r.Number("Hole#"));
        EXPECT_EQ(r.Number("Single aliquot"), 1.0);
    }
    EXPECT_EQ(holes.size(), 4u);
}

// --- Physics against closed forms -------------------------------------------------------------

TEST(SamplePhysics, FirstOrderPeakHasItsMaximumAtTmAndConservesCharge) {
    for (const double tm : {110.0, 325.0}) {
        const TGlowPeak peak{tm < 200 ? 0.97 : 1.65, tm, 1e5};
        // Peak condition beta E / (k Tm^2) = s exp(-E / k Tm).
        const double tk = tm + kZeroCelsiusKelvin;
        const double s = FrequencyFactor(peak.energy, tk, 5.0);
        EXPECT_NEAR(5.0 * peak.energy / (kBoltzmannEvPerKelvin * tk * tk),
                    s * std::exp(-peak.energy / (kBoltzmannEvPerKelvin * tk)), 1e-9 * s);
        // Bins of 0.1 degC: the largest lies at Tm.
        const std::vector<double> fine = GlowCurveCounts({peak}, 5.0, 0.1, 7000, 20.0);
        const size_t top = std::max_element(fine.begin(), fine.end()) - fine.begin();
        EXPECT_NEAR(top * 0.1 + 0.05, tm, 0.2);
        double total = 0;
        for (double v : fine) total += v;
        EXPECT_NEAR(total, 1e5, 1e-6 * 1e5);
    }
}

TEST(SamplePhysics, ShineDownCountsAddUpToTheDepletedCharge) {
    const TTimeBases bases{20, 30, 40, 0};  // 43.2 s
    const std::vector<TDecayComponent> c = {{1e5, 2.2}, {2e4, 0.1}};
    const std::vector<double> counts = ShineDownCounts(c, bases, 40.0);
    ASSERT_EQ(counts.size(), 91u);
    EXPECT_EQ(counts[0], 0.0);
    double total = 0;
    for (double v : counts) total += v;
    const double expected =
        1e5 * (1 - std::exp(-2.2 * 43.2)) + 2e4 * (1 - std::exp(-0.1 * 43.2)) + 40.0 * 43.2;
    EXPECT_NEAR(total, expected, 1e-6 * expected);
    // Channel 21 is [0.2 s, 0.3 s).
    const double ch21 =
        1e5 * (std::exp(-0.44) - std::exp(-0.66)) + 2e4 * (std::exp(-0.02) - std::exp(-0.03)) + 4.0;
    EXPECT_NEAR(counts[21], ch21, 1e-9 * ch21);
    // What a stimulation leaves is what a second one finds.
    const std::vector<TDecayComponent> left = AfterStimulation(c, 43.2);
    EXPECT_NEAR(left[1].population, 2e4 * std::exp(-4.32), 1e-9);
}

TEST(SamplePhysics, DoseGrowthComposes) {
    // Two doses in a row fill the trap like their sum.
    EXPECT_NEAR(FilledAfterDose(FilledAfterDose(0.0, 30, 150), 70, 150),
                FilledAfterDose(0.0, 100, 150), 1e-15);
    EXPECT_NEAR(FilledAfterDose(0.0, 150, 150), 1 - std::exp(-1.0), 1e-15);
    EXPECT_EQ(FilledAfterDose(0.3, 0, 150), 0.3);
}

TEST(SamplePhysics, IncandescenceFollowsWiensLaw) {
    const std::vector<double> counts = ThermalBackgroundCounts(5.0, 5.0, 100, 20.0, 2500.0, 15.0);
    // 1 s per 5 degC bin; rate at the bin's middle, exact to the curvature of the rate.
    const double middle = 497.5 + kZeroCelsiusKelvin;
    const double rate = 2500.0 * std::exp(34260.0 / (500 + kZeroCelsiusKelvin) - 34260.0 / middle);
    EXPECT_NEAR(counts[99], rate + 15.0, 0.01 * rate);
    EXPECT_EQ(counts[3], 0.0);            // 15-20 degC: before the heating starts
    EXPECT_NEAR(counts[10], 15.0, 0.01);  // 50 degC: dark counts only
}

TEST(SampleRandom, PoissonHasTheMeanAndVarianceOfItsParameter) {
    TSampleRandom random(7);
    for (const double mean : {0.4, 3.0, 12.0, 400.0, 1e5}) {
        SCOPED_TRACE(mean);
        const int n = 40000;
        double sum = 0, sumSq = 0;
        for (int i = 0; i < n; ++i) {
            const double k = static_cast<double>(random.Poisson(mean));
            ASSERT_GE(k, 0);
            sum += k;
            sumSq += k * k;
        }
        const double m = sum / n;
        const double var = sumSq / n - m * m;
        EXPECT_NEAR(m, mean, 5 * std::sqrt(mean / n));
        EXPECT_NEAR(var / mean, 1.0, 0.05);
    }
    EXPECT_EQ(random.Poisson(0.0), 0);
    EXPECT_EQ(random.Poisson(-1.0), 0);
    EXPECT_EQ(random.Poisson(std::nan("")), 0);
}
