#pragma once
// The option words of `orvane-cli analyse` that carry numbers and names: whole numbers, the
// fitting function and error model, and the irradiation list. Each throws TUsageError naming
// the option (TEditorError for an irradiation outside the list).
#include <string>
#include <vector>

#include <optional>

#include "analysis/aliquot_lists.h"
#include "analysis/dose_models.h"

struct TCommandLine;

// The option's whole number, or `fallback` when the option is not given.
int IntegerOption(const TCommandLine& line, const std::string& option, int fallback);
// linear, quadratic, cubic, exp, explin, poly -> the engine's function object 1..6.
int FunctionObjectOf(const std::string& name);
// equal, calculated, fixed-errors, fixed-variances -> the engine's error model.
int ErrorModelOf(const std::string& name);
// "all" or 0-based entries "I,J,..." of the irradiation list: selects exactly those.
void SelectIrradiations(const std::string& text, std::vector<TIrradiationEntry>& list);
// --dose-model cam|common|mam3|mam4|mean [--sigmab S]; none without --dose-model. Throws
// TEditorError when the run is not over aliquots (`overAliquots`: a single-aliquot method with
// --range or --all), for a minimum age model without --sigmab and for --sigmab without one;
// TUsageError for an unknown model or a sigma_b that is not a number.
std::optional<TDoseModelOptions> DoseModelOption(const TCommandLine& line, bool overAliquots);
