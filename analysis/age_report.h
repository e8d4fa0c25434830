#pragma once
// The report of a dose-rate and age computation as plain text and as CSV rows, for copying
// and saving.
#include <string>

#include "analysis/dose_rate.h"

// A readable report: the inputs, the intermediate values and the results.
std::string AgeReportText(const std::string& sample, const TDoseRateInputs& inputs,
                          const TMeasured& de, const TAgeResult& age);

// The same as CSV: a header "quantity,value,error,unit" and one row per quantity.
std::string AgeReportCsv(const std::string& sample, const TDoseRateInputs& inputs,
                         const TMeasured& de, const TAgeResult& age);
