#pragma once
// The members a dose model's result writes to JSON, for `orvane-cli dose-model` and the
// "dose_model" object of `orvane-cli analyse --dose-model`: "model", "n", "De", "DeError";
// the central age model also "OD", "ODError", "relOD", "relODError" (%); the minimum age
// models "sigma", "p0", "mu" (4 parameters), "DeLower", "DeUpper", "Lmax", "BIC".
#include "analysis/dose_models.h"

class TJsonWriter;

// Writes the members into the object `json` has open.
void WriteDoseModelMembers(TJsonWriter& json, const TDoseModelResult& result);
