#pragma once
// Values of record fields and the ordinary conversions between their kinds, used by the
// typed accessors of the record store.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "record_store/field_types.h"

struct TDate {
    int year = 1900;
    int month = 1;  // 1-12
    int day = 1;    // 1-31
    bool operator==(const TDate&) const = default;
};

// Time of day in milliseconds since midnight.
struct TTime {
    uint32_t ms = 0;
    bool operator==(const TTime&) const = default;
};

struct TDateTime {
    TDate date;
    uint32_t ms = 0;  // milliseconds since midnight
    bool operator==(const TDateTime&) const = default;
};

using TBytes = std::vector<uint8_t>;

// A field value. Integer and Word fields give int64_t, Float double, String std::string,
// Boolean bool, Date TDate, Time TTime, DateTime TDateTime, Bytes TBytes; monostate is "no
// value" (a field of unknown type).
using TFieldValue = std::variant<std::monostate, std::string, int64_t, double, bool, TDate, TTime,
                                 TDateTime, TBytes>;

// Today's date and the time of day now, from the system clock in local time.
TDate CurrentDate();
TTime CurrentTime();

// Days since 0001-01-01 of the proleptic Gregorian calendar (0001-01-01 is 0), and back.
int64_t DaysSinceEpoch1(const TDate& date);
TDate DateFromDaysSinceEpoch1(int64_t days);
bool IsValidDate(const TDate& date);

// Conversions between kinds as the typed accessors make them. Texts: dates "YYYY-MM-DD",
// times "HH:MM:SS" (".mmm" added when the milliseconds are not 0), booleans "True"/"False".
// Floats taken from dates count days since 1899-12-30 with the time as fraction of a day.
// A conversion that has no sense (text that is no number, bytes to a number ...) throws
// TEditorError with a message such as "'abc' is not a valid integer value".
int64_t ValueAsInteger(const TFieldValue& value);
double ValueAsFloat(const TFieldValue& value);
std::string ValueAsString(const TFieldValue& value);
bool ValueAsBoolean(const TFieldValue& value);
TDate ValueAsDate(const TFieldValue& value);
TTime ValueAsTime(const TFieldValue& value);
TDateTime ValueAsDateTime(const TFieldValue& value);
TBytes ValueAsBytes(const TFieldValue& value);

// Converts a value to the kind of a field type (Word and Integer both give int64_t).
TFieldValue ConvertValue(const TFieldValue& value, TFieldType type);
