#include "fitting/growth_fit.h"

double FitRSquared(int, const double*, const double*, const double*, int, const double*) {
    return 0;
}
void FitGrowthCurve(int, ErrorModel, FunctionCode, FunctionCode, TPointSet&, TPointSet&, double*,
                    double*, TCurveFit&, std::string&, ResultCode&) {}
double FitCombined(ErrorModel, FunctionCode, int, const TPointSet&, const double*, int,
                   const TPointSet&, const double*, double, double, double*, double*,
                   std::string&, ResultCode&) {
    return 0;
}
