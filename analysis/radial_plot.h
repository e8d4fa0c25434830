#pragma once
// The radial plot of doses (Galbraith 1988, Technometrics 30: 271-281; Galbraith 1990,
// Nuclear Tracks 17: 207-214) and the density of the doses beside it, as the abanico plot
// (Dietze et al. 2016, Quaternary Geochronology 31: 12-18) combines them.
//
// Each dose D with error e is the point x = 1 / s (precision), y = (ln D - ln D0) / s
// (standardised estimate), s = e / D the error of its log and D0 the reference dose of the
// model. A dose D lies on the line through the origin of slope ln D - ln D0; the log-dose
// scale is an arc around the origin, x^2 + (y / k)^2 = R^2, where those lines meet it. The band y = -2..2 holds the doses consistent with D0 at 95 %.
#include <vector>

#include "analysis/dose_models.h"

struct TRadialTick {
    double Dose = 0.0;
    double X = 0.0;  // where the dose's line meets the arc
    double Y = 0.0;
};

struct TRadialPlot {
    double ReferenceDose = 0.0;
    std::vector<double> X, Y;  // per dose, in the order given
    double XMax = 0.0;         // largest precision
    double YLimit = 0.0;       // the y axis runs from -YLimit to +YLimit
    double ArcRadius = 0.0;    // in x units; the arc is round when y is scaled by YPerX
    double YPerX = 1.0;
    std::vector<double> ArcX, ArcY;  // the arc as a polyline from the lowest to highest dose
    std::vector<TRadialTick> Ticks;
    // Gaussian kernel density of the log doses (Silverman's bandwidth), at DensityDose.
    std::vector<double> DensityDose, Density;
    double Bandwidth = 0.0;  // in log units
};

// Builds the plot of doses (each > 0 with error > 0) around `referenceDose` (> 0).
// `yPerX`: how many y units the plot shows in the length of one x unit (its proportions);
// 0 picks one that fits the points' ranges (the arc is then an ellipse in data units).
TRadialPlot BuildRadialPlot(const std::vector<TDoseValue>& doses, double referenceDose,
                            double yPerX = 0.0);

// Round dose values for the arc between two doses: 1, 2, 5 times powers of ten, at most
// about `count`.
std::vector<double> RoundDoses(double low, double high, int count);
