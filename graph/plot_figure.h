#pragma once
// What makes a plot a figure for a paper or a report beyond its data: the result with its
// unit and the digits its error allows ("De = 42.6 ± 3.5 Gy"), a legend of the point sets,
// the fitted curve and the dose mark, an identification line under the axes (file, device,
// method, bleaching) and whole-number ticks on axes of channels and disks. The viewer
// windows and the plot commands of orvane-cli draw through these.
#include <QString>

#include "analysis/growth_points.h"

class QCPAxis;
class QCustomPlot;

// Decimals that show `error` with two significant digits (none for errors of 10 and more);
// -1 when the error is not a positive finite number.
int DecimalsForError(double error);

// "De = 42.6 ± 3.5 Gy": the value rounded to the error's decimals; without a defined error
// "De = 42.6 Gy (error undefined)".
QString DoseResultText(double value, double error, const QString& unit = QStringLiteral("Gy"));

// The name of a set of growth points in the legend: "natural", "additive", "regenerative",
// "partial bleach", "second set" or "depletion", by the level's kind and the method's
// DoseMethod (the natural level of the regenerative methods is "natural").
QString PointSetName(uint8_t kind, int method, bool allDosesZero);

// The growth plot's legend: one entry per point set drawn, the fitted curve and the dose mark,
// in the lower right corner; hidden when `visible` is false.
void ShowGrowthLegend(QCustomPlot& chart, const TGrowthPoints& points, int method, bool visible);
// The paleodose plot's legend: one entry per kind of result drawn (valid, warning, failed,
// rejected, ROI).
void ShowPlateauLegend(QCustomPlot& chart, bool visible);

// Shows the legend (when `visible` and it has entries) in the corner of the plot where it
// covers the fewest marks, or under the plot when every corner would cover several.
void PlaceLegend(QCustomPlot& chart, bool visible);

// Puts `text` in a line under the chart (an empty text removes it).
void SetIdentificationLine(QCustomPlot& chart, const QString& text);

// Ticks at whole numbers only (channels, disks): steps of 1, 2, 5, 10, ... and no subticks
// between neighbouring numbers.
void SetWholeNumberTicks(QCPAxis* axis);
