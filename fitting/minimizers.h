#pragma once
// Minimisation of engine callbacks: bracketing, Brent's method in one dimension and the
// downhill simplex in two dimensions.
#include "fitting/result_codes.h"
#include "fitting/root_finding.h"

// A function of two variables (for the simplex).
using TPlaneFunction = double (*)(const double* p, void* context, ResultCode& code);

// From the starting points a and b, finds a triple a, b, c with f(b) below f(a) and f(c)
// by golden-ratio steps and parabolic extrapolation; fa, fb, fc receive the values.
void BracketMinimum(TScalarFunction f, void* context, ResultCode& code, double& a, double& b,
                    double& c, double& fa, double& fb, double& fc);

// Brent's minimiser over the bracket (a, b, c) (b between a and c, f(b) below both ends).
// Returns the minimum value and sets xmin; 100 iterations without convergence raise -8 and
// give the current best.
double BrentMinimize(TScalarFunction f, void* context, double a, double b, double c, double tol,
                     double& xmin, ResultCode& code);

// Nelder-Mead downhill simplex in two dimensions. simplex holds the three vertices (x, y)
// and values the function at them on entry; on return the contracted simplex and its values
// with the best vertex first. Ends when
// 2 |f_hi - f_lo| / (|f_hi| + |f_lo| + 1e-10) < ftol; 5000 evaluations raise -8.
void SimplexMinimize(TPlaneFunction f, void* context, double simplex[3][2], double values[3],
                     double ftol, ResultCode& code);
