#pragma once
// Draws the curve editor's columns into a chart: every column but the current one in black
// (or, for a figure, each in a colour of its own), the current one on top in red, axis lines
// through the origin, a legend entry per record when there are several curves. Many columns (more
// than kSeparateCurveLimit) share one plottable, broken between records, so that thousands of
// records draw in one pass. The editor window, the plot export and `orvane-cli plot-curves` draw
// through this.
#include <QColor>
#include <QString>
#include <vector>

#include "tools/curve_columns.h"

class QCustomPlot;

inline constexpr int kSeparateCurveLimit = 24;

struct TCurvePlotOptions {
    int currentColumn = 0;  // -1: none drawn in red
    bool logX = false;      // a logarithmic time axis (channels of shine-down curves)
    bool logY = false;      // a logarithmic signal axis (points of 0 counts and less left out)
    bool rescale = true;    // set both axes to the rescaled data ranges
    bool monochrome = false;
    bool colourCycle = false;  // each record its own colour (a figure's legend tells them apart)
    bool legend = true;
    // For a figure: the x of each row of each column in physical units (glow temperature in
    // degC, time since the start of the shine in s); empty: the editor's X(row). `xLabel`
    // then names the axis.
    std::vector<std::vector<double>> physicalX;
    QString xLabel;
    // For a figure: a factor per row of each column (1 / channel width for a count rate);
    // empty: the counts as they are. `yLabel` then names the axis.
    std::vector<std::vector<double>> yFactor;
    QString yLabel;
};

// Axis titles for the columns: temperature or channel or point against luminescence.
QString CurveXAxisLabel(const std::vector<TCurveColumn>& columns);
inline const char* kLuminescenceAxisLabel = "Signal (counts)";

// The colours of a figure's records: the first (the current record) red, then colours told
// apart in print and by readers with a colour-vision deficiency; repeats after kCurveColours.
inline constexpr int kCurveColours = 8;
QColor CurveColour(int position);

// True when every column holds a shine-down (OSL) curve: its time axis may go logarithmic.
bool AllShineDown(const std::vector<TCurveColumn>& columns);

// Clears the chart's plottables and items and draws the columns.
void DrawCurveColumns(QCustomPlot& chart, const std::vector<TCurveColumn>& columns,
                      const TCurvePlotOptions& options);
