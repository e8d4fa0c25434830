#include "record_store/presentation_conversions.h"

#include <cmath>
#include <cstdint>

#include "record_store/measurement_codes.h"
#include "record_store/presentation_calculation.h"
#include "record_store/presentation_format.h"

namespace presentation {

namespace {

struct TTimeBase {
    const char* field;
    const char* suffix;
};
const TTimeBase kTimeBases[] = {{"Time base 10", " * 10 ms"},
                                {"Time base 100", " * 100 ms"},
                                {"Time base 1000", " * 1 s"},
                                {"Time base 10000", " * 10 s"}};

const TTimeBase* FindTimeBase(const std::string& field) {
    for (const TTimeBase& t : kTimeBases)
        if (field == t.field) return &t;
    return nullptr;
}

bool IsTL(const TRecordValues& r) {
    return IsTLCode(r.Int("Dev#"));
}

std::string BackgroundRateText(const TRecordValues& r, char sep) {
    const auto stored = static_cast<std::uint16_t>(r.Int("OSL BGD"));
    std::string text = std::to_string(SwapBytes16(stored));
    text.insert(text.size() - 1, 1, sep);
    if (text[0] == sep) text.insert(0, 1, '0');
    return text;
}

bool ParseInteger(const std::string& text, long long& value) {
    double v = 0;
    if (!ParseNumber(text, '.', v) || v != std::floor(v)) return false;
    value = static_cast<long long>(v);
    return true;
}

}  // namespace

bool IsCalculatedField(const std::string& field) {
    static const char* const names[] = {"Device",      "Info",      "OSL time",
                                        "Irradiation", "Run kind",  "SingleMultiple",
                                        "Norm",        "ShortInfo", "MaxTemp"};
    for (const char* n : names)
        if (field == n) return true;
    return false;
}

std::optional<std::string> DisplayText(TRecordKind kind, const std::string& field,
                                       const TRecordValues& r, char sep) {
    if (kind == TRecordKind::General || !r.Has(field)) return std::nullopt;
    const bool tl = IsTL(r);
    if (field == "Dev#") return std::to_string(r.Int("Dev#") / 100);
    if (field == "Shift") {
        if (r.Int("Dev#") / 100 < 20) return FormatGeneral(r.Float("Shift"), sep);
        return std::string();
    }
    if (const TTimeBase* t = FindTimeBase(field)) {
        if (tl) return std::string();
        std::string count = std::to_string(r.Int(field));
        if (count.size() == 1) count = "  " + count;
        return count + t->suffix;
    }
    if (field == "OSL time")
        return tl ? std::string() : FormatHashDecimals(r.Float(field), 2, sep) + " s";
    if (field == "Sample temp") return tl ? std::string() : std::to_string(r.Int(field)) + " degC";
    if (field == "OSL BGD") return tl ? std::string() : BackgroundRateText(r, sep) + "/s";
    if (field == "Spacing")
        return tl ? "spacing " + std::to_string(r.Int(field)) + " degC" : std::string();
    if (field == "MaxTemp")
        return tl ? "max temperature " + std::to_string(r.Int(field)) + " degC" : std::string();
    if (field == "NPT") return std::to_string(r.Int("NPT") + (tl ? 1 : 0));
    if (field == "Power" && kind == TRecordKind::Sad) return D1(r.Float(field) / 2.55, sep);
    if (field == "Ramp") return FormatHashDecimals(r.Float(field), 1, sep);
    if (field == "Normalization factor") return FormatGeneral(r.Float(field), sep, 4);
    return std::nullopt;
}

std::optional<std::string> EditText(TRecordKind kind, const std::string& field,
                                    const TRecordValues& r, char sep) {
    if (kind == TRecordKind::General || !r.Has(field)) return std::nullopt;
    if (field == "Dev#" || field == "Shift") return DisplayText(kind, field, r, sep);
    if (field == "OSL BGD") return IsTL(r) ? std::string() : BackgroundRateText(r, sep);
    if (FindTimeBase(field) || field == "OSL time" || field == "Sample temp" ||
        field == "Spacing" || field == "MaxTemp" || field == "NPT" ||
        (field == "Power" && kind == TRecordKind::Sad))
        return std::string();
    return std::nullopt;
}

TEntry ConvertEntry(TRecordKind kind, const std::string& field, const std::string& text,
                    const TRecordValues& r, char sep) {
    TEntry entry;
    if (kind == TRecordKind::General) return entry;
    if (IsCalculatedField(field)) {
        entry.kind = TEntry::TKind::ReadOnly;
        return entry;
    }
    if (field == "Dev#") {
        long long device = 0;
        entry.kind = TEntry::TKind::Ignore;
        if (!ParseInteger(text, device) || device < 0 || device > kIrslDevice) return entry;
        if (const auto code =
                CodeWithDevice(static_cast<int>(r.Int("Dev#")), static_cast<int>(device))) {
            entry.kind = TEntry::TKind::Store;
            entry.value = *code;
        }
        return entry;
    }
    if (field == "OSL BGD") {
        double rate = 0;
        entry.kind = TEntry::TKind::Ignore;
        // A rate the word cannot hold changes nothing.
        if (ParseNumber(text, sep, rate) && OslBgdHeldRate(rate)) {
            entry.kind = TEntry::TKind::Store;
            entry.value = RateToOslBgd(rate);
        }
        return entry;
    }
    if (field == "Power" && kind == TRecordKind::Sad) {
        double percent = 0;
        entry.kind = TEntry::TKind::Ignore;
        if (ParseNumber(text, sep, percent)) {
            entry.kind = TEntry::TKind::Store;
            entry.value = PowerFromPercent(percent);
        }
        return entry;
    }
    return entry;
}

TBooleanTexts TBooleanTexts::Parse(const std::string& yesNo) {
    TBooleanTexts texts;
    const size_t semi = yesNo.find(';');
    texts.trueText = yesNo.substr(0, semi);
    texts.falseText = semi == std::string::npos ? std::string() : yesNo.substr(semi + 1);
    return texts;
}

std::string DisplayLabel(TRecordKind kind, const std::string& field) {
    if (kind == TRecordKind::General) return field;
    if (field == "Run#") return "Run";
    if (field == "Disk#") return "Disk";
    if (field == "NPT" && kind != TRecordKind::Sad) return "Points";
    return field;
}

}  // namespace presentation
