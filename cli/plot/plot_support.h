#pragma once
// What the plot commands of orvane-cli share: an application that draws offscreen when there
// is no display. (The size option is read by ParsePlotSize, cli/analyse_plot.h.)
#include <QApplication>
#include <memory>

// Qt needs a platform even to draw into files: without a display, the offscreen one. Returns
// nullptr when an application exists already.
std::unique_ptr<QApplication> MakePlotApplication();
