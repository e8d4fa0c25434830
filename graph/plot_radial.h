#pragma once
// The radial plot of doses with a dose model's dose (Galbraith 1988) and the kernel density
// of the doses in a panel beside it on the same dose scale (the abanico plot of Dietze et
// al. 2016): the points, the arc with its dose ticks, the +-2 band and the line of the
// model's dose, rejected doses as grey crosses. Drawn into any chart: the result viewer's,
// or an offscreen one that `orvane-cli dose-model --plot` saves.
#include <QString>
#include <vector>

#include "analysis/dose_models.h"

class QCustomPlot;

// Clears `chart` and draws the plot of `doses` (each > 0) around `referenceDose`; `rejected`
// (may be empty) are shown but were not used by the model. `resultText` goes in a box at the
// top left.
void DrawRadialPlot(QCustomPlot& chart, const std::vector<TDoseValue>& doses,
                    const std::vector<TDoseValue>& rejected, double referenceDose,
                    const QString& resultText);
