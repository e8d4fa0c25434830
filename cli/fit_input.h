#pragma once
// What `orvane-cli fit` reads: its command line and the CSV file of points.
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fitting/engine_limits.h"
#include "fitting/point_set.h"

// Exit statuses of the command.
inline constexpr int kExitRan = 0;       // the engine ran, whatever its result code
inline constexpr int kExitBadInput = 1;  // the points file could not be read
inline constexpr int kExitBadUsage = 2;  // wrong arguments; usage on standard error

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

// Parses the words after "fit". Returns the exit status when the command ends here (a usage
// error: message and usage text on standard error; --help: usage text on standard output),
// nothing when the options are complete.
std::optional<int> ParseFitOptions(const std::vector<std::string>& args, TFitOptions& options);

// Reads a points file (header set,dose,signal,error; set 1 or 2; at most 99 points a set)
// into the two sets. False with a message naming `name` and the line on any fault.
bool ReadFitPoints(std::istream& in, const std::string& name, TPointSet& set1, TPointSet& set2,
                   std::string& message);
bool ReadFitPointsFile(const std::string& path, TPointSet& set1, TPointSet& set2,
                       std::string& message);
