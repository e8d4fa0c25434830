#pragma once
// The dose methods that solve fitted growth curves directly (not part of the engine's
// interface; EstimateDose dispatches to them after its entry checks).
#include "fitting/dose_support.h"

// Method 1: fit curve 1 only.
void SolveTestFit(TDoseWork& work);
// Methods 2 and 3: dose below zero where curve 1 reaches 0 or the bleached level.
void SolveAdditive(TDoseWork& work);
// The solve of methods 2 and 3 on the fitted curve 1: x below zero with F(x) = level, ED = -x;
// the error combines the curve's error at x with the level's.
void SolveBelowZero(TDoseWork& work, double level, double levelSigma);
// Method 4: dose below zero where the unbleached and the partially bleached curves meet.
void SolvePartialBleach(TDoseWork& work);
// Method 5: dose at which the regenerated curve reaches the natural level.
void SolveRegenerative(TDoseWork& work);
// The solve of method 5 on the fitted curve 2: x at or above zero with F(x) = natural, ED = x.
void SolveAboveZero(TDoseWork& work, double natural, double naturalSigma);
// Method 7 with straight lines: second-glow intercept minus first-glow intercept.
void SolveCeramicLinear(TDoseWork& work);
// Method 10: a-value from the sensitivities of two growth curves.
void SolveAlphaEfficiency(TDoseWork& work);
