#pragma once
// The option words of `orvane-cli analyse` that carry numbers and names: whole numbers, the
// fitting function and error model, and the irradiation list. Each throws TUsageError naming
// the option (TEditorError for an irradiation outside the list).
#include <string>
#include <vector>

#include "analysis/aliquot_lists.h"

struct TCommandLine;

// The option's whole number, or `fallback` when the option is not given.
int IntegerOption(const TCommandLine& line, const std::string& option, int fallback);
// linear, quadratic, cubic, exp, explin, poly -> the engine's function object 1..6.
int FunctionObjectOf(const std::string& name);
// equal, calculated, fixed-errors, fixed-variances -> the engine's error model.
int ErrorModelOf(const std::string& name);
// "all" or 0-based entries "I,J,..." of the irradiation list: selects exactly those.
void SelectIrradiations(const std::string& text, std::vector<TIrradiationEntry>& list);
