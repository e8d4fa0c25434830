#pragma once
// orvane-cli plot-curves: the curves of records drawn as the curve editor shows them, into a
// PNG, SVG or PDF file. It is part of the orvane-cli program only (it needs Qt and the
// plotting library), not of the command library the tests and fuzz harnesses link.
#include <string>
#include <vector>

int RunPlotCurvesCommand(const std::vector<std::string>& args);
