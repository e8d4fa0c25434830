#include "fitting/growth_functions.h"

double EvaluateFit(FunctionCode, int, const double*, bool, std::string& note, ResultCode&,
                   double, double& sigma1, double& sigma2, const double*) {
    note.clear();
    sigma1 = sigma2 = 0;
    return 0;
}
double FunctionSlope(FunctionCode, int, const double*, ResultCode&, double) { return 0; }
std::string FormulaText(FunctionCode, std::string_view) { return {}; }
std::string FunctionLongName(FunctionCode) { return {}; }
std::string FunctionSelectionName(int) { return {}; }
std::string FunctionShortName(int) { return {}; }
FunctionCode FunctionSelectionCode(int, int) { return -1; }
std::string DecaySelectionName(int) { return {}; }
FunctionCode DecaySelectionCode(int) { return -1; }
