#pragma once
// Draws the curve editor's columns into a chart: every column but the current one in black,
// the current one on top in red, axis lines through the origin, a legend when there are
// several curves. Many columns (more than kSeparateCurveLimit) share one plottable, broken
// between records, so that thousands of records draw in one pass. The editor window, the
// plot export and `orvane-cli plot-curves` draw through this.
#include <QString>
#include <vector>

#include "tools/curve_columns.h"

class QCustomPlot;

inline constexpr int kSeparateCurveLimit = 24;

struct TCurvePlotOptions {
    int currentColumn = 0;  // -1: none drawn in red
    bool logX = false;      // a logarithmic time axis (channels of shine-down curves)
    bool rescale = true;    // set both axes to the rescaled data ranges
    bool monochrome = false;
};

// Axis titles for the columns: temperature or channel or point against luminescence.
QString CurveXAxisLabel(const std::vector<TCurveColumn>& columns);
inline const char* kLuminescenceAxisLabel = "Luminescence (counts)";

// True when every column holds a shine-down (OSL) curve: its time axis may go logarithmic.
bool AllShineDown(const std::vector<TCurveColumn>& columns);

// Clears the chart's plottables and items and draws the columns.
void DrawCurveColumns(QCustomPlot& chart, const std::vector<TCurveColumn>& columns,
                      const TCurvePlotOptions& options);
