#include "cli/dose_model_plot.h"

namespace {
TDoseModelPlotWriter installedWriter = nullptr;
}  // namespace

void SetDoseModelPlotWriter(TDoseModelPlotWriter writer) { installedWriter = writer; }

TDoseModelPlotWriter DoseModelPlotWriter() { return installedWriter; }
