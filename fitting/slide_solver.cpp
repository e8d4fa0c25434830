#include "fitting/slide_solver.h"

void SolveSlide(TDoseWork& work) { work.Code = kInputControlDataError; }
