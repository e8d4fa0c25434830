#pragma once
// Point sets and a one-call wrapper for the dose-method tests.
#include <cmath>
#include <initializer_list>
#include <string>

#include "fitting/dose_estimation.h"
#include "fitting/fit_record.h"
#include "fitting/point_set.h"

// A point set from doses and signals, every error set to `error`.
inline TPointSet MakePoints(std::initializer_list<double> doses,
                            std::initializer_list<double> signals, double error = 1.0) {
    TPointSet set;
    auto d = doses.begin();
    auto s = signals.begin();
    for (; d != doses.end() && s != signals.end(); ++d, ++s, ++set.Count) {
        set.Dose[set.Count] = *d;
        set.Signal[set.Count] = *s;
        set.Error[set.Count] = error;
    }
    return set;
}

// A point set from doses, signals and errors (as many points as there are doses).
inline TPointSet MakePoints(std::initializer_list<double> doses,
                            std::initializer_list<double> signals,
                            std::initializer_list<double> errors) {
    TPointSet set;
    for (double d : doses) set.Dose[set.Count++] = d;
    int i = 0;
    for (double s : signals) set.Signal[i++] = s;
    i = 0;
    for (double e : errors) set.Error[i++] = e;
    return set;
}

// Points of a function at the given doses, every error set to `error`.
template <typename F>
TPointSet PointsOf(F f, std::initializer_list<double> doses, double error = 1.0) {
    TPointSet set;
    for (double d : doses) {
        set.Dose[set.Count] = d;
        set.Signal[set.Count] = f(d);
        set.Error[set.Count] = error;
        ++set.Count;
    }
    return set;
}

// One call of EstimateDose with everything it reports.
struct TDoseRun {
    TPointSet Set1;
    TPointSet Set2;
    TFitRecord Fit;
    std::string Note;
    ResultCode Code = 12345;  // EstimateDose must overwrite it
};

inline TDoseRun RunDose(int method, ErrorModel model, FunctionCode code1, FunctionCode code2,
                        const TPointSet& set1, const TPointSet& set2, double start = 0.0) {
    TDoseRun run;
    run.Set1 = set1;
    run.Set2 = set2;
    run.Fit.ED = start;
    run.Note = "left over; ";
    EstimateDose(method, model, code1, code2, run.Set1, run.Set2, run.Fit, run.Note, run.Code);
    return run;
}
