#pragma once
// Single-aliquot additive dose with depletion correction, and the depletion (OSL decay)
// correction table it uses.
#include "fitting/dose_support.h"

// Method 9: fits the decay of the normalised depletion measurements and writes the
// correction table (dose = cycle, signal = F(m)/F(1), error = sF(m)/F(1)) into set 2.
void SolveDecayCorrection(TDoseWork& work);

// Method 8: equivalent dose of one aliquot measured in repeated cycles, its effective doses
// corrected by the table in set 2; rewrites the first set's doses with the effective doses.
void SolveSingleAliquot(TDoseWork& work);
