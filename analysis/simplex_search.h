#pragma once
// Nelder-Mead downhill simplex in up to four dimensions for the likelihood searches of the
// dose models (Nelder & Mead 1965, with the standard coefficients 1, 2, 0.5, 0.5). The
// search restarts from its best vertex with a fresh simplex until a restart no longer
// improves the value, which guards against the simplex collapsing early.
#include <functional>

inline constexpr int kSimplexMaxDimension = 4;

struct TSimplexOptions {
    int Dimension = 2;
    // Initial step of each coordinate (the simplex is the start plus one step per axis).
    double Step[kSimplexMaxDimension] = {0.1, 0.1, 0.1, 0.1};
    // Ends when every vertex lies within XTolerance of the best in every coordinate.
    double XTolerance = 1e-9;
    int MaxEvaluations = 4000;
};

struct TSimplexResult {
    double X[kSimplexMaxDimension] = {};
    double Value = 0.0;
    int Evaluations = 0;
    bool Converged = false;
};

// Minimises f from start. f must return a finite value or +infinity (outside the domain).
TSimplexResult SimplexSearch(const std::function<double(const double*)>& f, const double* start,
                             const TSimplexOptions& options);
