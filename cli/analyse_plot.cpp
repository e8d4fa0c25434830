#include "cli/analyse_plot.h"

namespace {
TGrowthPlotWriter installedWriter = nullptr;
}  // namespace

void SetGrowthPlotWriter(TGrowthPlotWriter writer) {
    installedWriter = writer;
}

TGrowthPlotWriter GrowthPlotWriter() {
    return installedWriter;
}
