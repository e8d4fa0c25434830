#include "fitting/single_aliquot_solver.h"

void SolveDecayCorrection(TDoseWork& work) { work.Code = kInputControlDataError; }
void SolveSingleAliquot(TDoseWork& work) { work.Code = kInputControlDataError; }
