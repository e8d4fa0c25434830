#include "fitting/root_finding.h"

double BrentRoot(TScalarFunction, void*, ResultCode&, double, double, double) { return 0; }
void ScanRoots(TScalarFunction, void*, ResultCode&, int, double, double, double*, double*,
               int& count) {
    count = 0;
}
bool ExpandBracket(TScalarFunction, void*, ResultCode&, double&, double&) { return false; }
