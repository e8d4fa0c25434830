#pragma once
// The writer behind `orvane-cli dose-model --plot`: the radial plot with the density of the
// doses, drawn by the same code as the result viewer, offscreen.
#include "cli/dose_model_plot.h"

void WriteDoseModelPlot(const TDoseModelPlotRequest& request);
