#include "fitting/fit_polynomial.h"

void FitPolynomial(int, const double*, const double*, const double*, int, double*, double*,
                   double& chiSquare, ResultCode&) {
    chiSquare = 0;
}
