// orvane-cli g-value and fading-correction: the fading rate from fading measurements in a CSV
// file (header LxTx,LxTxError,TimeSinceIrradiation), and an age corrected for fading by the
// Huntley & Lamothe (2001) equation.
#include <cmath>
#include <iostream>

#include "analysis/fading_correction.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/csv_table.h"
#include "cli/json_writer.h"
#include "record_store/editor_error.h"

namespace {

constexpr const char* kGValueUsage =
    "usage: orvane-cli g-value FILE.csv [--tc SECONDS] [--mc N --seed S]\n"
    "\n"
    "The fading rate g (% per decade; Huntley & Lamothe 2001, Auclair et al. 2003) of the\n"
    "measurements in FILE.csv (header LxTx,LxTxError,TimeSinceIrradiation, times in seconds):\n"
    "Lx/Tx = c (1 - g/100 log10(t / tc)) fitted by weighted least squares, g normalised to tc\n"
    "(default: the shortest time) and to 2 days, the errors from N Monte Carlo draws (1000)\n"
    "with seed S (1). JSON: \"g\", \"g_error\", \"tc\", \"g_2days\", \"g_2days_error\".\n"
    "\n"
    "Exit status: 0 success, 1 failure (a line that cannot be used, named), 2 bad usage.\n";

constexpr const char* kCorrectionUsage =
    "usage: orvane-cli fading-correction --age A --age-error E --g G --g-error GE --tc SECONDS\n"
    "                                    [--tc-g SECONDS] [--mc N --seed S]\n"
    "\n"
    "The age A +- E (ka) corrected for anomalous fading by the equation of Huntley & Lamothe\n"
    "(2001), Tf / T = 1 - kappa (ln(T / tc) - 1). It holds only for doses on the linear part\n"
    "of the growth curve (young samples); older samples need another correction. --tc is the\n"
    "time between irradiation and measurement of the equivalent dose, --tc-g the time the\n"
    "g-value is normalised to (default: --tc; g is carried to tc). The error comes from N\n"
    "Monte Carlo draws (10000) with seed S (1). JSON: \"age\", \"age_error\" (ka), \"kappa\"\n"
    "(per e-fold of time, g / (100 ln 10)), \"g\", \"g_error\" (normalised to tc).\n"
    "\n"
    "Exit status: 0 success, 1 failure (an age beyond the model), 2 bad usage.\n";

double NumberOption(const TCommandLine& line, const std::string& option, bool required,
                    double fallback) {
    const std::optional<std::string> text = line.Value(option);
    if (!text) {
        if (required) throw TUsageError{"the command needs " + option};
        return fallback;
    }
    double value = 0.0;
    if (!ParseFieldDouble(*text, value))
        throw TUsageError{option + " needs a number, not " + EchoedField(*text)};
    return value;
}

// --mc N and --seed S: whole numbers, N from 2 to 10 000 000.
void DrawOptions(const TCommandLine& line, int fallbackDraws, int& draws, std::uint64_t& seed) {
    const double n = NumberOption(line, "--mc", false, fallbackDraws);
    if (n != std::floor(n) || n < 2 || n > 1e7)
        throw TUsageError{"--mc needs a whole number of draws from 2 to 10000000"};
    draws = static_cast<int>(n);
    const double s = NumberOption(line, "--seed", false, 1);
    if (s != std::floor(s) || s < 0 || s > 9.0e15)
        throw TUsageError{"--seed needs a whole number from 0"};
    seed = static_cast<std::uint64_t>(s);
}

}  // namespace

int RunGValueCommand(const std::vector<std::string>& args) {
    return RunGuarded([&] {
        const TCommandLine line = ParseCommandLine(args, {"--tc", "--mc", "--seed"}, {});
        if (line.help) {
            std::cout << kGValueUsage;
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"g-value needs one FILE.csv"};
        TGValueOptions options;
        options.Tc = NumberOption(line, "--tc", false, 0.0);
        if (line.Has("--tc") && !(options.Tc > 0.0)) throw TUsageError{"--tc must be above 0"};
        DrawOptions(line, 1000, options.Draws, options.Seed);
        const std::string& path = line.positional[0];
        TNumberTable table;
        std::string message;
        if (!ReadNumberTableFile(path, "LxTx,LxTxError,TimeSinceIrradiation", table, message))
            throw TEditorError(message);
        std::vector<TFadingPoint> points;
        for (const auto& row : table.Rows) points.push_back({row[0], row[1], row[2]});
        const TGValueResult r = FitGValue(points, options);
        if (r.Code != TFadingFitCode::Ok) {
            const std::string where =
                r.BadIndex >= 0 ? path + " line " + std::to_string(table.Lines[r.BadIndex]) : path;
            throw TEditorError(where + ": " + FadingCodeMessage(r.Code));
        }
        TJsonWriter json(std::cout);
        json.BeginObject();
        json.Member("g", r.G);
        json.Member("g_error", r.GError);
        json.Member("tc", r.Tc);
        json.Member("g_2days", r.G2Days);
        json.Member("g_2days_error", r.G2DaysError);
        json.EndObject();
        json.Finish();
        return static_cast<int>(kExitOk);
    });
}

int RunFadingCorrectionCommand(const std::vector<std::string>& args) {
    return RunGuarded([&] {
        const TCommandLine line = ParseCommandLine(
            args, {"--age", "--age-error", "--g", "--g-error", "--tc", "--tc-g", "--mc", "--seed"},
            {});
        if (line.help) {
            std::cout << kCorrectionUsage;
            return static_cast<int>(kExitOk);
        }
        if (!line.positional.empty()) throw TUsageError{"fading-correction takes no FILE"};
        TFadingCorrectionInput in;
        in.Age = NumberOption(line, "--age", true, 0);
        in.AgeError = NumberOption(line, "--age-error", true, 0);
        in.G = NumberOption(line, "--g", true, 0);
        in.GError = NumberOption(line, "--g-error", true, 0);
        in.Tc = NumberOption(line, "--tc", true, 0);
        in.TcG = NumberOption(line, "--tc-g", false, 0);
        if (line.Has("--tc-g") && !(in.TcG > 0.0)) throw TUsageError{"--tc-g must be above 0"};
        DrawOptions(line, 10000, in.Draws, in.Seed);
        const TFadingCorrectionResult r = CorrectForFading(in);
        if (r.Code != TFadingFitCode::Ok) throw TEditorError(FadingCodeMessage(r.Code));
        if (r.DrawsRefused > 0)
            std::cerr << "orvane-cli fading-correction: warning: " << r.DrawsRefused << " of "
                      << in.Draws << " Monte Carlo draws lie beyond the model and are left out "
                      << "of the error.\n";
        TJsonWriter json(std::cout);
        json.BeginObject();
        json.Member("age", r.Age);
        json.Member("age_error", r.AgeError);
        json.Member("kappa", r.Kappa);
        json.Member("g", r.G);
        json.Member("g_error", r.GError);
        json.EndObject();
        json.Finish();
        return static_cast<int>(kExitOk);
    });
}
