#pragma once
// The look every plot of the program shares, on screen, in print and in exported files: white
// background, a readable sans-serif font, labelled axes with outward ticks and subticks, a
// light grid, anti-aliased lines and the chart's caption as a title above the axes. Texts are
// 8 pt (ticks, legend), 9 pt (axis titles, title) and 7 pt (the identification line).
#include <QString>

class QCustomPlot;
class QCPTextElement;

// Styles the chart and puts `caption` as its title (the title element is returned).
QCPTextElement* ApplyPlotStyle(QCustomPlot& chart, const QString& caption);

// Switches the bottom axis between linear and logarithmic (base-10 ticks) scaling.
void SetLogarithmicX(QCustomPlot& chart, bool on);
// The same for the left axis (the signal of curves).
void SetLogarithmicY(QCustomPlot& chart, bool on);
