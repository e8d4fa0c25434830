#pragma once
// `orvane-cli fit`: one call of the dose-estimation engine on points read from a CSV file.
// args are the words after "fit". Returns the process exit status (0, 1 failure, 2 usage).
#include <string>
#include <vector>

int RunFitCommand(const std::vector<std::string>& args);

struct TFitRecord;
// Appends the "Curve1" (curve 1) or "Curve2" (curve 2) object of a fit record as `fit`
// prints it: code, parameter count, parameters, covariance, statistics, point count, and for
// the slide methods the scale factor with its variance.
void AppendFitCurveJson(std::string& out, const TFitRecord& fit, int curve);
