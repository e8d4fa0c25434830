#include "analysis/dose_rate.h"

#include <cmath>
#include <sstream>

#include "analysis/dose_rate_terms.h"

namespace {

std::string Number(double value) {
    std::ostringstream text;
    text.precision(10);
    text << value;
    return text.str();
}

// Collects the first refusal; the checks stop at it.
class TChecker {
public:
    bool Ok() const { return message_.empty(); }
    const std::string& Message() const { return message_; }

    void Refuse(const std::string& text) {
        if (message_.empty()) message_ = text;
    }
    // A finite value within [low, high]; `what` names the input for the user.
    void Within(const char* key, const char* what, double value, double low, double high) {
        if (!Ok()) return;
        if (!std::isfinite(value)) {
            Refuse(std::string(what) + " '" + key + "' is not a number.");
        } else if (value < low || value > high) {
            Refuse(std::string(what) + " '" + key + "' must lie between " + Number(low) + " and " +
                   Number(high) + "; it is " + Number(value) + ".");
        }
    }
    void NotNegative(const char* key, const char* what, double value) {
        if (!Ok()) return;
        if (!std::isfinite(value)) {
            Refuse(std::string(what) + " '" + key + "' is not a number.");
        } else if (value < 0.0) {
            Refuse(std::string(what) + " '" + key + "' must not be negative; it is " +
                   Number(value) + ".");
        }
    }
    void Measured(const char* key, const char* errorKey, const char* what, const TMeasured& m) {
        NotNegative(key, what, m.Value);
        NotNegative(errorKey, (std::string("The uncertainty of ") + Lower(what)).c_str(), m.Error);
    }

private:
    static std::string Lower(const char* what) {
        std::string text = what;
        if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z' && text.size() > 1 &&
            !(text[1] >= 'A' && text[1] <= 'Z')) {
            text[0] = static_cast<char>(text[0] - 'A' + 'a');
        }
        return text;
    }
    std::string message_;
};

void CheckRange(TChecker& c, const char* key, const char* what, const TRange& r, double low,
                double high) {
    c.Within(key, what, r.Min, low, high);
    c.Within(key, what, r.Max, low, high);
    if (c.Ok() && r.Min > r.Max) {
        c.Refuse(std::string(what) + " '" + key + "': the lower end " + Number(r.Min) +
                 " is above the upper end " + Number(r.Max) + ".");
    }
}

}  // namespace

bool EquivalentDoseInGray(const TMeasured& dose, const std::string& unit, TMeasured& gray,
                          std::string& message) {
    struct TUnit {
        const char* Name;
        double Gray;
    };
    static constexpr TUnit kUnits[] = {{"Gy", 1.0}, {"mGy", 1e-3}, {"cGy", 1e-2}, {"kGy", 1e3}};
    for (const TUnit& u : kUnits) {
        if (unit == u.Name) {
            gray = {dose.Value * u.Gray, dose.Error * u.Gray};
            return true;
        }
    }
    message = unit.empty()
                  ? "The equivalent dose has no unit: the file names no unit for the source's "
                    "dose rate. Type the equivalent dose in Gy."
                  : "The equivalent dose is in '" + unit +
                        "', not in Gy: the source's dose rate in the file is not given in Gy. "
                        "Type the equivalent dose in Gy.";
    return false;
}

bool CheckDoseRateInputs(const TDoseRateInputs& in, std::string& message) {
    TChecker c;
    if (in.HasKActivity) {
        c.Measured("k_bq", "k_bq_error", "The K-40 activity", in.KActivity);
    } else {
        c.Measured("k", "k_error", "The K content", in.K);
    }
    if (in.HasUActivity) {
        c.Measured("u_bq", "u_bq_error", "The U-238 activity", in.UActivity);
    } else {
        c.Measured("u", "u_error", "The U content", in.U);
    }
    if (in.HasThActivity) {
        c.Measured("th_bq", "th_bq_error", "The Th-232 activity", in.ThActivity);
    } else {
        c.Measured("th", "th_error", "The Th content", in.Th);
    }
    c.Measured("rb", "rb_error", "The Rb content", in.Rb);
    if (c.Ok() && !in.HasKActivity && in.K.Value > 100.0) {
        c.Refuse("The K content 'k' is a percentage and cannot exceed 100; it is " +
                 Number(in.K.Value) + ".");
    }
    if (in.HasGrainSize) {
        CheckRange(c, "grain_size", "The grain size", in.GrainSize, 0.0, kMaxGrainDiameter);
        if (c.Ok() && in.GrainSize.Max <= 0.0) {
            c.Refuse("The grain size 'grain_size' must be larger than 0.");
        }
    }
    if (in.HasEtch) {
        CheckRange(c, "etch", "The etch depth", in.Etch, 0.0, kMaxEtchDepth);
        if (c.Ok() && in.HasGrainSize && 2.0 * in.Etch.Max >= in.GrainSize.Min) {
            c.Refuse("The etch depth 'etch' would remove the whole grain of the smallest size.");
        }
    }
    c.Within("water", "The water content", in.Water.Value, 0.0, 1.0);
    c.NotNegative("water_error", "The uncertainty of the water content", in.Water.Error);
    if (in.HasAValue) {
        c.Within("a_value", "The a-value", in.AValue.Value, 0.0, 1.0);
        c.NotNegative("a_value_error", "The uncertainty of the a-value", in.AValue.Error);
    }
    if (in.HasInternalK) {
        c.Within("internal_k", "The internal K content", in.InternalK.Value, 0.0, 20.0);
        c.NotNegative("internal_k_error", "The uncertainty of the internal K content",
                      in.InternalK.Error);
    }
    if (in.HasInternalRb) {
        c.Within("internal_rb", "The internal Rb content", in.InternalRb.Value, 0.0, 10000.0);
        c.NotNegative("internal_rb_error", "The uncertainty of the internal Rb content",
                      in.InternalRb.Error);
    }
    if (in.HasInternalU) {
        c.Within("internal_u", "The internal U content", in.InternalU.Value, 0.0, 10000.0);
        c.NotNegative("internal_u_error", "The uncertainty of the internal U content",
                      in.InternalU.Error);
    }
    if (in.HasInternalTh) {
        c.Within("internal_th", "The internal Th content", in.InternalTh.Value, 0.0, 10000.0);
        c.NotNegative("internal_th_error", "The uncertainty of the internal Th content",
                      in.InternalTh.Error);
    }
    if (c.Ok() && !in.HasGrainSize) {
        const char* key = in.HasInternalK    ? "internal_k"
                          : in.HasInternalRb ? "internal_rb"
                          : in.HasInternalU  ? "internal_u"
                          : in.HasInternalTh ? "internal_th"
                                             : nullptr;
        if (key != nullptr) {
            c.Refuse(std::string("The internal dose rate '") + key +
                     "' needs the grain size 'grain_size'.");
        }
    }
    if (in.HasGammaRate)
        c.Measured("gamma_rate", "gamma_rate_error", "The gamma dose rate", in.GammaRate);
    if (in.HasAlphaRate)
        c.Measured("alpha_rate", "alpha_rate_error", "The alpha dose rate", in.AlphaRate);
    if (in.HasBetaRate)
        c.Measured("beta_rate", "beta_rate_error", "The beta dose rate", in.BetaRate);
    c.Within("source_calibration_error", "The uncertainty of the source calibration (%)",
             in.SourceCalibrationError, 0.0, 100.0);
    if (c.Ok() && in.HasSite && in.HasCosmic) {
        c.Refuse(
            "Give either the site of the sample ('latitude', 'longitude', 'altitude', "
            "'depth', 'density') or the cosmic dose rate 'cosmic', not both.");
    }
    if (in.HasSite) {
        c.Within("latitude", "The latitude", in.Site.Latitude, -90.0, 90.0);
        c.Within("longitude", "The longitude", in.Site.Longitude, -180.0, 360.0);
        c.Within("altitude", "The altitude", in.Site.Altitude, -500.0, 9000.0);
        c.NotNegative("depth", "The depth", in.Site.Depth);
        c.Within("depth", "The depth", in.Site.Depth, 0.0, 1000.0);
        c.Within("density", "The overburden density", in.Site.Density, 0.5, 5.0);
        c.Within("depth_error", "The uncertainty of the depth", in.DepthError, 0.0, 1000.0);
        c.Within("density_error", "The uncertainty of the overburden density", in.DensityError, 0.0,
                 5.0);
    } else if (c.Ok() && (in.DepthError != 0.0 || in.DensityError != 0.0)) {
        c.Refuse(std::string("The uncertainty '") +
                 (in.DepthError != 0.0 ? "depth_error" : "density_error") +
                 "' needs the site of the sample.");
    }
    if (in.HasCosmic) c.NotNegative("cosmic", "The cosmic dose rate", in.Cosmic);
    if (in.HasCosmicError) {
        c.NotNegative("cosmic_error", "The uncertainty of the cosmic dose rate", in.CosmicError);
        if (c.Ok() && !in.HasCosmic) {
            c.Refuse("The uncertainty 'cosmic_error' needs the cosmic dose rate 'cosmic'.");
        }
    }
    c.Within("mc", "The number of Monte Carlo draws", in.MonteCarloDraws, 0.0, kMaxMonteCarloDraws);
    if (!c.Ok()) {
        message = c.Message();
        return false;
    }
    return true;
}

namespace {

constexpr const char* kBeyondRangeMessage =
    "The inputs give a dose rate or an uncertainty too large to compute; check the contents "
    "and their uncertainties.";

bool Finite(const TDoseRateValue& v) {
    return std::isfinite(v.Value) && std::isfinite(v.Error);
}

bool AllFinite(const TDoseRateResult& r) {
    for (const TDoseRateValue* v : {&r.Alpha, &r.Beta, &r.Gamma, &r.Cosmic, &r.Internal, &r.Total})
        if (!Finite(*v)) return false;
    if (!std::isfinite(r.TotalRandomError) || !std::isfinite(r.TotalSystematicError)) return false;
    if (r.HasMonteCarlo) {
        const TMonteCarloSummary& m = r.MonteCarlo;
        for (const TDoseRateValue* v :
             {&m.Alpha, &m.Beta, &m.Gamma, &m.Cosmic, &m.Internal, &m.Total})
            if (!Finite(*v)) return false;
    }
    return true;
}

}  // namespace

namespace {

bool DoseRateWithDraws(const TDoseRateInputs& inputs, const TMeasured* de, TDoseRateResult& result,
                       std::string& message) {
    result = TDoseRateResult{};
    if (!CheckDoseRateInputs(inputs, message)) return false;
    const TDoseRateModel model = BuildDoseRateModel(inputs, result.Steps);
    const TDoseRateComponents value = model.Evaluate(model.Mean);

    // First-order propagation: each uncertain input contributes (dY/dx * sigma)^2 to every
    // result Y. The model is linear in all inputs but the water content, so central
    // differences with a step well inside the uncertainty give the derivatives exactly
    // enough.
    TDoseRateComponents variance;
    double randomVariance = 0.0;
    double systematicVariance = 0.0;
    for (std::size_t i = 0; i < kParamCount; ++i) {
        const double sigma = model.Sigma[i];
        if (!(sigma > 0.0)) continue;
        const double step = sigma * 1e-3;
        auto up = model.Mean;
        auto down = model.Mean;
        up[i] += step;
        down[i] -= step;
        const TDoseRateComponents a = model.Evaluate(up);
        const TDoseRateComponents b = model.Evaluate(down);
        const auto add = [&](double TDoseRateComponents::*member) {
            const double part = (a.*member - b.*member) / (2.0 * step) * sigma;
            variance.*member += part * part;
            return part * part;
        };
        add(&TDoseRateComponents::Alpha);
        add(&TDoseRateComponents::Beta);
        add(&TDoseRateComponents::Gamma);
        add(&TDoseRateComponents::Cosmic);
        add(&TDoseRateComponents::Internal);
        const double total = add(&TDoseRateComponents::Total);
        (model.Systematic[i] ? systematicVariance : randomVariance) += total;
    }
    result.Alpha = {value.Alpha, std::sqrt(variance.Alpha)};
    result.Beta = {value.Beta, std::sqrt(variance.Beta)};
    result.Gamma = {value.Gamma, std::sqrt(variance.Gamma)};
    result.Cosmic = {value.Cosmic, std::sqrt(variance.Cosmic)};
    result.Internal = {value.Internal, std::sqrt(variance.Internal)};
    result.Total = {value.Total, std::sqrt(variance.Total)};
    result.TotalRandomError = std::sqrt(randomVariance);
    result.TotalSystematicError = std::sqrt(systematicVariance);

    if (inputs.MonteCarloDraws > 0) {
        result.HasMonteCarlo = true;
        result.MonteCarlo = RunDoseRateMonteCarlo(model, inputs.MonteCarloDraws, inputs.Seed, de,
                                                  inputs.SourceCalibrationError / 100.0);
        if (result.MonteCarlo.HasAge && !Finite(result.MonteCarlo.Age)) {
            result = TDoseRateResult{};
            message = kBeyondRangeMessage;
            return false;
        }
    }
    // Each input is checked on its own, but uncertainties near the largest number overflow
    // once they are squared and summed; such a result would print as "inf".
    if (!AllFinite(result)) {
        result = TDoseRateResult{};
        message = kBeyondRangeMessage;
        return false;
    }
    return true;
}

}  // namespace

bool ComputeDoseRate(const TDoseRateInputs& inputs, TDoseRateResult& result, std::string& message) {
    return DoseRateWithDraws(inputs, nullptr, result, message);
}

bool ComputeAge(const TMeasured& de, const TDoseRateInputs& inputs, TAgeResult& result,
                std::string& message) {
    result = TAgeResult{};
    if (!std::isfinite(de.Value) || de.Value <= 0.0) {
        message = "The equivalent dose 'de' must be larger than 0.";
        return false;
    }
    if (!std::isfinite(de.Error) || de.Error < 0.0) {
        message = "The uncertainty of the equivalent dose 'de_error' must not be negative.";
        return false;
    }
    if (!DoseRateWithDraws(inputs, &de, result.DoseRate, message)) return false;
    const double rate = result.DoseRate.Total.Value;
    if (!(rate > 0.0)) {
        message = "The dose rate is zero: give the contents, the cosmic dose rate or both.";
        return false;
    }
    result.Age = de.Value / rate;
    const double relDe = de.Error / de.Value;
    const double relRandom = result.DoseRate.TotalRandomError / rate;
    const double relSystematic = result.DoseRate.TotalSystematicError / rate;
    const double relCalibration = inputs.SourceCalibrationError / 100.0;
    result.ErrorRandom = result.Age * std::sqrt(relDe * relDe + relRandom * relRandom);
    result.ErrorSystematic = result.Age * std::hypot(relSystematic, relCalibration);
    result.ErrorCalibration = result.Age * relCalibration;
    result.ErrorTotal = std::hypot(result.ErrorRandom, result.ErrorSystematic);
    if (!std::isfinite(result.Age) || !std::isfinite(result.ErrorRandom) ||
        !std::isfinite(result.ErrorSystematic) || !std::isfinite(result.ErrorTotal)) {
        result = TAgeResult{};
        message = kBeyondRangeMessage;
        return false;
    }
    return true;
}
