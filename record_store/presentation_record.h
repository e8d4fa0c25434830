#pragma once
// The record store seen through TRecordValues: a stored record by index (the grid reads rows
// this way without moving the cursor) or the current record. Calculated fields are computed
// from the data fields on the spot. Also the store's calculation callback.
#include <functional>
#include <optional>
#include <string>

#include "record_store/bin_data_set.h"
#include "record_store/presentation_calculation.h"
#include "record_store/presentation_conversions.h"
#include "record_store/presentation_values.h"

namespace presentation {

// Locale of the shown texts: decimal separator and the short date text, and reading a date
// typed in that short form.
struct TTextLocale {
    char decimalSeparator = '.';
    std::function<std::string(const TDate&)> dateText;  // empty: "YYYY-MM-DD"
    // The date of a text in the locale's short form; nullopt when it is not one. Empty: only
    // "YYYY-MM-DD" is read.
    std::function<std::optional<TDate>(const std::string&)> readDate;
    std::string DateText(const TDate& date) const;
};

class TViewRecordValues : public TRecordValues {
public:
    // `row` is a 0-based index among all records; nullopt reads the current record.
    TViewRecordValues(const TBinDataSet& view, TRecordKind kind, std::optional<int> row,
                      const TTextLocale& locale = {});

    bool Has(const std::string& field) const override;
    long long Int(const std::string& field) const override;
    double Float(const std::string& field) const override;
    bool Bool(const std::string& field) const override;
    std::string Text(const std::string& field) const override;

    // The value of a field as the plain text of its kind (no conversion), as the grid shows a
    // field without a conversion of its own. Booleans use `booleans`.
    std::string PlainText(const std::string& field, const std::string& trueText,
                          const std::string& falseText) const;
    // The text shown for a field: its display conversion, or with `forEdit` the text offered
    // for editing, else its plain text; empty when the view has no such field.
    std::string ShownText(const std::string& field, const TBooleanTexts& booleans,
                          bool forEdit = false) const;
    const TCalculatedFields& Calculated() const;
    // While background subtraction is on, the calculated fields are its variant
    // ("ShortInfo": the assigned background); nullptr for the normal ones.
    void SetBackgroundLookup(const TBackgroundLookup* lookup) { lookup_ = lookup; }

private:
    TFieldValue Value(const std::string& field) const;
    std::optional<TFieldValue> CalculatedValue(const std::string& field) const;

    const TBinDataSet& view_;
    TRecordKind kind_;
    std::optional<int> row_;
    TTextLocale locale_;
    mutable std::optional<TCalculatedFields> calculated_;
    const TBackgroundLookup* lookup_ = nullptr;
};

// Writes the calculated fields into the current record of `view` (those it declares).
void StoreCalculatedFields(TBinDataSet& view, const TCalculatedFields& fields);

// The calculation callback of a maker's view in the normal state.
TBinDataSet::Callback MakeCalculationCallback(TRecordKind kind, TTextLocale locale = {});
// The callback while background subtraction is on.
TBinDataSet::Callback MakeSubtractionCalculationCallback(TRecordKind kind, TBackgroundLookup lookup,
                                                         TTextLocale locale = {});

}  // namespace presentation
