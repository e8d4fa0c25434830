#pragma once
// Slide methods: the shift (and signal scale) that lays the second growth curve onto the
// first, found by minimising the chi-square of one function fitted through both sets.
#include "fitting/dose_support.h"

// Methods 6 and 7 (non-linear). ED = shift, EDError from the chi-square curvature in the
// shift; Params2[NParams2] = scale, Cov2 at (NParams2, NParams2) = its variance.
void SolveSlide(TDoseWork& work);
