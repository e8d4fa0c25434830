#pragma once
// Saving a chart as a file and copying it: PNG (pixels), SVG and PDF (vectors), chosen by
// the file's extension, and an image on the clipboard.
//
// A file has a physical size: its pixels at a resolution. The chart is laid out at that size
// in screen units (1/96 inch), so that its fonts keep their sizes in points; a PNG is then
// drawn at the resolution (and carries it), an SVG and a PDF page take the physical size.
#include <QSize>
#include <QString>

class QCustomPlot;

struct TPlotFileSize {
    int width = 0;  // pixels of a PNG; 0: the chart's own size
    int height = 0;
    int dpi = 96;  // pixels per inch
};

// The chart's layout size for a file size: the physical size in 1/96 inch.
QSize PlotLayoutSize(const TPlotFileSize& size);

// Resizes the chart to the layout size of `size` and saves it. False with `error` set when
// the extension is none of .png, .svg, .pdf or the file cannot be written.
bool SavePlotFile(QCustomPlot& chart, const QString& path, const TPlotFileSize& size,
                  QString* error);
// `width` x `height` in pixels at screen resolution (0: the chart's own size).
bool SavePlotFile(QCustomPlot& chart, const QString& path, int width, int height, QString* error);

// Puts the chart on the clipboard as an image.
void CopyPlotToClipboard(QCustomPlot& chart);

// The file filter of "Save plot as...".
QString PlotFileFilter();
