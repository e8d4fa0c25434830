#include "fitting/linear_solvers.h"

void GaussJordan(double*, int, double*, int, bool& ok) { ok = false; }
double ClampToDouble(long double value, bool&) { return static_cast<double>(value); }
void ExtendedInverse(int, double*, long double& determinant, bool&) { determinant = 0; }
