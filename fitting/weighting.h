#pragma once
// Weights of the points of a growth curve under an error model.
#include "fitting/point_set.h"
#include "fitting/result_codes.h"

// Sorts both sets by dose (in place) and forms the weights (1/sigma^2, arrays of 100) of
// their points under model 0..4 (callers pass 3 and 4 for 5 and 6). May rewrite error
// entries: entries below 1e-6 or above 1e6 become 1; calculated errors receive the group's
// standard deviation; fixed 100 % errors receive the relative error estimated from the
// replicate scatter. An empty second set (Count 0) takes no part.
void WeightPoints(ErrorModel model, TPointSet& set1, TPointSet& set2, double* weights1,
                  double* weights2, ResultCode& resultCode);

// Weights from fitted values for the starred models: 5 gives 1/(error x fitted)^2, 6 gives
// 1/(error x fitted). n must be 1..99 (-1), fitted values positive (-3).
void ReweightFromFit(ErrorModel model, int n, const double* errors, const double* fitted,
                     double* weights, ResultCode& resultCode);

// Weighted mean of the first dose group (the leading points with exactly the first dose)
// of a dose-sorted set, and its standard error under the model.
void GroupMean(ErrorModel model, int n, const double* doses, const double* signals,
               const double* errors, const double* weights, double& mean, double& sigma,
               ResultCode& resultCode);
