#include "fitting/polynomial_roots.h"

void PolynomialRoots(const double*, int, TComplex*, bool) {}
