#include "record_store/presentation_conversions.h"

#include <gtest/gtest.h>

#include "presentation_test_record.h"

using namespace presentation;

namespace {

TMapRecord Osl() {
    TMapRecord r;
    r.Set("Dev#", 2107).Set("Shift", 12.5).Set("Time base 10", 5).Set("Time base 100", 12);
    r.Set("Time base 1000", 0).Set("Time base 10000", 100).Set("OSL time", 5.55);
    r.Set("Sample temp", 125).Set("OSL BGD", 0x7B00).Set("Spacing", 10).Set("MaxTemp", 500);
    r.Set("NPT", 49).Set("Ramp", 5).Set("Power", 128).Set("Normalization factor", 1.234567);
    return r;
}

TMapRecord Tl() {
    TMapRecord r = Osl();
    r.Set("Dev#", 17);
    return r;
}

}  // namespace

TEST(PresentationConversions, DisplayTextsOfOslAndTlRecords) {
    struct Case {
        const char* field;
        const char* osl;
        const char* tl;
    } cases[] = {
        {"Dev#", "21", "0"},
        {"Shift", "", "12.5"},
        {"Time base 10", "  5 * 10 ms", ""},
        {"Time base 100", "12 * 100 ms", ""},
        {"Time base 1000", "  0 * 1 s", ""},
        {"Time base 10000", "100 * 10 s", ""},
        {"OSL time", "5.55 s", ""},
        {"Sample temp", "125 degC", ""},
        {"OSL BGD", "12.3/s", ""},
        {"Spacing", "", "spacing 10 degC"},
        {"MaxTemp", "", "max temperature 500 degC"},
        {"NPT", "49", "50"},
        {"Ramp", "5.0", "5.0"},
        {"Normalization factor", "1.235", "1.235"},
    };
    const TMapRecord osl = Osl(), tl = Tl();
    for (const Case& c : cases) {
        EXPECT_EQ(DisplayText(TRecordKind::Dat, c.field, osl).value_or("<none>"), c.osl) << c.field;
        EXPECT_EQ(DisplayText(TRecordKind::Dat, c.field, tl).value_or("<none>"), c.tl) << c.field;
    }
    EXPECT_FALSE(DisplayText(TRecordKind::Dat, "Remark", osl).has_value());
}

TEST(PresentationConversions, ShiftFollowsTheDeviceNotTheTlMark) {
    // Device 19 (code 1900) is not a TL record but its shift is still shown.
    TMapRecord r = Osl();
    r.Set("Dev#", 1900);
    EXPECT_EQ(DisplayText(TRecordKind::Dat, "Shift", r).value(), "12.5");
}

TEST(PresentationConversions, BackgroundRateTexts) {
    struct Case {
        int stored;
        const char* display;
        const char* edit;
    } cases[] = {
        {0x7B00, "12.3/s", "12.3"},  // 123
        {0x0500, "0.5/s", "0.5"},    // 5
        {0x0000, "0.0/s", "0.0"},
        {0x3930, "1234.5/s", "1234.5"},  // bytes 30 39 in the file: 0x3039 = 12345
    };
    for (const Case& c : cases) {
        TMapRecord r = Osl();
        r.Set("OSL BGD", c.stored);
        EXPECT_EQ(DisplayText(TRecordKind::Dat, "OSL BGD", r).value(), c.display);
        EXPECT_EQ(EditText(TRecordKind::Dat, "OSL BGD", r).value(), c.edit);
    }
    EXPECT_EQ(DisplayText(TRecordKind::Dat, "OSL BGD", Tl()).value(), "");
    EXPECT_EQ(DisplayText(TRecordKind::Dat, "OSL BGD", Osl(), ',').value(), "12,3/s");
}

TEST(PresentationConversions, EditTexts) {
    const TMapRecord osl = Osl();
    EXPECT_EQ(EditText(TRecordKind::Dat, "Dev#", osl).value(), "21");
    EXPECT_EQ(EditText(TRecordKind::Dat, "Shift", Tl()).value(), "12.5");
    EXPECT_EQ(EditText(TRecordKind::Dat, "Time base 10", osl).value(), "");
    EXPECT_EQ(EditText(TRecordKind::Dat, "NPT", osl).value(), "");
    EXPECT_FALSE(EditText(TRecordKind::Dat, "Ramp", osl).has_value());
    EXPECT_FALSE(EditText(TRecordKind::Dat, "Remark", osl).has_value());
}

TEST(PresentationConversions, DeviceEntry) {
    struct Case {
        long long code;
        const char* typed;
        TEntry::TKind kind;
        long long stored;
    } cases[] = {
        {2807, "21", TEntry::TKind::Store, 2107}, {2107, "25", TEntry::TKind::Store, 2507},
        {2107, "30", TEntry::TKind::Ignore, 0},   {2107, "0", TEntry::TKind::Store, 7},
        {17, "28", TEntry::TKind::Store, 2817},   {2107, "19", TEntry::TKind::Ignore, 0},
        {2107, "x", TEntry::TKind::Ignore, 0},    {2107, "20.5", TEntry::TKind::Ignore, 0},
    };
    for (const Case& c : cases) {
        TMapRecord r = Osl();
        r.Set("Dev#", static_cast<double>(c.code));
        const TEntry e = ConvertEntry(TRecordKind::Dat, "Dev#", c.typed, r);
        EXPECT_EQ(e.kind, c.kind) << c.code << " " << c.typed;
        if (e.kind == TEntry::TKind::Store) {
            EXPECT_EQ(e.value, c.stored) << c.typed;
        }
    }
}

TEST(PresentationConversions, BackgroundRateEntry) {
    struct Case {
        const char* typed;
        TEntry::TKind kind;
        long long stored;
    } cases[] = {
        {"12.3", TEntry::TKind::Store, 0x7B00},
        {"0.25", TEntry::TKind::Store, 0x0200},  // 2.5 rounds to 2
        {"0.35", TEntry::TKind::Store, 0x0400},  // 3.5 rounds to 4
        {"1234.5", TEntry::TKind::Store, 0x3930},
        {"-1", TEntry::TKind::Ignore, 0},
        {"7000", TEntry::TKind::Ignore, 0},
        {"abc", TEntry::TKind::Ignore, 0},
    };
    for (const Case& c : cases) {
        const TEntry e = ConvertEntry(TRecordKind::Dat, "OSL BGD", c.typed, Osl());
        EXPECT_EQ(e.kind, c.kind) << c.typed;
        if (e.kind == TEntry::TKind::Store) {
            EXPECT_EQ(e.value, c.stored) << c.typed;
        }
    }
}

TEST(PresentationConversions, PowerOfSadRecords) {
    TMapRecord r = Osl();
    EXPECT_EQ(DisplayText(TRecordKind::Sad, "Power", r).value(), "50.2");
    r.Set("Power", 255);
    EXPECT_EQ(DisplayText(TRecordKind::Sad, "Power", r).value(), "100.0");
    struct Case {
        const char* typed;
        long long stored;
        // 2.55 is slightly below itself in binary: 50 x 2.55 falls just short of 127.5.
    } cases[] = {{"50", 127}, {"50.2", 128}, {"100", 255}, {"150", 255},
                 {"-5", 0},   {"10", 26},    {"0", 0}};
    for (const Case& c : cases) {
        const TEntry e = ConvertEntry(TRecordKind::Sad, "Power", c.typed, r);
        ASSERT_EQ(e.kind, TEntry::TKind::Store) << c.typed;
        EXPECT_EQ(e.value, c.stored) << c.typed;
    }
    // Only the SAD view has a power conversion.
    EXPECT_FALSE(DisplayText(TRecordKind::Dat, "Power", r).has_value());
}

TEST(PresentationConversions, CalculatedFieldsCannotBeEntered) {
    for (const char* f : {"Device", "Info", "OSL time", "MaxTemp", "ShortInfo", "Irradiation"})
        EXPECT_EQ(ConvertEntry(TRecordKind::Dat, f, "1", Osl()).kind, TEntry::TKind::ReadOnly) << f;
    EXPECT_EQ(ConvertEntry(TRecordKind::Dat, "Remark", "x", Osl()).kind, TEntry::TKind::Ordinary);
}

TEST(PresentationConversions, GeneralViewHasNoConversions) {
    EXPECT_FALSE(DisplayText(TRecordKind::General, "Dev#", Osl()).has_value());
    EXPECT_EQ(ConvertEntry(TRecordKind::General, "Dev#", "30", Osl()).kind,
              TEntry::TKind::Ordinary);
    EXPECT_EQ(DisplayLabel(TRecordKind::General, "Run#"), "Run#");
}

TEST(PresentationConversions, LabelsAndBooleanTexts) {
    EXPECT_EQ(DisplayLabel(TRecordKind::Dat, "Run#"), "Run");
    EXPECT_EQ(DisplayLabel(TRecordKind::Das, "Disk#"), "Disk");
    EXPECT_EQ(DisplayLabel(TRecordKind::Dat, "NPT"), "Points");
    EXPECT_EQ(DisplayLabel(TRecordKind::Sad, "NPT"), "NPT");
    EXPECT_EQ(DisplayLabel(TRecordKind::Dat, "Remark"), "Remark");
    const TBooleanTexts yn = TBooleanTexts::Parse("Ja;Nein");
    EXPECT_EQ(yn.For(true), "Ja");
    EXPECT_EQ(yn.For(false), "Nein");
    EXPECT_EQ(TBooleanTexts::Parse("X").For(false), "");
}
