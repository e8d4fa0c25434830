#pragma once
// The dose methods that solve fitted growth curves directly (not part of the engine's
// interface; EstimateDose dispatches to them after its entry checks).
#include "fitting/dose_support.h"

// Method 1: fit curve 1 only.
void SolveTestFit(TDoseWork& work);
// Methods 2 and 3: dose below zero where curve 1 reaches 0 or the bleached level.
void SolveAdditive(TDoseWork& work);
// Method 4: dose below zero where the unbleached and the partially bleached curves meet.
void SolvePartialBleach(TDoseWork& work);
// Method 5: dose at which the regenerated curve reaches the natural level.
void SolveRegenerative(TDoseWork& work);
// Method 7 with straight lines: second-glow intercept minus first-glow intercept.
void SolveCeramicLinear(TDoseWork& work);
// Method 10: a-value from the sensitivities of two growth curves.
void SolveAlphaEfficiency(TDoseWork& work);
