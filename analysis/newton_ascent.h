#pragma once
// Newton's method for the maximum of a smooth function of up to three variables, with the
// gradient and Hessian from finite differences, for polishing a maximum from a start close to
// it (the likelihood searches of the dose models). Variables marked non-negative stay >= 0:
// one held at 0 by a slope pointing outwards leaves the step (an active set), and a step is
// cut back to the bound. Each step is halved until the value rises.
#include <functional>

inline constexpr int kNewtonMaxDimension = 3;

struct TNewtonResult {
    bool Converged = false;  // false: the Hessian was not negative definite, or no step rose
    double Value = 0.0;
    int Evaluations = 0;
};

// Maximises f from x (changed in place) until a step moves no variable by more than
// `tolerance`; `step` is the finite-difference step.
TNewtonResult NewtonAscent(const std::function<double(const double*)>& f, double* x, int dim,
                           const bool* nonNegative, double tolerance, double step = 1e-4,
                           int maxIterations = 30);
