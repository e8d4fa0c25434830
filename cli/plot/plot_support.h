#pragma once
// What the plot commands of orvane-cli share: an application that draws offscreen when there
// is no display, and the frame of every figure (size, style, identification line, saving).
// (The size options are read by ParsePlotSize, cli/analyse_plot.h.)
#include <QApplication>
#include <QString>
#include <memory>
#include <string>

#include "cli/analyse_plot.h"

class QCustomPlot;

// Qt needs a platform even to draw into files: without a display, the offscreen one. Returns
// nullptr when an application exists already.
std::unique_ptr<QApplication> MakePlotApplication();

// Sizes the chart for the file (its layout size in screen units), styles it with `caption`,
// puts the identification line under it unless the options hide it, and lays it out: the
// margins the marks keep are in pixels.
void StartFigure(QCustomPlot& chart, const QString& caption, const TFigureOptions& figure,
                 const TPlotSize& size);
// Saves the chart; throws TEditorError when the file cannot be written.
void FinishFigure(QCustomPlot& chart, const std::string& path, const TPlotSize& size);
