#pragma once
// The dose-rate inputs of one sample as a small JSON file: what `orvane-cli dose-rate
// --inputs FILE.json` reads and what the "Compute age" dialog keeps next to a data file
// (S12.age.json). One object; every member optional:
//   {"k": 1.2, "k_error": 0.05, "u": 2.5, "u_error": 0.1, "th": 9.0, "th_error": 0.4,
//    "rb": 0, "rb_error": 0, "k_bq": .., "k_bq_error": .., "u_bq": .., "th_bq": ..,
//    "factors": "guerin2011", "attenuation": "guerin2012-quartz",
//    "grain_size": [90, 125], "etch": [8, 10], "water": 0.15, "water_error": 0.05,
//    "a_value": 0.08, "a_value_error": 0.02, "internal_k": 12.5, "internal_k_error": 0.5,
//    "internal_rb": 400, "internal_rb_error": 100, "internal_u": 0.3, "internal_u_error": 0.1,
//    "internal_th": 1.0, "internal_th_error": 0.3,
//    "gamma_rate": 0.9, "gamma_rate_error": 0.05, "alpha_rate": .., "beta_rate": .. (each with
//    "..._error"), "source_calibration_error": 2,
//    "latitude": 51.2, "longitude": 7.1, "altitude": 120, "depth": 1.5, "density": 1.8,
//    "depth_error": 0.1, "density_error": 0.1,
//    "cosmic": 0.15, "cosmic_error": 0.015, "mc": 10000, "seed": 1,
//    "de": 42, "de_error": 2, "de_source": "typed", "sample": "S12"}
// "water" is a fraction of the dry mass (0.15 for 15 %).
// null stands for an absent member. Unknown members, wrong types and malformed text are
// refused with a message naming the place; nothing throws.
#include <string>
#include <string_view>
#include <vector>

#include "analysis/dose_rate.h"

// What the file may hold besides the dose-rate inputs.
struct TAgeFileExtras {
    bool HasDe = false;
    TMeasured De;
    std::string DeSource;  // where the equivalent dose came from, for the report
    std::string Sample;
};

// The largest inputs file read (bytes).
inline constexpr std::size_t kMaxDoseRateJsonSize = 1 << 20;

// Reads the text of an inputs file. Members present replace those in `inputs`; the others
// keep their values. Returns false with a message on malformed or unknown content, leaving
// `inputs` and `extras` as they were.
bool ParseDoseRateInputsJson(std::string_view text, TDoseRateInputs& inputs, TAgeFileExtras& extras,
                             std::string& message);

// One member of the inputs as written: a number, a text or a [min, max] pair.
struct TDoseRateInputField {
    enum Kind { Number, Text, Pair } Type = Number;
    std::string Key;
    double Value = 0.0;
    double Second = 0.0;
    std::string String;
};

// The members describing the inputs, in a fixed order; optional inputs only when present.
std::vector<TDoseRateInputField> DoseRateInputFields(const TDoseRateInputs& inputs);

// The inputs (and extras, when given) as the text of an inputs file.
std::string DoseRateInputsJson(const TDoseRateInputs& inputs, const TAgeFileExtras* extras);
