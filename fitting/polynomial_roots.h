#pragma once
// All complex roots of a polynomial with real coefficients.
#include "fitting/complex_arithmetic.h"

// Roots of sum c_k x^k (k = 0..degree, 1 <= degree <= 15) by Laguerre's method with
// deflation, optionally polished against the undeflated polynomial, and sorted by
// increasing real part. roots[0..degree-1] receive them.
void PolynomialRoots(const double* coefficients, int degree, TComplex* roots, bool polish);
