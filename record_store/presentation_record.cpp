#include "record_store/presentation_record.h"

#include <cstdio>

#include "record_store/presentation_format.h"

namespace presentation {

std::string TTextLocale::DateText(const TDate& date) const {
    if (dateText) return dateText(date);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", date.year, date.month, date.day);
    return buf;
}

TViewRecordValues::TViewRecordValues(const TBinDataSet& view, TRecordKind kind,
                                     std::optional<int> row, const TTextLocale& locale)
    : view_(view), kind_(kind), row_(row), locale_(locale) {}

bool TViewRecordValues::Has(const std::string& field) const {
    return view_.FindField(field) != nullptr;
}

const TCalculatedFields& TViewRecordValues::Calculated() const {
    if (!calculated_)
        calculated_ =
            lookup_ ? CalculateForSubtraction(kind_, *this, *lookup_, locale_.decimalSeparator)
                    : Calculate(kind_, *this, locale_.decimalSeparator);
    return *calculated_;
}

std::optional<TFieldValue> TViewRecordValues::CalculatedValue(const std::string& field) const {
    const TCalculatedFields& c = Calculated();
    if (field == "Device") return TFieldValue(c.device);
    if (field == "Info") return TFieldValue(c.info);
    if (field == "ShortInfo") return TFieldValue(c.shortInfo);
    if (field == "OSL time") return TFieldValue(c.oslTime);
    if (field == "Irradiation") return TFieldValue(c.irradiation);
    if (field == "Run kind") return TFieldValue(c.runKind);
    if (field == "SingleMultiple") return TFieldValue(c.singleMultiple);
    if (field == "Norm") return TFieldValue(c.norm);
    if (field == "MaxTemp") return TFieldValue(static_cast<int64_t>(c.maxTemp));
    return std::nullopt;
}

TFieldValue TViewRecordValues::Value(const std::string& field) const {
    const TBinField* f = view_.FindField(field);
    if (!f) return {};
    if (f->calculated) {
        // A stored record's calculated area is not filled: compute it. The current record
        // has been through the store's callback, which may be another variant: read it.
        if (row_ || kind_ == TRecordKind::General) {
            if (auto v = CalculatedValue(field)) return *v;
        }
        if (row_) return {};
    }
    try {
        return row_ ? view_.ValueAt(*row_, f->index) : view_.GetValue(f->index);
    } catch (const std::exception&) {
        return {};
    }
}

long long TViewRecordValues::Int(const std::string& field) const {
    try {
        return ValueAsInteger(Value(field));
    } catch (const std::exception&) {
        return 0;
    }
}

double TViewRecordValues::Float(const std::string& field) const {
    try {
        return ValueAsFloat(Value(field));
    } catch (const std::exception&) {
        return 0;
    }
}

bool TViewRecordValues::Bool(const std::string& field) const {
    try {
        return ValueAsBoolean(Value(field));
    } catch (const std::exception&) {
        return false;
    }
}

std::string TViewRecordValues::Text(const std::string& field) const {
    const TFieldValue v = Value(field);
    if (const TDate* d = std::get_if<TDate>(&v)) return locale_.DateText(*d);
    if (std::holds_alternative<std::monostate>(v) || std::holds_alternative<TBytes>(v)) return {};
    try {
        return ValueAsString(v);
    } catch (const std::exception&) {
        return {};
    }
}

std::string TViewRecordValues::ShownText(const std::string& field, const TBooleanTexts& booleans,
                                         bool forEdit) const {
    if (!Has(field)) return {};
    const char sep = locale_.decimalSeparator;
    auto converted =
        forEdit ? EditText(kind_, field, *this, sep) : DisplayText(kind_, field, *this, sep);
    if (converted) return *converted;
    return PlainText(field, booleans.trueText, booleans.falseText);
}

std::string TViewRecordValues::PlainText(const std::string& field, const std::string& trueText,
                                         const std::string& falseText) const {
    const TFieldValue v = Value(field);
    if (const bool* b = std::get_if<bool>(&v)) return *b ? trueText : falseText;
    if (const double* d = std::get_if<double>(&v))
        return FormatGeneral(*d, locale_.decimalSeparator);
    if (std::holds_alternative<TBytes>(v)) {
        std::string text(1, '(');
        text += std::to_string(std::get<TBytes>(v).size());
        text += " bytes)";
        return text;
    }
    return Text(field);
}

void StoreCalculatedFields(TBinDataSet& view, const TCalculatedFields& c) {
    auto set = [&view](const char* name, const TFieldValue& value) {
        const TBinField* f = view.FindField(name);
        if (f && f->calculated) view.SetValue(f->index, value);
    };
    set("Device", c.device);
    set("Info", c.info);
    set("ShortInfo", c.shortInfo);
    set("OSL time", c.oslTime);
    set("Irradiation", c.irradiation);
    set("Run kind", c.runKind);
    set("SingleMultiple", c.singleMultiple);
    set("Norm", c.norm);
    set("MaxTemp", static_cast<int64_t>(c.maxTemp));
}

TBinDataSet::Callback MakeCalculationCallback(TRecordKind kind, TTextLocale locale) {
    return [kind, locale](TBinDataSet& view) {
        const TViewRecordValues record(view, kind, std::nullopt, locale);
        StoreCalculatedFields(view, Calculate(kind, record, locale.decimalSeparator));
    };
}

TBinDataSet::Callback MakeSubtractionCalculationCallback(TRecordKind kind, TBackgroundLookup lookup,
                                                         TTextLocale locale) {
    return [kind, lookup = std::move(lookup), locale](TBinDataSet& view) {
        const TViewRecordValues record(view, kind, std::nullopt, locale);
        StoreCalculatedFields(
            view, CalculateForSubtraction(kind, record, lookup, locale.decimalSeparator));
    };
}

}  // namespace presentation
