#include "cli/analyse_options.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "cli/cli_support.h"
#include "cli/curve_tool_support.h"
#include "record_store/editor_error.h"

int IntegerOption(const TCommandLine& line, const std::string& option, int fallback) {
    const auto text = line.Value(option);
    if (!text) return fallback;
    const double value = ParseNumberOption(option, *text);
    // Compared before the conversion: a number beyond int has no int to compare with.
    if (!(value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max()) ||
        value != std::trunc(value)) {
        throw TUsageError{option + " needs a whole number, not " + InQuotes(*text)};
    }
    return static_cast<int>(value);
}

int FunctionObjectOf(const std::string& name) {
    const std::pair<const char*, int> names[] = {{"linear", 1}, {"quadratic", 2}, {"cubic", 3},
                                                 {"exp", 4},    {"explin", 5},    {"poly", 6}};
    for (const auto& [n, object] : names) {
        if (name == n) return object;
    }
    throw TUsageError{"--function takes linear, quadratic, cubic, exp, explin or poly, not " +
                      InQuotes(name)};
}

int ErrorModelOf(const std::string& name) {
    const std::pair<const char*, int> names[] = {
        {"equal", 0}, {"calculated", 2}, {"fixed-errors", 3}, {"fixed-variances", 4}};
    for (const auto& [n, model] : names) {
        if (name == n) return model;
    }
    throw TUsageError{
        "--error-model takes equal, calculated, fixed-errors or fixed-variances, not " +
        InQuotes(name)};
}

// "all" or 0-based entries "I,J,..." of the irradiation list.
void SelectIrradiations(const std::string& text, std::vector<TIrradiationEntry>& list) {
    if (text == "all") return;
    for (TIrradiationEntry& e : list) e.Selected = false;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string word = text.substr(at, comma - at);
        const double value = ParseNumberOption("--irradiations", word);
        if (!(value >= 0 && value < static_cast<double>(list.size())) ||
            value != std::trunc(value)) {
            throw TEditorError("No irradiation " + word + " in the list (0.." +
                               std::to_string(static_cast<long long>(list.size()) - 1) + ")");
        }
        list[static_cast<std::size_t>(value)].Selected = true;
        at = comma + 1;
    }
}

std::optional<TDoseModelOptions> DoseModelOption(const TCommandLine& line, bool overAliquots) {
    const std::optional<std::string> name = line.Value("--dose-model");
    if (!name) {
        if (line.Has("--sigmab")) throw TEditorError("--sigmab goes with --dose-model mam3 or mam4");
        return std::nullopt;
    }
    TDoseModelOptions options;
    if (!DoseModelFromName(*name, options.Kind)) {
        throw TUsageError{"--dose-model takes cam, common, mam3, mam4 or mean, not " +
                          InQuotes(*name)};
    }
    if (!overAliquots) {
        throw TEditorError(
            "--dose-model combines the doses of many aliquots or grains: it goes with a "
            "single-aliquot method (--method 9 or 10) and --range or --all");
    }
    const bool minimum =
        options.Kind == TDoseModelKind::Minimum3 || options.Kind == TDoseModelKind::Minimum4;
    const std::optional<std::string> sigmaB = line.Value("--sigmab");
    if (minimum && !sigmaB)
        throw TEditorError("--dose-model " + *name + " needs --sigmab S (relative, e.g. 0.1)");
    if (!minimum && sigmaB) throw TEditorError("--sigmab goes with --dose-model mam3 or mam4");
    if (sigmaB) options.SigmaB = ParseNumberOption("--sigmab", *sigmaB);
    return options;
}
