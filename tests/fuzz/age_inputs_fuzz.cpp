// libFuzzer harness: the dose-rate inputs file (S12.age.json), read as `orvane-cli dose-rate
// --inputs` and the "Compute age" dialog read it. Inputs that are read write back to a text
// that reads as the same inputs; inputs that are accepted give finite dose rates and a finite
// age, or a message saying which input is refused.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "analysis/dose_rate.h"
#include "analysis/dose_rate_json.h"

namespace {

[[noreturn]] void PropertyBroken(const char* what) {
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

bool Finite(const TDoseRateValue& v) { return std::isfinite(v.Value) && std::isfinite(v.Error); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TDoseRateInputs inputs;
    TAgeFileExtras extras;
    std::string message;
    if (!ParseDoseRateInputsJson(text, inputs, extras, message)) {
        if (message.empty()) PropertyBroken("a refused inputs file without a message");
        return 0;
    }
    const std::string written = DoseRateInputsJson(inputs, &extras);
    TDoseRateInputs again;
    TAgeFileExtras extrasAgain;
    if (!ParseDoseRateInputsJson(written, again, extrasAgain, message))
        PropertyBroken("inputs as written cannot be read");
    if (DoseRateInputsJson(again, &extrasAgain) != written)
        PropertyBroken("inputs read back as other inputs");

    // A few Monte Carlo draws show the sampling path; many only make the run slow.
    inputs.MonteCarloDraws = std::min(inputs.MonteCarloDraws, 20);
    TDoseRateResult result;
    if (!ComputeDoseRate(inputs, result, message)) {
        if (message.empty()) PropertyBroken("refused inputs without a message");
        return 0;
    }
    for (const TDoseRateValue* v : {&result.Alpha, &result.Beta, &result.Gamma, &result.Cosmic,
                                    &result.Internal, &result.Total})
        if (!Finite(*v)) PropertyBroken("accepted inputs give a dose rate that is not finite");
    if (extras.HasDe) {
        TAgeResult age;
        if (ComputeAge(extras.De, inputs, age, message)) {
            if (!std::isfinite(age.Age) || !std::isfinite(age.ErrorRandom) ||
                !std::isfinite(age.ErrorSystematic) || !std::isfinite(age.ErrorTotal))
                PropertyBroken("an accepted age is not finite");
        } else if (message.empty()) {
            PropertyBroken("a refused age without a message");
        }
    }
    return 0;
}
