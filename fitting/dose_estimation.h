#pragma once
// The single entry point of the engine: fits the growth curve(s) of an aliquot group and
// solves them for the equivalent dose (or intercept, or a-value) by dose method.
#include <string>

#include "fitting/fit_record.h"
#include "fitting/point_set.h"
#include "fitting/result_codes.h"

// method is a DoseMethod (1..10), errorModel 0..6, code1 and code2 the function codes of the
// two curves (code2 63 when there is no second curve or it carries a correction table).
// Fills fit from ED on (and records method, model, codes and counts); ED on entry is the
// start value of the single-aliquot iteration (a negative value becomes 0). The note
// receives one phrase ending in "; " for every failure that has one (with -10).
// Except in methods 8 and 9 both sets come back sorted by dose, error entries possibly
// rewritten by the error model; method 8 rewrites the first set's doses, method 9 writes the
// correction table into the second set.
// A result the method finished without a warning is "O.K." (0) only when its error is
// defined and its curve rises significantly over the measured doses; otherwise it keeps
// its numbers with a warning code (fitting/result_checks.h).
void EstimateDose(int method, ErrorModel errorModel, FunctionCode code1, FunctionCode code2,
                  TPointSet& set1, TPointSet& set2, TFitRecord& fit, std::string& note,
                  ResultCode& resultCode);
