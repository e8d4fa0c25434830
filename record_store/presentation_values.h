#pragma once
// Read access to the fields of one record, by field name, as the presentation texts need
// it. The editor adapts a record store's current record to it; tests use a map of values.
#include <string>

class TRecordValues {
public:
    virtual ~TRecordValues() = default;
    virtual bool Has(const std::string& field) const = 0;
    // Typed reads; a missing field reads as 0, false or empty text.
    virtual long long Int(const std::string& field) const = 0;
    virtual double Float(const std::string& field) const = 0;
    virtual bool Bool(const std::string& field) const = 0;
    // Text of a text field, or the shown text of a date field.
    virtual std::string Text(const std::string& field) const = 0;
};

// Which of the maker's field lists a record comes from.
enum class TRecordKind { Dat, Sad, Das, General };
