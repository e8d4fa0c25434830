#include "fitting/weighting.h"

void WeightPoints(ErrorModel, TPointSet&, TPointSet&, double*, double*, ResultCode&) {}
void ReweightFromFit(ErrorModel, int, const double*, const double*, double*, ResultCode&) {}
void GroupMean(ErrorModel, int, const double*, const double*, const double*, const double*,
               double& mean, double& sigma, ResultCode&) {
    mean = sigma = 0;
}
