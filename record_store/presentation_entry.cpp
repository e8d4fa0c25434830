#include "record_store/presentation_entry.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "record_store/editor_error.h"
#include "record_store/presentation_format.h"
#include "record_store/presentation_record.h"

namespace presentation {

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// A positive time of one radiation clears the times of the other two.
void KeepOneIrradiation(TBinDataSet& view, const std::string& field) {
    static const char* const times[] = {"Alpha time", "Beta time", "Gamma time"};
    if (std::find(std::begin(times), std::end(times), field) == std::end(times)) return;
    if (view.AsFloat(field) <= 0) return;
    for (const char* other : times)
        if (field != other && view.FindField(other)) view.SetAsFloat(other, 0.0);
}

// A date as the locale shows it or as YYYY-MM-DD (or a date and time). The packed date word
// holds the years 1900 to 2027 only; a later year would be stored as an early one.
TFieldValue ParseDateEntry(const std::string& text, const std::string& t,
                           const TTextLocale& locale) {
    std::optional<TDate> date;
    try {
        date = ValueAsDate(TFieldValue(t));
    } catch (const TEditorError&) {
        if (locale.readDate && !t.empty()) date = locale.readDate(t);
    }
    if (!date) throw TEditorError("'" + text + "' is not a valid date value");
    if (date->year < 1900 || date->year > 2027)
        throw TEditorError("'" + text + "' is not a valid date value: a date field holds the " +
                           "years 1900 to 2027");
    return TFieldValue(*date);
}

}  // namespace

TFieldValue ParseEntry(const TBinField& field, const std::string& text,
                       const TBooleanTexts& booleans, char decimalSeparator) {
    TTextLocale locale;
    locale.decimalSeparator = decimalSeparator;
    return ParseEntry(field, text, booleans, locale);
}

TFieldValue ParseEntry(const TBinField& field, const std::string& text,
                       const TBooleanTexts& booleans, const TTextLocale& locale) {
    const char decimalSeparator = locale.decimalSeparator;
    const std::string t = Trim(text);
    switch (field.type) {
        case TFieldType::Float: {
            double v = 0;
            if (t.empty()) return TFieldValue(0.0);
            if (!ParseNumber(t, decimalSeparator, v))
                throw TEditorError("'" + text + "' is not a valid floating point value");
            return TFieldValue(v);
        }
        case TFieldType::Boolean: {
            const std::string l = Lower(t);
            if (l == Lower(booleans.trueText) || l == "true" || l == "1") return TFieldValue(true);
            if (l == Lower(booleans.falseText) || l == "false" || l == "0" || l.empty())
                return TFieldValue(false);
            throw TEditorError("'" + text + "' is not a valid boolean value");
        }
        case TFieldType::Integer:
        case TFieldType::Word:
            if (t.empty()) return TFieldValue(int64_t{0});
            return ConvertValue(TFieldValue(t), field.type);
        case TFieldType::String:
            return TFieldValue(text);
        case TFieldType::Date:
            return ParseDateEntry(text, t, locale);
        default:
            return ConvertValue(TFieldValue(t), field.type);
    }
}

TEntryOutcome ApplyEntry(TBinDataSet& view, TRecordKind kind, const std::string& field,
                         const std::string& text, const TBooleanTexts& booleans,
                         char decimalSeparator) {
    TTextLocale locale;
    locale.decimalSeparator = decimalSeparator;
    return ApplyEntry(view, kind, field, text, booleans, locale);
}

TEntryOutcome ApplyEntry(TBinDataSet& view, TRecordKind kind, const std::string& field,
                         const std::string& text, const TBooleanTexts& booleans,
                         const TTextLocale& locale) {
    const char decimalSeparator = locale.decimalSeparator;
    const TBinField& f = view.FieldByName(field);
    TEntry entry;
    {
        const TViewRecordValues record(view, kind, std::nullopt);
        entry = ConvertEntry(kind, field, text, record, decimalSeparator);
        // Fields whose edit text is empty: leaving the text empty keeps the value.
        const auto edit = EditText(kind, field, record, decimalSeparator);
        if (entry.kind == TEntry::TKind::Ordinary && edit && edit->empty() && Trim(text).empty())
            return TEntryOutcome::Unchanged;
    }
    if (f.calculated || f.type == TFieldType::Bytes) return TEntryOutcome::Unchanged;
    if (entry.kind == TEntry::TKind::Ignore || entry.kind == TEntry::TKind::ReadOnly)
        return TEntryOutcome::Unchanged;
    const TFieldValue value = entry.kind == TEntry::TKind::Store
                                  ? TFieldValue(static_cast<int64_t>(entry.value))
                                  : ParseEntry(f, text, booleans, locale);
    view.Edit();
    try {
        view.SetValue(f.index, value);
        if (kind == TRecordKind::Dat) KeepOneIrradiation(view, field);
        view.Post();
    } catch (...) {
        view.Cancel();
        throw;
    }
    return TEntryOutcome::Stored;
}

}  // namespace presentation
