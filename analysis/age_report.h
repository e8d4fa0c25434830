#pragma once
// The report of a dose-rate and age computation as plain text and as CSV rows, for copying
// and saving: every input, the intermediate values, the results rounded to the precision of
// their uncertainties, the sources of the data and models, the program's version and where
// the equivalent dose came from. Numbers are written with a decimal point whatever the locale.
#include <string>
#include <string_view>

#include "analysis/dose_rate.h"
#include "analysis/fading_correction.h"

// What the report says besides the numbers.
struct TAgeReportHeader {
    std::string Sample;
    std::string DeSource;  // "typed", "growth curve (...)", "inputs file", ...
};

// The program's version, as the reports name it.
std::string_view OrvaneVersion();

// A value and its uncertainty rounded to the uncertainty's precision: the uncertainty to one
// significant digit, two when that digit would be 1 ("2.78 ± 0.07", "2.781 ± 0.015").
std::string FormatMeasured(double value, double error);

// A readable report: the inputs, the intermediate values and the results.
std::string AgeReportText(const TAgeReportHeader& header, const TDoseRateInputs& inputs,
                          const TMeasured& de, const TAgeResult& age);

// The same as CSV: a header "quantity,value,error,unit" and one row per quantity, at full
// precision.
std::string AgeReportCsv(const TAgeReportHeader& header, const TDoseRateInputs& inputs,
                         const TMeasured& de, const TAgeResult& age);

// The block of the fading-corrected age that follows the report (text) and its rows (CSV, no
// header): the g-value and times used, the corrected age, kappa, the Monte Carlo draws and
// the model's limit (the linear part of the growth curve).
std::string FadingReportText(const TFadingCorrectionInput& input,
                             const TFadingCorrectionResult& result);
std::string FadingReportCsv(const TFadingCorrectionInput& input,
                            const TFadingCorrectionResult& result);
