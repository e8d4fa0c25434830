// Entries and calculated fields on a real record store over a file written by hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/presentation_entry.h"
#include "record_store/presentation_record.h"
#include "record_store/record_file_test_util.h"

namespace fs = std::filesystem;
using namespace presentation;

namespace {

constexpr int kRecordSize = 50;

// Run# 0-3, Dev# 4-7, OSL BGD 8-9, Alpha/Beta/Gamma time 10-33, Remark 34-43 (CHAR 10),
// TL run 44, Nat TL 45, Spacing 46-47, Irrad date 48-49 (packed 1999-07-12).
const char* const kSchema =
    "FILETYPE = FIXED BINARY\n"
    "FIELD1 = Run#, NUMERIC, 4, 0\n"
    "FIELD2 = Dev#, NUMERIC, 4, 4\n"
    "FIELD3 = OSL BGD, WORD, 2, 8\n"
    "FIELD4 = Alpha time, FLOAT, 8, 10\n"
    "FIELD5 = Beta time, FLOAT, 8, 18\n"
    "FIELD6 = Gamma time, FLOAT, 8, 26\n"
    "FIELD7 = Remark, CHAR, 10, 34\n"
    "FIELD8 = TL run, BOOL, 1, 44\n"
    "FIELD9 = Nat TL, BOOL, 1, 45\n"
    "FIELD10 = Spacing, WORD, 2, 46\n"
    "FIELD11 = Irrad date, DATE, 2, 48\n";

void PutInt32(std::vector<uint8_t>& r, int at, int32_t v) {
    std::memcpy(&r[at], &v, 4);
}
void PutDouble(std::vector<uint8_t>& r, int at, double v) {
    std::memcpy(&r[at], &v, 8);
}

std::vector<uint8_t> Record(int32_t run, int32_t dev, double alphaTime) {
    std::vector<uint8_t> r(kRecordSize, 0);
    PutInt32(r, 0, run);
    PutInt32(r, 4, dev);
    PutDouble(r, 10, alphaTime);
    r[34] = 3;  // "abc"
    std::memcpy(&r[35], "abc", 3);
    r[44] = 1;  // TL run
    r[45] = 1;  // Nat TL
    r[48] = 0xC7;
    r[49] = 0xC6;
    return r;
}

std::vector<uint8_t> ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PresentationEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = folder_.path();
        std::ofstream(dir_ / "T.sch") << kSchema;
        std::ofstream out(dir_ / "T.dat", std::ios::binary);
        for (const auto& r : {Record(1, 2107, 5.0), Record(2, 17, 0.0)})
            out.write(reinterpret_cast<const char*>(r.data()), kRecordSize);
        out.close();
        view_.SetFileName((dir_ / "T.dat").string());
        view_.SetSchemaFileName((dir_ / "T.sch").string());
    }
    void TearDown() override {
        view_.SetModified(false);
        if (view_.Active()) view_.Close();
    }
    std::vector<uint8_t> SavedRecord(int index) {
        view_.SaveToFile((dir_ / "T.dat").string());
        const auto bytes = ReadFile(dir_ / "T.dat");
        return {bytes.begin() + index * kRecordSize, bytes.begin() + (index + 1) * kRecordSize};
    }

    // A folder of its own per test: ctest runs the tests of this fixture in parallel processes.
    record_test::TempDir folder_;
    fs::path dir_;
    TBinDataSet view_;
    TBooleanTexts yesNo_;
};

}  // namespace

TEST_F(PresentationEntryTest, DeviceEntryKeepsTheSubNumber) {
    view_.Open();
    view_.SetRecNo(1);
    EXPECT_EQ(ApplyEntry(view_, TRecordKind::Dat, "Dev#", "25", yesNo_), TEntryOutcome::Stored);
    EXPECT_EQ(view_.AsInteger("Dev#"), 2507);
    EXPECT_EQ(ApplyEntry(view_, TRecordKind::Dat, "Dev#", "30", yesNo_), TEntryOutcome::Unchanged);
    EXPECT_EQ(view_.AsInteger("Dev#"), 2507);
    const auto r = SavedRecord(0);
    EXPECT_EQ(std::vector<uint8_t>(r.begin() + 4, r.begin() + 8),
              (std::vector<uint8_t>{0xCB, 0x09, 0x00, 0x00}));  // 2507
}

TEST_F(PresentationEntryTest, BackgroundRateIsStoredByteSwapped) {
    view_.Open();
    view_.SetRecNo(1);
    ApplyEntry(view_, TRecordKind::Dat, "OSL BGD", "12.3", yesNo_);
    const auto r = SavedRecord(0);
    // round(12.3 x 10) = 123 = 0x007B, high byte first in the file.
    EXPECT_EQ(r[8], 0x00);
    EXPECT_EQ(r[9], 0x7B);
    // The display reads it back.
    const TViewRecordValues values(view_, TRecordKind::Dat, std::nullopt);
    EXPECT_EQ(DisplayText(TRecordKind::Dat, "OSL BGD", values).value(), "12.3/s");
}

TEST_F(PresentationEntryTest, ADatRecordCarriesOneIrradiation) {
    view_.Open();
    view_.SetRecNo(1);
    ApplyEntry(view_, TRecordKind::Dat, "Beta time", "2", yesNo_);
    EXPECT_DOUBLE_EQ(view_.AsFloat("Beta time"), 2.0);
    EXPECT_DOUBLE_EQ(view_.AsFloat("Alpha time"), 0.0);
    ApplyEntry(view_, TRecordKind::Dat, "Gamma time", "0", yesNo_);  // not positive: no effect
    EXPECT_DOUBLE_EQ(view_.AsFloat("Beta time"), 2.0);
    ApplyEntry(view_, TRecordKind::Dat, "Gamma time", "1,5", yesNo_, ',');
    EXPECT_DOUBLE_EQ(view_.AsFloat("Gamma time"), 1.5);
    EXPECT_DOUBLE_EQ(view_.AsFloat("Beta time"), 0.0);
    // Other views keep every time as entered.
    ApplyEntry(view_, TRecordKind::Das, "Alpha time", "4", yesNo_);
    EXPECT_DOUBLE_EQ(view_.AsFloat("Gamma time"), 1.5);
}

TEST_F(PresentationEntryTest, OrdinaryEntriesAndBooleanTexts) {
    view_.Open();
    view_.SetRecNo(2);
    ApplyEntry(view_, TRecordKind::Dat, "Remark", "ABCDEFGHIJKL", yesNo_);
    EXPECT_EQ(view_.AsString("Remark"), "ABCDEFGHI");  // a CHAR 10 field holds 9 letters
    ApplyEntry(view_, TRecordKind::Dat, "TL run", "No", yesNo_);
    EXPECT_FALSE(view_.AsBoolean("TL run"));
    ApplyEntry(view_, TRecordKind::Dat, "TL run", "yes", yesNo_);
    EXPECT_TRUE(view_.AsBoolean("TL run"));
    EXPECT_TRUE(view_.Modified());
}

TEST_F(PresentationEntryTest, TextsThatDoNotConvertChangeNothing) {
    view_.Open();
    view_.SetRecNo(1);
    for (const char* field : {"Run#", "Alpha time", "TL run"}) {
        EXPECT_THROW(ApplyEntry(view_, TRecordKind::General, field, "abc", yesNo_), TEditorError)
            << field;
        EXPECT_EQ(view_.State(), TDataSetState::Browse) << field;
    }
    EXPECT_EQ(view_.AsInteger("Run#"), 1);
    EXPECT_DOUBLE_EQ(view_.AsFloat("Alpha time"), 5.0);
    EXPECT_FALSE(view_.Modified());
}

TEST_F(PresentationEntryTest, DatesAreReadAsTheLocaleShowsThemAndAsIso) {
    view_.Open();
    view_.SetRecNo(1);
    // A locale whose short form is "16 Mar 2026", read by hand here.
    TTextLocale locale;
    locale.readDate = [](const std::string& t) -> std::optional<TDate> {
        if (t == "16 Mar 2026") return TDate{2026, 3, 16};
        if (t == "1 Jan 2030") return TDate{2030, 1, 1};
        return std::nullopt;
    };
    // Packed words: (year - 1900) << 9 | day << 4 | month.
    struct Accepted {
        const char* text;
        uint16_t word;
    };
    const Accepted accepted[] = {
        {"16 Mar 2026", 126 << 9 | 16 << 4 | 3},
        {" 2001-12-31 ", 101 << 9 | 31 << 4 | 12},
        {"1900-01-01", 0 << 9 | 1 << 4 | 1},
        {"2027-12-31", 127 << 9 | 31 << 4 | 12},
    };
    for (const Accepted& a : accepted) {
        SCOPED_TRACE(a.text);
        EXPECT_EQ(ApplyEntry(view_, TRecordKind::Dat, "Irrad date", a.text, yesNo_, locale),
                  TEntryOutcome::Stored);
        const std::vector<uint8_t> saved = SavedRecord(0);
        EXPECT_EQ(saved[48] | saved[49] << 8, a.word);
    }

    // Texts that are no date, or a year the packed word cannot hold (2030 would be stored as
    // 1902), change nothing.
    ApplyEntry(view_, TRecordKind::Dat, "Irrad date", "1999-07-12", yesNo_, locale);
    view_.SaveToFile((dir_ / "T.dat").string());
    struct Refused {
        const char* text;
        std::string message;
    };
    const std::string range = " is not a valid date value: a date field holds the years 1900 to 2027";
    const Refused refused[] = {
        {"yesterday", "'yesterday' is not a valid date value"},
        {"31 Feb 2026", "'31 Feb 2026' is not a valid date value"},
        {"2026-02-30", "'2026-02-30' is not a valid date value"},
        {"1 Jan 2030", "'1 Jan 2030'" + range},
        {"2028-01-02", "'2028-01-02'" + range},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.text);
        try {
            ApplyEntry(view_, TRecordKind::Dat, "Irrad date", r.text, yesNo_, locale);
            ADD_FAILURE() << "accepted";
        } catch (const TEditorError& e) {
            EXPECT_EQ(std::string(e.what()), r.message);
        }
        EXPECT_EQ(view_.State(), TDataSetState::Browse);
        EXPECT_FALSE(view_.Modified());
        EXPECT_EQ(view_.AsDate("Irrad date"), (TDate{1999, 7, 12}));
    }
    // Without a locale reader only YYYY-MM-DD is read.
    EXPECT_THROW(ApplyEntry(view_, TRecordKind::Dat, "Irrad date", "16 Mar 2026", yesNo_),
                 TEditorError);
}

TEST_F(PresentationEntryTest, EmptyTextKeepsAFieldWhoseEditTextIsEmpty) {
    view_.Open();
    view_.SetRecNo(2);  // a TL record: "Spacing" offers an empty edit text
    view_.Edit();
    view_.SetAsInteger("Spacing", 10);
    view_.Post();
    view_.SetModified(false);
    EXPECT_EQ(ApplyEntry(view_, TRecordKind::Dat, "Spacing", "  ", yesNo_),
              TEntryOutcome::Unchanged);
    EXPECT_EQ(view_.AsInteger("Spacing"), 10);
    ApplyEntry(view_, TRecordKind::Dat, "Spacing", "5", yesNo_);
    EXPECT_EQ(view_.AsInteger("Spacing"), 5);
}

TEST_F(PresentationEntryTest, CalculationCallbackFillsTheDeclaredFields) {
    std::vector<TFieldDesc> fields = {
        {"Run#", TFieldType::Integer, 0, false},     {"Dev#", TFieldType::Integer, 0, false},
        {"Alpha time", TFieldType::Float, 0, false}, {"TL run", TFieldType::Boolean, 0, false},
        {"Nat TL", TFieldType::Boolean, 0, false},   {"Device", TFieldType::String, 8, true},
        {"Info", TFieldType::String, 40, true},      {"Run kind", TFieldType::String, 5, true},
    };
    view_.SetFieldDescs(fields);
    view_.SetOnCalcFields(MakeCalculationCallback(TRecordKind::Dat));
    view_.Open();
    view_.SetRecNo(1);
    EXPECT_EQ(view_.AsString("Device"), "OSL #1");
    EXPECT_EQ(view_.AsString("Run kind"), "OSL");
    // Alpha time 5 at a rate the file does not have (0), no unit.
    EXPECT_EQ(view_.AsString("Info"), "N + 0.0 alpha ");
    view_.SetRecNo(2);
    EXPECT_EQ(view_.AsString("Device"), "TL");
    // A stored record reads its calculated fields without moving the cursor.
    const TViewRecordValues first(view_, TRecordKind::Dat, 0);
    EXPECT_EQ(first.Text("Device"), "OSL #1");
    EXPECT_EQ(view_.RecNo(), 2);
    // The subtraction variant.
    view_.SetOnCalcFields(MakeSubtractionCalculationCallback(
        TRecordKind::Dat,
        [](long long run, long long) { return "bgd of run " + std::to_string(run); }));
    view_.Refresh();
    EXPECT_EQ(view_.AsString("Device"), "TL  ");
    EXPECT_EQ(view_.AsString("Run kind"), "");
}
