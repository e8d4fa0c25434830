#pragma once
// The writer behind `orvane-cli analyse --plot`: the point viewer's plot of a solution (the
// growth points with their errors, the fitted curve with its error band, the dose mark and
// the dose with its error, a legend and the identification line), drawn by the same code as
// the viewer window, offscreen.
#include "cli/analyse_plot.h"

void WriteGrowthPlot(const TGrowthPlotRequest& request, TPlotSize& size);

// The writer behind `analyse --range A B | --all --plot`: the paleodose plot of the run (every
// result with its error, by state), drawn as the result viewer draws it.
void WritePaleodosePlot(const TPlateauPlotRequest& request, TPlotSize& size);
