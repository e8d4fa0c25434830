#include "record_store/field_value.h"

#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>

#include "platform/number_text.h"
#include "record_store/editor_error.h"

namespace {

constexpr double kMsPerDay = 86400000.0;
// Days from 0001-01-01 to 1899-12-30, the origin of floats taken from dates.
constexpr int64_t kFloatDateOrigin = 693593;

std::string Trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

[[noreturn]] void Invalid(const std::string& text, const char* kind) {
    throw TEditorError("'" + text + "' is not a valid " + kind + " value");
}

[[noreturn]] void NoConversion(const char* from, const char* to) {
    throw TEditorError(std::string("Cannot convert a ") + from + " value to " + to);
}

const char* KindName(const TFieldValue& v) {
    switch (v.index()) {
        case 1:
            return "text";
        case 2:
            return "integer";
        case 3:
            return "float";
        case 4:
            return "boolean";
        case 5:
            return "date";
        case 6:
            return "time";
        case 7:
            return "date-time";
        case 8:
            return "bytes";
    }
    return "empty";
}

bool ParseInteger(const std::string& text, int64_t& out) {
    std::string t = Trimmed(text);
    const char* b = t.data();
    const char* e = b + t.size();
    if (b != e && *b == '+') ++b;
    auto [p, ec] = std::from_chars(b, e, out);
    return ec == std::errc() && p == e && b != e;
}

bool ParseFloat(const std::string& text, double& out) {
    std::string t = Trimmed(text);
    if (t.empty()) return false;
    const char* b = t.data();
    const char* e = b + t.size();
    if (*b == '+') ++b;
    auto [p, ec] = std::from_chars(b, e, out);
    return ec == std::errc() && p == e;
}

double DateSerial(const TDate& d) {
    return static_cast<double>(DaysSinceEpoch1(d) - kFloatDateOrigin);
}

// Reads unsigned decimal digits at p (at most maxDigits); false when there are none.
bool ReadNumber(const char*& p, const char* e, int maxDigits, int& out) {
    int n = 0, v = 0;
    while (p != e && *p >= '0' && *p <= '9' && n < maxDigits) {
        v = v * 10 + (*p++ - '0');
        ++n;
    }
    out = v;
    return n > 0;
}

bool ParseDate(const std::string& text, TDate& d) {
    const std::string t = Trimmed(text);
    const char* p = t.data();
    const char* e = p + t.size();
    int y = 0, m = 0, day = 0;
    if (!ReadNumber(p, e, 4, y) || p == e || *p++ != '-' || !ReadNumber(p, e, 2, m) || p == e ||
        *p++ != '-' || !ReadNumber(p, e, 2, day) || p != e)
        return false;
    d = TDate{y, m, day};
    return IsValidDate(d);
}

bool ParseTime(const std::string& text, TTime& t) {
    const std::string x = Trimmed(text);
    const char* p = x.data();
    const char* e = p + x.size();
    int h = 0, m = 0, s = 0, ms = 0;
    if (!ReadNumber(p, e, 2, h) || p == e || *p++ != ':' || !ReadNumber(p, e, 2, m)) return false;
    if (p != e && (*p++ != ':' || !ReadNumber(p, e, 2, s))) return false;
    if (p != e && (*p++ != '.' || !ReadNumber(p, e, 3, ms))) return false;
    if (p != e || h > 23 || m > 59 || s > 59) return false;
    t.ms = static_cast<uint32_t>(((h * 60 + m) * 60 + s) * 1000 + ms);
    return true;
}

std::string FormatDate(const TDate& d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

std::string FormatTime(const TTime& t) {
    char buf[32];
    unsigned ms = t.ms % 1000, s = t.ms / 1000;
    if (ms)
        std::snprintf(buf, sizeof buf, "%02u:%02u:%02u.%03u", s / 3600, s / 60 % 60, s % 60, ms);
    else
        std::snprintf(buf, sizeof buf, "%02u:%02u:%02u", s / 3600, s / 60 % 60, s % 60);
    return buf;
}

std::string FormatFloat(double v) {
    std::string text;
    for (int prec = 15; prec <= 17; ++prec) {
        text = NumberGeneral(v, prec);
        double back = 0;
        if (ParseNumberText(text, back) && back == v) break;
    }
    return text;
}

TDateTime FromSerial(double serial) {
    if (!std::isfinite(serial) || std::fabs(serial) > 3.0e6) NoConversion("float", "date");
    double day = std::floor(serial);
    double frac = serial - day;
    TDateTime r;
    r.date = DateFromDaysSinceEpoch1(static_cast<int64_t>(day) + kFloatDateOrigin);
    double ms = std::nearbyint(frac * kMsPerDay);
    if (ms >= kMsPerDay) ms = kMsPerDay - 1;
    r.ms = static_cast<uint32_t>(ms);
    return r;
}

}  // namespace

TDate CurrentDate() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return TDate{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

TTime CurrentTime() {
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    return TTime{static_cast<uint32_t>(((tm.tm_hour * 60 + tm.tm_min) * 60 + tm.tm_sec) * 1000 +
                                       ms.count())};
}

// Civil-from-days and days-from-civil after H. Hinnant's public-domain algorithms,
// shifted so that 0001-01-01 is day 0.
int64_t DaysSinceEpoch1(const TDate& date) {
    int64_t y = date.year;
    const int64_t m = date.month;
    const int64_t d = date.day;
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t daysFrom1970 = era * 146097 + doe - 719468;
    return daysFrom1970 + 719162;
}

TDate DateFromDaysSinceEpoch1(int64_t days) {
    int64_t z = days - 719162 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = yoe + era * 400;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    return TDate{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

bool IsValidDate(const TDate& d) {
    if (d.month < 1 || d.month > 12 || d.day < 1) return false;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int max = kDays[d.month - 1];
    bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
    if (d.month == 2 && leap) max = 29;
    return d.day <= max;
}

int64_t ValueAsInteger(const TFieldValue& value) {
    switch (value.index()) {
        case 1: {
            int64_t r = 0;
            if (!ParseInteger(std::get<std::string>(value), r))
                Invalid(std::get<std::string>(value), "integer");
            return r;
        }
        case 2:
            return std::get<int64_t>(value);
        case 3: {
            double d = std::nearbyint(std::get<double>(value));
            if (!(std::fabs(d) < 9.2e18)) NoConversion("float", "integer");
            return static_cast<int64_t>(d);
        }
        case 4:
            return std::get<bool>(value) ? 1 : 0;
        case 0:
            return 0;
    }
    NoConversion(KindName(value), "integer");
}

double ValueAsFloat(const TFieldValue& value) {
    switch (value.index()) {
        case 0:
            return 0.0;
        case 1: {
            double r = 0;
            if (!ParseFloat(std::get<std::string>(value), r))
                Invalid(std::get<std::string>(value), "floating point");
            return r;
        }
        case 2:
            return static_cast<double>(std::get<int64_t>(value));
        case 3:
            return std::get<double>(value);
        case 4:
            return std::get<bool>(value) ? 1.0 : 0.0;
        case 5:
            return DateSerial(std::get<TDate>(value));
        case 6:
            return std::get<TTime>(value).ms / kMsPerDay;
        case 7: {
            const TDateTime& dt = std::get<TDateTime>(value);
            return DateSerial(dt.date) + dt.ms / kMsPerDay;
        }
    }
    NoConversion(KindName(value), "float");
}

std::string ValueAsString(const TFieldValue& value) {
    switch (value.index()) {
        case 0:
            return std::string();
        case 1:
            return std::get<std::string>(value);
        case 2:
            return std::to_string(std::get<int64_t>(value));
        case 3:
            return FormatFloat(std::get<double>(value));
        case 4:
            return std::get<bool>(value) ? "True" : "False";
        case 5:
            return FormatDate(std::get<TDate>(value));
        case 6:
            return FormatTime(std::get<TTime>(value));
        case 7: {
            const TDateTime& dt = std::get<TDateTime>(value);
            return FormatDate(dt.date) + " " + FormatTime(TTime{dt.ms});
        }
        default: {
            const TBytes& b = std::get<TBytes>(value);
            return std::string(b.begin(), b.end());
        }
    }
}

bool ValueAsBoolean(const TFieldValue& value) {
    switch (value.index()) {
        case 0:
            return false;
        case 1: {
            std::string t = Trimmed(std::get<std::string>(value));
            for (char& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (t == "TRUE" || t == "T" || t == "YES" || t == "Y" || t == "1") return true;
            if (t == "FALSE" || t == "F" || t == "NO" || t == "N" || t == "0" || t.empty())
                return false;
            Invalid(std::get<std::string>(value), "boolean");
        }
        case 2:
            return std::get<int64_t>(value) != 0;
        case 3:
            return std::get<double>(value) != 0.0;
        case 4:
            return std::get<bool>(value);
    }
    NoConversion(KindName(value), "boolean");
}

TDate ValueAsDate(const TFieldValue& value) {
    switch (value.index()) {
        case 1: {
            TDate d;
            if (ParseDate(std::get<std::string>(value), d)) return d;
            TDateTime dt = ValueAsDateTime(value);
            return dt.date;
        }
        case 3:
            return FromSerial(std::get<double>(value)).date;
        case 2:
            return FromSerial(static_cast<double>(std::get<int64_t>(value))).date;
        case 5:
            return std::get<TDate>(value);
        case 7:
            return std::get<TDateTime>(value).date;
    }
    NoConversion(KindName(value), "date");
}

TTime ValueAsTime(const TFieldValue& value) {
    switch (value.index()) {
        case 1: {
            TTime t;
            if (!ParseTime(std::get<std::string>(value), t))
                Invalid(std::get<std::string>(value), "time");
            return t;
        }
        case 3:
            return TTime{FromSerial(std::get<double>(value)).ms};
        case 6:
            return std::get<TTime>(value);
        case 7:
            return TTime{std::get<TDateTime>(value).ms};
    }
    NoConversion(KindName(value), "time");
}

TDateTime ValueAsDateTime(const TFieldValue& value) {
    switch (value.index()) {
        case 1: {
            const std::string& s = std::get<std::string>(value);
            std::string t = Trimmed(s);
            size_t blank = t.find(' ');
            TDateTime dt;
            if (blank == std::string::npos) {
                if (!ParseDate(t, dt.date)) Invalid(s, "date");
                return dt;
            }
            TTime tm;
            if (!ParseDate(t.substr(0, blank), dt.date) || !ParseTime(t.substr(blank + 1), tm))
                Invalid(s, "date and time");
            dt.ms = tm.ms;
            return dt;
        }
        case 2:
            return FromSerial(static_cast<double>(std::get<int64_t>(value)));
        case 3:
            return FromSerial(std::get<double>(value));
        case 5:
            return TDateTime{std::get<TDate>(value), 0};
        case 6:
            return TDateTime{TDate{1899, 12, 30}, std::get<TTime>(value).ms};
        case 7:
            return std::get<TDateTime>(value);
    }
    NoConversion(KindName(value), "date-time");
}

TBytes ValueAsBytes(const TFieldValue& value) {
    switch (value.index()) {
        case 0:
            return TBytes();
        case 1: {
            const std::string& s = std::get<std::string>(value);
            return TBytes(s.begin(), s.end());
        }
        case 8:
            return std::get<TBytes>(value);
    }
    NoConversion(KindName(value), "bytes");
}

TFieldValue ConvertValue(const TFieldValue& value, TFieldType type) {
    switch (type) {
        case TFieldType::String:
            return ValueAsString(value);
        case TFieldType::Float:
            return ValueAsFloat(value);
        case TFieldType::Integer:
        case TFieldType::Word:
            return ValueAsInteger(value);
        case TFieldType::Boolean:
            return ValueAsBoolean(value);
        case TFieldType::Date:
            return ValueAsDate(value);
        case TFieldType::Time:
            return ValueAsTime(value);
        case TFieldType::DateTime:
            return ValueAsDateTime(value);
        case TFieldType::Bytes:
            return ValueAsBytes(value);
        case TFieldType::Unknown:
            break;
    }
    return std::monostate{};
}
