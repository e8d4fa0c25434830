#pragma once
// `orvane-cli dose-model --plot FILE`: the radial plot of the doses with the model's dose.
// The drawing needs Qt and the plotting library, which the command library does not link:
// the program installs the writer at start, and dose-model refuses --plot without one.
#include <string>
#include <vector>

#include "analysis/dose_models.h"
#include "cli/analyse_plot.h"

struct TDoseModelPlotRequest {
    const std::vector<TDoseValue>* doses = nullptr;
    const TDoseModelResult* result = nullptr;
    std::string path;       // .png, .svg or .pdf
    TFigureOptions figure;  // size and resolution
};

// Writes the plot; throws TUsageError for a bad size and TEditorError when the file cannot
// be written.
using TDoseModelPlotWriter = void (*)(const TDoseModelPlotRequest& request);

void SetDoseModelPlotWriter(TDoseModelPlotWriter writer);
TDoseModelPlotWriter DoseModelPlotWriter();
