#include "cli/fit_input.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iostream>

#include "cli/cli_support.h"
#include "cli/csv_table.h"

namespace {

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

constexpr std::string_view kPointsHeader = "set,dose,signal,error";

bool ParseInt(std::string_view text, int& value) {
    text = TrimField(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

int UsageError(const std::string& message) {
    std::cerr << "orvane-cli fit: " << message << "\n" << kUsage;
    return kExitBadUsage;
}

}  // namespace

std::optional<int> ParseFitOptions(const std::vector<std::string>& args, TFitOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            std::cout << kUsage;
            return kExitRan;
        }
        if (i + 1 >= args.size()) return UsageError("missing value after " + EchoedField(name));
        const std::string& value = args[++i];
        auto integer = [&](std::optional<int>& target) -> std::optional<int> {
            int parsed = 0;
            if (!ParseInt(value, parsed)) {
                return UsageError(EchoedField(value) + " is not a whole number (" + name + ")");
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
            if (!ParseFieldDouble(value, options.StartDose)) {
                return UsageError(EchoedField(value) + " is not a number (--ed)");
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
                if (!ParseFieldDouble(item, options.StartParams[options.StartParamCount++])) {
                    return UsageError(EchoedField(item) + " is not a number (--params1)");
                }
                if (comma == std::string_view::npos) break;
                rest.remove_prefix(comma + 1);
            }
        } else {
            return UsageError("unknown option " + EchoedField(name));
        }
        if (failed) return failed;
    }
    if (options.PointsPath.empty()) return UsageError("--points is required");
    if (!options.Method) return UsageError("--method is required");
    if (!options.Function1) return UsageError("--function is required");
    if (!options.ErrorModel) return UsageError("--error-model is required");
    return std::nullopt;
}

bool ReadFitPointsFile(const std::string& path, TPointSet& set1, TPointSet& set2,
                       std::string& message) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        message = "cannot open '" + path + "'";
        return false;
    }
    return ReadFitPoints(in, path, set1, set2, message);
}

bool ReadFitPoints(std::istream& in, const std::string& path, TPointSet& set1, TPointSet& set2,
                   std::string& message) {
    std::string line;
    int lineNumber = 0;
    bool headerSeen = false;
    while (std::getline(in, line)) {
        ++lineNumber;
        std::string_view text = line;
        if (lineNumber == 1 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        text = TrimField(text);
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
            fields[fieldCount++] = TrimField(text.substr(0, comma));
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
            if (!ParseFieldDouble(fields[k + 1], values[k])) {
                message = where + EchoedField(fields[k + 1]) + " is not a number";
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

