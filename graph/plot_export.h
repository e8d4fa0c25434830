#pragma once
// Saving a chart as a file and copying it: PNG (pixels), SVG and PDF (vectors), chosen by
// the file's extension, and an image on the clipboard.
#include <QString>

class QCustomPlot;

// `width` x `height` in pixels (0: the chart's own size). False with `error` set when the
// extension is none of .png, .svg, .pdf or the file cannot be written.
bool SavePlotFile(QCustomPlot& chart, const QString& path, int width, int height, QString* error);

// Puts the chart on the clipboard as an image.
void CopyPlotToClipboard(QCustomPlot& chart);

// The file filter of "Save plot as...".
QString PlotFileFilter();
