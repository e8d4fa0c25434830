#include "analysis/solutions_log.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>

#include "fitting/format_scientific.h"
#include "fitting/growth_functions.h"
#include "fitting/result_codes.h"
#include "platform/number_text.h"

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kPlusMinus = "\u00b1";

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string RightAligned(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

bool HasR2(int code) {
    return code == 1 || code == 2 || code == 4 || (code >= 16 && code <= 30);
}

double StandardError(const double* cov, int i) {
    const double variance = cov[i * TFitRecord::kMaxParams + i];
    return variance > 0 ? std::sqrt(variance) : 0.0;
}

// The fields of one curve after its formula: point count, R^2, chi^2, P% and 15 pairs.
void AppendCurve(std::string& line, int points, bool r2, double r2Value, int r2Width, double chi2,
                 double p, int count, const double* params, const double* cov,
                 const std::string& sep, const std::string& dp) {
    line += std::to_string(points) + sep;
    if (r2) line += FormatScientific(r2Width, r2Width > 0 ? 3 : 4, r2Value, dp);
    line += sep;
    line += FormatScientific(0, 2, chi2, dp) + sep + FormatScientific(0, 1, 100 * p, dp) + sep;
    for (int i = 0; i < TFitRecord::kMaxParams; ++i) {
        if (i < count) {
            line += FormatScientific(0, 4, params[i], dp) + sep +
                    FormatScientific(0, 4, StandardError(cov, i), dp) + sep;
        } else {
            line += sep + sep;
        }
    }
}

std::string LocaleTime(long long time, const char* format) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm local{};
    localtime_r(&t, &local);
    std::ostringstream out;
    try {
        out.imbue(std::locale(""));
    } catch (const std::exception&) {
        // An environment naming a locale the system lacks: the classic one.
    }
    out << std::put_time(&local, format);
    return out.str();
}

}  // namespace

std::string SolutionsLogLine(const TSolutionRecord& s, char separator, const std::string& dp) {
    const std::string sep(1, separator);
    const TFitRecord& f = s.Fit;
    const int m = f.Method;
    std::string line = s.Kind + sep + RightAligned(s.From, 3) + sep + RightAligned(s.To, 3) + sep;
    line += FormatScientific(9, 3, f.ED, dp) + sep + FormatScientific(9, 3, f.EDError, dp) + sep;
    std::string message;
    ResultMessage(f.ResultCode, message);
    line += message + sep + MethodName(m) + sep + ErrorModelName(f.ErrorModel) + sep;

    const bool slideScale = m == 6 || (m == 7 && f.Code1 > 1);
    if ((m >= 1 && m <= 4) || (m >= 6 && m <= 10)) {
        const std::string formula = FormulaText(f.Code1, sep);
        line += formula.empty() ? sep : formula;
        const int points = slideScale ? f.Count1 + f.Count2 : f.Count1;
        AppendCurve(line, points, HasR2(f.Code1), f.R2_1, 9, f.ChiSquare1, f.P1, f.NParams1,
                    f.Params1, f.Cov1, sep, dp);
    }
    if (m == 4 || m == 5 || m == 10 || (m == 7 && f.Code1 == 1)) {
        const std::string formula = FormulaText(f.Code2, sep);
        line += formula.empty() ? sep : formula;
        AppendCurve(line, f.Count2, HasR2(f.Code2), f.R2_2, 0, f.ChiSquare2, f.P2, f.NParams2,
                    f.Params2, f.Cov2, sep, dp);
    }
    if (slideScale) {
        const int n = f.NParams2 >= 0 && f.NParams2 < TFitRecord::kMaxParams ? f.NParams2 : 0;
        line += FormatScientific(0, 4, f.Params2[n], dp) + sep +
                FormatScientific(0, 4, StandardError(f.Cov2, n), dp);
    }
    return line;
}

std::string CriteriaLogBlock(const TSolutionArray& solutions, char separator,
                             const std::string& dp) {
    const TAcceptedCount count = CountAccepted(solutions);
    if (count.Of == 0) return {};
    const std::string sep(1, separator);
    const auto number = [&dp](double value) {
        if (!std::isfinite(value)) return std::string();
        std::string s = NumberFixed(value, 4);
        const std::size_t point = s.find('.');
        if (point != std::string::npos) s.replace(point, 1, dp);
        return s;
    };
    std::string block = Quoted("Rejection criteria: ") + sep + Quoted(AcceptedSummary(count)) +
                        kLineEnd;
    for (const char* column : {"No#", "from", "to", "Recycling ratios", "Recuperation",
                               "Test dose error", "Dose error", "IR depletion",
                               "Beyond largest dose", "Failed", "Accepted"})
        block += Quoted(column) + sep;
    block += kLineEnd;
    for (const TSolutionRecord& s : solutions.Entries) {
        if (!s.Criteria) continue;
        const TSarCriteria& c = *s.Criteria;
        std::string ratios, failed;
        for (double r : c.RecyclingRatios) ratios += (ratios.empty() ? "" : " ") + number(r);
        for (const std::string& f : c.Failed) failed += (failed.empty() ? "" : " ") + f;
        block += s.Kind + sep + RightAligned(s.From, 3) + sep + RightAligned(s.To, 3) + sep;
        block += Quoted(ratios) + sep + number(c.Recuperation.value_or(NAN)) + sep +
                 number(c.TestDoseError) + sep + number(c.PalaeodoseError) + sep +
                 number(c.IrDepletionRatio.value_or(NAN)) + sep +
                 Quoted(c.ExceedsMaxDose ? "yes" : "no") + sep + Quoted(failed) + sep +
                 Quoted(!c.Accepted() ? "no" : c.Overridden ? "by the user" : "yes") + sep +
                 kLineEnd;
    }
    return block + kLineEnd;
}

std::string SolutionsLogBlock(const TSolutionsLogInput& in) {
    const std::string sep(1, in.Separator);
    std::string block = Quoted(std::string(68, '=')) + kLineEnd;
    block += Quoted("Solutions for data file: ") + sep + Quoted(in.DataFile) + kLineEnd;
    block += Quoted("Data file time stamp: ") + sep + Quoted(in.FileTimeOfDay) + sep +
             Quoted("computed on: ") + sep + Quoted(in.ComputedOn) + kLineEnd;
    block += Quoted("Selected device: ") + sep + Quoted(in.DeviceText) + kLineEnd;
    block += Quoted("Selected method: ") + sep + Quoted(in.MethodText) + kLineEnd;
    if (!in.BleachingText.empty()) {
        block += Quoted("Selected bleaching: ") + sep + Quoted(in.BleachingText) + sep;
    } else {
        block += sep + sep;
    }
    block += Quoted("doses: ") + kLineEnd;
    block += kLineEnd;

    std::string header;
    for (const char* column :
         {"No#", "from", "to", "Result", "Uncertainty", "Note", "Method", "Error model"})
        header += Quoted(column) + sep;
    for (int curve = 1; curve <= 2; ++curve) {
        const std::string n = std::to_string(curve);
        header += Quoted("Function#" + n) + sep + Quoted("Pts#" + n) + sep + Quoted("R^2") + sep +
                  Quoted("chi^2") + sep + Quoted("P%") + sep;
        for (int i = 1; i <= TFitRecord::kMaxParams; ++i)
            header += Quoted("a" + std::to_string(i)) + sep + Quoted(kPlusMinus) + sep;
    }
    block += header + kLineEnd;
    if (in.Solutions) {
        for (const TSolutionRecord& s : in.Solutions->Entries)
            block += SolutionsLogLine(s, in.Separator, in.DecimalPoint) + kLineEnd;
    }
    block += kLineEnd;
    if (in.Solutions) block += CriteriaLogBlock(*in.Solutions, in.Separator, in.DecimalPoint);
    return block;
}

std::string Latin1FromUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        // The length of the sequence; a stray byte counts as one character.
        std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (i + length > text.size()) length = 1;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) length = 1;
        }
        if (length == 2) {
            const unsigned code =
                ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            out += code <= 0xFF ? static_cast<char>(code) : '?';
        } else {
            out += '?';
        }
        i += length;
    }
    return out;
}

bool AppendSolutionsLog(const std::string& path, const TSolutionsLogInput& input,
                        std::string& error) {
    const std::string bytes = Latin1FromUtf8(SolutionsLogBlock(input));
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int writeErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = std::strerror(written ? errno : writeErrno);
        return false;
    }
    return true;
}

TLogLocale UserLogLocale() {
    TLogLocale result;
    try {
        const std::locale user("");
        const char point = std::use_facet<std::numpunct<char>>(user).decimal_point();
        result.DecimalPoint = std::string(1, point);
        result.Separator = point == ',' ? ';' : ',';
    } catch (const std::exception&) {
        // The classic locale's.
    }
    return result;
}

std::string LocaleTimeOfDay(long long time) {
    return LocaleTime(time, "%X");
}

std::string LocaleShortDate(long long time) {
    return LocaleTime(time, "%x");
}
