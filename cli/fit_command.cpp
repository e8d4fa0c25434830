#include "cli/fit_command.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string_view>

#include "cli/cli_support.h"
#include "cli/json_writer.h"
#include "fitting/dose_estimation.h"
#include "fitting/engine_limits.h"
#include "fitting/fit_record.h"
#include "fitting/point_set.h"
#include "fitting/result_codes.h"

namespace {

// Exit statuses of the command.
constexpr int kExitRan = 0;       // the engine ran, whatever its result code
constexpr int kExitBadInput = 1;  // the points file could not be read
constexpr int kExitBadUsage = 2;  // wrong arguments; usage on standard error

constexpr std::string_view kUsage =
    "usage: orvane-cli fit --points FILE.csv --method N --function CODE [--function2 CODE]\n"
    "                      --error-model M [--ed START] [--params1 a,b,...]\n"
    "\n"
    "Fits the growth curve(s) of the points in FILE.csv (header set,dose,signal,error; set 1\n"
    "or 2) and solves them for the equivalent dose by dose method N (1..10), function code\n"
    "CODE of the first curve, CODE of the second (default: the first; 63, the correction\n"
    "table, for methods 8 and 9) and error model M (0..6). --ed gives the start value of the\n"
    "single-aliquot iteration, --params1 start values of a decay fit. Prints one JSON object;\n"
    "for the slide methods (6, and 7 with a function other than the linear one) Curve2 also\n"
    "carries ScaleFactor and ScaleFactorVariance. A set holds at most 99 points.\n"
    "\n"
    "Exit status: 0 whenever a result was computed (read ResultCode for the engine's verdict,\n"
    "0 meaning \"O.K.\"), 1 when nothing could be computed (the points file could not be\n"
    "read), 2 for bad usage.\n";

// A field the user gave, as an error message echoes it: in quotes, control characters shown
// as '?', and cut to kEchoLength characters with "..." so that a runaway field (a whole
// binary file on one line) cannot flood the terminal.
constexpr size_t kEchoLength = 40;

std::string Echoed(std::string_view text) {
    std::string shown;
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool continuation = (c & 0xC0) == 0x80;  // inside a UTF-8 sequence
        if (!continuation && characters == kEchoLength) {
            shown += "...";
            break;
        }
        if (!continuation) ++characters;
        shown += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    }
    return InQuotes(shown);
}

constexpr std::string_view kPointsHeader = "set,dose,signal,error";

struct TFitOptions {
    std::string PointsPath;
    std::optional<int> Method;
    std::optional<int> Function1;
    std::optional<int> Function2;
    std::optional<int> ErrorModel;
    double StartDose = 0.0;
    int StartParamCount = 0;
    double StartParams[kMaxParams] = {};
};

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool ParseInt(std::string_view text, int& value) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ParseDouble(std::string_view text, double& value) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty() &&
           std::isfinite(value);
}

int UsageError(const std::string& message) {
    std::cerr << "orvane-cli fit: " << message << "\n" << kUsage;
    return kExitBadUsage;
}

// Returns the exit status of a usage error, or nothing when the options are complete.
std::optional<int> ParseOptions(const std::vector<std::string>& args, TFitOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            std::cout << kUsage;
            return kExitRan;
        }
        if (i + 1 >= args.size()) return UsageError("missing value after " + Echoed(name));
        const std::string& value = args[++i];
        auto integer = [&](std::optional<int>& target) -> std::optional<int> {
            int parsed = 0;
            if (!ParseInt(value, parsed)) {
                return UsageError(Echoed(value) + " is not a whole number (" + name + ")");
            }
            target = parsed;
            return std::nullopt;
        };
        std::optional<int> failed;
        if (name == "--points") {
            options.PointsPath = value;
        } else if (name == "--method") {
            failed = integer(options.Method);
        } else if (name == "--function") {
            failed = integer(options.Function1);
        } else if (name == "--function2") {
            failed = integer(options.Function2);
        } else if (name == "--error-model") {
            failed = integer(options.ErrorModel);
        } else if (name == "--ed") {
            if (!ParseDouble(value, options.StartDose)) {
                return UsageError(Echoed(value) + " is not a number (--ed)");
            }
        } else if (name == "--params1") {
            std::string_view rest = value;
            options.StartParamCount = 0;
            while (true) {
                const auto comma = rest.find(',');
                const std::string_view item = rest.substr(0, comma);
                if (options.StartParamCount == kMaxParams) {
                    return UsageError("more than 15 values in --params1");
                }
                if (!ParseDouble(item, options.StartParams[options.StartParamCount++])) {
                    return UsageError(Echoed(item) + " is not a number (--params1)");
                }
                if (comma == std::string_view::npos) break;
                rest.remove_prefix(comma + 1);
            }
        } else {
            return UsageError("unknown option " + Echoed(name));
        }
        if (failed) return failed;
    }
    if (options.PointsPath.empty()) return UsageError("--points is required");
    if (!options.Method) return UsageError("--method is required");
    if (!options.Function1) return UsageError("--function is required");
    if (!options.ErrorModel) return UsageError("--error-model is required");
    return std::nullopt;
}

// Reads the points file into the two sets; false with a message on any fault.
bool ReadPoints(const std::string& path, TPointSet& set1, TPointSet& set2, std::string& message) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        message = "cannot open '" + path + "'";
        return false;
    }
    std::string line;
    int lineNumber = 0;
    bool headerSeen = false;
    while (std::getline(in, line)) {
        ++lineNumber;
        std::string_view text = line;
        if (lineNumber == 1 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        text = Trim(text);
        if (text.empty()) continue;
        const std::string where = path + " line " + std::to_string(lineNumber) + ": ";
        std::string_view fields[4];
        int fieldCount = 0;
        while (true) {
            const auto comma = text.find(',');
            if (fieldCount == 4) {
                message = where + "more than 4 fields";
                return false;
            }
            fields[fieldCount++] = Trim(text.substr(0, comma));
            if (comma == std::string_view::npos) break;
            text.remove_prefix(comma + 1);
        }
        if (!headerSeen) {
            const std::string header = std::string(fields[0]) + "," + std::string(fields[1]) + "," +
                                       std::string(fields[2]) + "," + std::string(fields[3]);
            if (fieldCount != 4 || header != kPointsHeader) {
                message = where + "expected the header '" + std::string(kPointsHeader) + "'";
                return false;
            }
            headerSeen = true;
            continue;
        }
        if (fieldCount != 4) {
            message = where + "expected 4 fields (set,dose,signal,error)";
            return false;
        }
        int set = 0;
        double values[3] = {};
        if (!ParseInt(fields[0], set) || (set != 1 && set != 2)) {
            message = where + "the set must be 1 or 2";
            return false;
        }
        for (int k = 0; k < 3; ++k) {
            if (!ParseDouble(fields[k + 1], values[k])) {
                message = where + Echoed(fields[k + 1]) + " is not a number";
                return false;
            }
        }
        TPointSet& target = set == 1 ? set1 : set2;
        if (target.Count == kMaxPoints) {
            message = where + "more than " + std::to_string(kMaxPoints) + " points in set " +
                      std::to_string(set);
            return false;
        }
        target.Dose[target.Count] = values[0];
        target.Signal[target.Count] = values[1];
        target.Error[target.Count] = values[2];
        ++target.Count;
    }
    if (in.bad()) {
        message = "error reading '" + path + "'";
        return false;
    }
    if (!headerSeen) {
        message = path + ": expected the header '" + std::string(kPointsHeader) + "'";
        return false;
    }
    return true;
}

// JSON output on one line: numbers in shortest round-trip form, non-finite values as null.
void AppendNumber(std::string& out, double value) {
    out += JsonNumber(value);
}

// withScale: the slide methods keep the scale factor in the parameter slot after the last
// parameter and its variance on the diagonal there.
void AppendCurve(std::string& out, int code, int nParams, const double* params, const double* cov,
                 double chiSquare, double p, double r2, int count, bool withScale = false) {
    const int n = std::clamp(nParams, 0, kMaxParams);
    out += "{\"Code\":" + std::to_string(code) + ",\"NParams\":" + std::to_string(nParams);
    out += ",\"Params\":[";
    for (int j = 0; j < n; ++j) {
        if (j > 0) out += ',';
        AppendNumber(out, params[j]);
    }
    out += "],\"Cov\":[";
    for (int i = 0; i < n; ++i) {
        out += i > 0 ? ",[" : "[";
        for (int j = 0; j < n; ++j) {
            if (j > 0) out += ',';
            AppendNumber(out, cov[i * kMatrixStride + j]);
        }
        out += ']';
    }
    out += "],\"ChiSquare\":";
    AppendNumber(out, chiSquare);
    out += ",\"P\":";
    AppendNumber(out, p);
    out += ",\"R2\":";
    AppendNumber(out, r2);
    out += ",\"Count\":" + std::to_string(count);
    if (withScale && n < kMaxParams) {
        out += ",\"ScaleFactor\":";
        AppendNumber(out, params[n]);
        out += ",\"ScaleFactorVariance\":";
        AppendNumber(out, cov[n * kMatrixStride + n]);
    }
    out += '}';
}

void AppendPoints(std::string& out, const TPointSet& set) {
    out += '[';
    for (int i = 0; i < set.Count; ++i) {
        out += i > 0 ? ",[" : "[";
        AppendNumber(out, set.Dose[i]);
        out += ',';
        AppendNumber(out, set.Signal[i]);
        out += ',';
        AppendNumber(out, set.Error[i]);
        out += ']';
    }
    out += ']';
}

std::string ResultJson(const TFitRecord& fit, const std::string& note, ResultCode code,
                       const TPointSet& set1, const TPointSet& set2) {
    std::string message;
    ResultMessage(code, message);
    std::string out = "{\"ResultCode\":" + std::to_string(code) + ",\"Message\":";
    out += JsonQuoted(message);
    out += ",\"Note\":";
    out += JsonQuoted(note);
    out += ",\"ED\":";
    AppendNumber(out, fit.ED);
    out += ",\"EDError\":";
    AppendNumber(out, fit.EDError);
    out += ",\"Curve1\":";
    AppendCurve(out, fit.Code1, fit.NParams1, fit.Params1, fit.Cov1, fit.ChiSquare1, fit.P1,
                fit.R2_1, fit.Count1);
    out += ",\"Curve2\":";
    const bool slide =
        fit.Method == dmSlide || (fit.Method == dmCeramic && fit.Code1 != kLinearFunction);
    AppendCurve(out, fit.Code2, fit.NParams2, fit.Params2, fit.Cov2, fit.ChiSquare2, fit.P2,
                fit.R2_2, fit.Count2, slide);
    out += ",\"Set1\":";
    AppendPoints(out, set1);
    out += ",\"Set2\":";
    AppendPoints(out, set2);
    out += "}\n";
    return out;
}

}  // namespace

int RunFitCommand(const std::vector<std::string>& args) {
    TFitOptions options;
    if (const std::optional<int> status = ParseOptions(args, options)) return *status;

    TPointSet set1;
    TPointSet set2;
    std::string message;
    if (!ReadPoints(options.PointsPath, set1, set2, message)) {
        std::cerr << "orvane-cli fit: " << message << "\n";
        return kExitBadInput;
    }

    const int method = *options.Method;
    const bool tableMethod = method == dmSingleAliquot || method == dmDecayCorrection;
    const int code2 = options.Function2 ? *options.Function2
                                        : (tableMethod ? kCorrectionTable : *options.Function1);
    TFitRecord fit;
    fit.ED = options.StartDose;
    std::copy(options.StartParams, options.StartParams + options.StartParamCount, fit.Params1);
    std::string note;
    ResultCode code = kResultOk;
    EstimateDose(method, *options.ErrorModel, *options.Function1, code2, set1, set2, fit, note,
                 code);
    std::cout << ResultJson(fit, note, code, set1, set2);
    std::cout.flush();
    return kExitRan;
}
