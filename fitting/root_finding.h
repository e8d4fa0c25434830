#pragma once
// One-dimensional root finding on callbacks of the engine.
#include "fitting/result_codes.h"

// A scalar function of the engine (a fitted function minus a level, ...). It may set a
// fatal code; the primitive that called it then returns at once.
using TScalarFunction = double (*)(double x, void* context, ResultCode& code);

// Root of f in [x1, x2] by Brent's method. Ends of the same sign raise -15 and give 0;
// 100 iterations without convergence raise -15 and give the last estimate.
double BrentRoot(TScalarFunction f, void* context, ResultCode& code, double tol, double x1,
                 double x2);

// Steps from x1 to x2 in `steps` steps and records the brackets (x - dx, x) across which f
// changes sign, earlier[] holding the point first reached. On entry count is the largest
// number of brackets wanted (the arrays' size); on return the number found. A value of
// exactly 0 at a grid point counts as positive.
void ScanRoots(TScalarFunction f, void* context, ResultCode& code, int steps, double x1, double x2,
               double* earlier, double* later, int& count);

// Widens [x1, x2] geometrically (factor 1.6, at most 50 moves), moving the end whose value
// is smaller in magnitude, until f changes sign;
// x1 = x2 starts from [x1, 2 x1 + 1]. Returns whether a sign change was found.
bool ExpandBracket(TScalarFunction f, void* context, ResultCode& code, double& x1, double& x2);
