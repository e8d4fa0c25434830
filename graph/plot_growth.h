#pragma once
// What the point, curve and result viewers draw: the growth points of an index, the curves
// behind them, the fitted growth curve with its equivalent-dose marks, and one result with
// its error per index. The viewer windows and `orvane-cli analyse --plot` draw through
// these. Every drawn thing a click may pick is listed with its class and per-vertex tags:
// classes 0..251 are the dose level (index, at most 251), 252 ROI results, 253 error bars,
// fitted curves and dose marks; a tag is (dose level) x 65536 + (point within the level),
// or a plateau element's Index.
#include <QPointF>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "analysis/aliquot_types.h"
#include "analysis/growth_points.h"
#include "analysis/plateau_array.h"
#include "fitting/fit_record.h"

class QCustomPlot;
class QCPAbstractPlottable;

inline constexpr int kRoiResultClass = 252;
inline constexpr int kFitItemClass = 253;
inline constexpr int kAxisLineClass = 254;
inline constexpr int kPointErrorClass = 255;
inline constexpr double kPickRadius = 10;  // pixels

struct TViewRanges {
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};

// Something drawn that a click can pick: its vertices in data order, each with a tag.
struct TPickable {
    QCPAbstractPlottable* plottable = nullptr;
    int itemClass = 0;
    std::vector<int32_t> tags;
    std::vector<QPointF> vertices;  // data coordinates
};
using TPickables = std::vector<TPickable>;

struct TPick {
    const TPickable* item = nullptr;  // nullptr: nothing within the radius
    int vertex = -1;
    int32_t tag = 0;
    int itemClass = 0;
};

// The nearest vertex within `radius` pixels of `pixel` among the items whose class is below
// `classLimit`.
TPick NearestPick(const QCustomPlot& chart, const TPickables& items, const QPointF& pixel,
                  int classLimit = kFitItemClass, double radius = kPickRadius);

// Tag of a growth point and back.
inline int32_t GrowthPointTag(int level, int point) {
    return level * 65536 + point;
}
inline int TagLevel(int32_t tag) {
    return tag / 65536;
}
inline int TagPoint(int32_t tag) {
    return tag % 65536;
}

// Ranges of all doses (x) and signals (y), each starting from 0.
TViewRanges RangesFromPoints(const TGrowthPoints& points);
// Ranges of the curves of the measured points: channels 1..LastChannel (OSL) or the glow
// temperature of indices 3..LastChannel (TL), each within what the curve holds.
TViewRanges RangesFromCurves(const TGrowthPoints& points, const TLookupTable& table);

// The data distance of `pixels` screen pixels along the chart's x or y axis.
double DataDistance(const QCustomPlot& chart, bool xAxis, double pixels);

// Clears the chart and draws one mark per growth point (plPoints, plResults).
void DrawGrowthPoints(QCustomPlot& chart, const TGrowthPoints& points, const TViewRanges& ranges,
                      bool rescale, TPickables& pickables);

// Adds each growth point's error (the engine's, Signal +- Error) as an error bar; these
// stay when the fitted curve is drawn again.
void DrawGrowthPointErrors(QCustomPlot& chart, const TGrowthPoints& points);
// Puts `text` (the solution line) in the upper left corner of the plot.
void AddResultText(QCustomPlot& chart, const QString& text);

// Clears the chart and draws the curve behind each measured point (plViewCurves). Curves of
// TL records whose spacing is 0 are drawn against their point number; `warnings` (may be
// null) then receives a line for the status bar.
void DrawViewCurves(QCustomPlot& chart, const TGrowthPoints& points, const TLookupTable& table,
                    const TViewRanges& ranges, bool rescale, TPickables& pickables,
                    QString* warnings = nullptr);

// Adds the fitted curve(s), their error bands and the equivalent-dose marks of `fit` to a
// chart that shows the growth points (plResults). `isFit` false: a fitted line, drawn
// without error bands. Draws nothing when the record's Channel is not `currentIndex`.
// Removes the class-253 items of an earlier call first.
void DrawFittedCurve(QCustomPlot& chart, const TFitRecord& fit, bool isFit,
                     const TGrowthPoints& points, int32_t currentIndex, bool rescale,
                     TPickables& pickables);
// Removes what DrawFittedCurve drew.
void ClearFittedCurve(QCustomPlot& chart, TPickables& pickables);

// Ranges of a plateau: x from the least to the largest X, y from min(0, Value - Error) to
// the largest Value + Error of the valid results (State 1 and 4; of all results with a
// number when none is valid).
TViewRanges RangesFromPlateau(const TPlateauArray& plateau);
// Clears the chart and draws each element's error bar and mark by its State (valid: black
// discs, warning: open orange diamonds, failed: grey crosses, rejected: red triangles, ROI:
// squares), and a triangle at the top or bottom edge for a result beyond the y range; the element
// whose Index is `selectedIndex` (when `markSelected`) takes the selected colour; when the
// element of `selectedRow` has that Index, only it does.
void DrawPlateau(QCustomPlot& chart, const TPlateauArray& plateau, uint8_t dataKind,
                 bool markSelected, int32_t selectedIndex, bool rescale, TPickables& pickables,
                 int selectedRow = -1);
// Keeps the edge marks of DrawPlateau in step with the y range as the user zooms and pans
// (once per chart).
void ConnectEdgeMarks(QCustomPlot& chart);
