#include "fitting/format_scientific.h"

std::string FormatScientific(int, int, double, std::string_view) { return {}; }
