#include "analysis/age_report.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "analysis/water_correction.h"

#ifndef ORVANE_VERSION
#define ORVANE_VERSION "unknown"
#endif

namespace {

struct TRow {
    std::string Name;
    double Value;
    double Error;  // < 0: none
    std::string Unit;
};

// Numbers with a decimal point whatever the process locale.
std::string Format(double value, int digits = 4) {
    char buffer[40];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

std::string Fixed(double value, int decimals) {
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

std::string WithUnit(const std::string& text, const std::string& unit) {
    return unit.empty() ? text : text + " " + unit;
}

std::string Measured(const TMeasured& m, const std::string& unit) {
    return WithUnit(FormatMeasured(m.Value, m.Error), unit);
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::vector<TRow> ResultRows(const TMeasured& de, const TAgeResult& age) {
    const TDoseRateResult& r = age.DoseRate;
    std::vector<TRow> rows = {
        {"Alpha dose rate", r.Alpha.Value, r.Alpha.Error, "Gy/ka"},
        {"Beta dose rate", r.Beta.Value, r.Beta.Error, "Gy/ka"},
        {"Gamma dose rate", r.Gamma.Value, r.Gamma.Error, "Gy/ka"},
        {"Cosmic dose rate", r.Cosmic.Value, r.Cosmic.Error, "Gy/ka"},
        {"Internal dose rate", r.Internal.Value, r.Internal.Error, "Gy/ka"},
        {"Total dose rate", r.Total.Value, r.Total.Error, "Gy/ka"},
        {"Equivalent dose", de.Value, de.Error, "Gy"},
        {"Age", age.Age, age.ErrorTotal, "ka"},
        {"Age random uncertainty", age.ErrorRandom, -1, "ka"},
        {"Age systematic uncertainty", age.ErrorSystematic, -1, "ka"},
    };
    if (age.ErrorCalibration > 0.0) {
        rows.push_back({"of which source calibration", age.ErrorCalibration, -1, "ka"});
    }
    if (r.HasMonteCarlo) {
        rows.push_back({"Monte Carlo total dose rate", r.MonteCarlo.Total.Value,
                        r.MonteCarlo.Total.Error, "Gy/ka"});
        if (r.MonteCarlo.HasAge) {
            rows.push_back(
                {"Monte Carlo age", r.MonteCarlo.Age.Value, r.MonteCarlo.Age.Error, "ka"});
        }
    }
    return rows;
}

std::vector<TRow> StepRows(const TAgeResult& age) {
    const TDoseRateSteps& s = age.DoseRate.Steps;
    std::vector<TRow> rows = {
        {"K content", s.K, s.KError, "%"},
        {"U content", s.U, s.UError, "ppm"},
        {"Th content", s.Th, s.ThError, "ppm"},
        {"Rb content", s.Rb, s.RbError, "ppm"},
        {"Beta absorbed fraction U", s.Absorbed.Value.U, s.Absorbed.Error.U, ""},
        {"Beta absorbed fraction Th", s.Absorbed.Value.Th, s.Absorbed.Error.Th, ""},
        {"Beta absorbed fraction K", s.Absorbed.Value.K, s.Absorbed.Error.K, ""},
        {"Beta absorbed fraction Rb", s.RbAbsorbed.Value, s.RbAbsorbed.Error, ""},
        {"Etch factor U", s.Etch.Value.U, s.Etch.Error.U, ""},
        {"Etch factor Th", s.Etch.Value.Th, s.Etch.Error.Th, ""},
        {"Etch factor K", s.Etch.Value.K, s.Etch.Error.K, ""},
    };
    if (s.CountsAlpha) {
        rows.push_back({"Alpha fraction reaching the grain U", s.AlphaU.Value, s.AlphaU.Error, ""});
        rows.push_back(
            {"Alpha fraction reaching the grain Th", s.AlphaTh.Value, s.AlphaTh.Error, ""});
        rows.push_back({"Alpha etch factor U", s.AlphaEtchU.Value, s.AlphaEtchU.Error, ""});
        rows.push_back({"Alpha etch factor Th", s.AlphaEtchTh.Value, s.AlphaEtchTh.Error, ""});
    }
    const std::vector<TRow> more = {
        {"Water multiplier alpha", s.WaterAlpha, -1, ""},
        {"Water multiplier beta", s.WaterBeta, -1, ""},
        {"Water multiplier gamma", s.WaterGamma, -1, ""},
        {"Dry alpha dose rate", s.DryAlpha, -1, "Gy/ka"},
        {"Dry beta dose rate", s.DryBeta, -1, "Gy/ka"},
        {"Dry gamma dose rate", s.DryGamma, -1, "Gy/ka"},
    };
    rows.insert(rows.end(), more.begin(), more.end());
    if (s.CosmicFromSite) {
        rows.push_back({"Overburden", s.Cosmic.Overburden, -1, "hg/cm2"});
        rows.push_back({"Geomagnetic latitude", s.Cosmic.GeomagneticLatitude, -1, "deg"});
        rows.push_back({"Cosmic dose rate at sea level", s.Cosmic.SeaLevelDoseRate, -1, "Gy/ka"});
    }
    return rows;
}

// The inputs as "name: value" lines.
std::vector<std::pair<std::string, std::string>> InputLines(const TAgeReportHeader& header,
                                                            const TDoseRateInputs& in,
                                                            const TMeasured& de) {
    std::vector<std::pair<std::string, std::string>> lines;
    const auto add = [&lines](std::string name, std::string value) {
        lines.emplace_back(std::move(name), std::move(value));
    };
    add("Equivalent dose", Measured(de, "Gy") + " (" +
                               (header.DeSource.empty() ? std::string("typed") : header.DeSource) +
                               ")");
    add("Source calibration uncertainty",
        Format(in.SourceCalibrationError) + " % (systematic, age only)");
    add("K", in.HasKActivity ? Measured(in.KActivity, "Bq/kg K-40") : Measured(in.K, "%"));
    add("U", in.HasUActivity ? Measured(in.UActivity, "Bq/kg U-238") : Measured(in.U, "ppm"));
    add("Th", in.HasThActivity ? Measured(in.ThActivity, "Bq/kg Th-232") : Measured(in.Th, "ppm"));
    add("Rb", Measured(in.Rb, "ppm"));
    add("Conversion factors", std::string(ConversionTableCitation(in.Factors)));
    add("Grain size", in.HasGrainSize
                          ? Format(in.GrainSize.Min) + "-" + Format(in.GrainSize.Max) + " µm"
                          : std::string("none given (infinite-matrix beta dose)"));
    add("Beta attenuation", in.HasGrainSize ? std::string(BetaAttenuationCitation(in.Attenuation))
                                            : std::string("none"));
    add("Etch depth",
        in.HasEtch ? Format(in.Etch.Min) + "-" + Format(in.Etch.Max) + " µm" : std::string("none"));
    add("Water content",
        FormatMeasured(in.Water.Value * 100.0, in.Water.Error * 100.0) + " % of the dry mass");
    if (in.HasAValue) {
        const bool fine = !in.HasGrainSize || in.GrainSize.Max <= kFineGrainMaxDiameter;
        add("a-value", FormatMeasured(in.AValue.Value, in.AValue.Error) +
                           (fine ? " (fine grains: whole external alpha dose)"
                                 : " (coarse grains: attenuated external alpha dose)"));
    } else {
        add("a-value", "none (no alpha dose)");
    }
    if (in.HasInternalK) add("Internal K", Measured(in.InternalK, "%"));
    if (in.HasInternalRb) add("Internal Rb", Measured(in.InternalRb, "ppm"));
    if (in.HasInternalU) add("Internal U", Measured(in.InternalU, "ppm"));
    if (in.HasInternalTh) add("Internal Th", Measured(in.InternalTh, "ppm"));
    if (in.HasGammaRate) add("Measured gamma dose rate", Measured(in.GammaRate, "Gy/ka (in situ)"));
    if (in.HasAlphaRate) add("Measured alpha dose rate", Measured(in.AlphaRate, "Gy/ka"));
    if (in.HasBetaRate) add("Measured beta dose rate", Measured(in.BetaRate, "Gy/ka"));
    if (in.HasSite) {
        add("Cosmic dose rate", "from the site");
        add("Latitude, longitude",
            Format(in.Site.Latitude, 6) + "°, " + Format(in.Site.Longitude, 6) + "°");
        add("Altitude", Format(in.Site.Altitude, 6) + " m");
        add("Depth", Measured({in.Site.Depth, in.DepthError}, "m"));
        add("Overburden density", Measured({in.Site.Density, in.DensityError}, "g/cm3"));
    } else if (in.HasCosmic) {
        add("Cosmic dose rate",
            "typed, " +
                Measured({in.Cosmic, in.HasCosmicError ? in.CosmicError : 0.1 * in.Cosmic},
                         "Gy/ka") +
                (in.HasCosmicError ? "" : " (10 %)"));
    } else {
        add("Cosmic dose rate", "none");
    }
    add("Monte Carlo", in.MonteCarloDraws > 0
                           ? std::to_string(in.MonteCarloDraws) + " draws, seed " +
                                 std::to_string(in.Seed) + ", each input truncated at 0"
                           : std::string("none"));
    return lines;
}

std::vector<std::string> Sources(const TDoseRateInputs& in) {
    std::vector<std::string> sources = {
        "Conversion factors: " + std::string(ConversionTableCitation(in.Factors)),
        "Beta attenuation: " + std::string(BetaAttenuationCitation(in.Attenuation)) +
            "; etching: Brennan (2003)",
        "Alpha attenuation of coarse grains and internal alpha: sphere reciprocity after "
        "Brennan et al. (1991), ranges by Geiger and Bragg-Kleeman; etched 20 µm or more: no "
        "external alpha",
        "Rb absorbed fraction: Readhead (2002), K-feldspar",
        "Water: Aitken (1985), 1.50, 1.25, 1.14",
        "Cosmic dose rate: Prescott & Hutton (1994)",
        "Conventions: Durcan, King & Duller (2015); first-order propagation, shared constants "
        "systematic",
    };
    return sources;
}

}  // namespace

std::string_view OrvaneVersion() {
    return ORVANE_VERSION;
}

std::string FormatMeasured(double value, double error) {
    if (!std::isfinite(value)) return "?";
    if (!(error > 0.0) || !std::isfinite(error)) return Format(value);
    int exponent = static_cast<int>(std::floor(std::log10(error)));
    const double lead = error / std::pow(10.0, exponent);
    const int digits = lead < 2.0 - 1e-12 ? 2 : 1;
    int decimals = digits - 1 - exponent;
    // The rounded error may reach the next digit (0.096 -> 0.10): keep the decimals found.
    if (decimals >= 0) return Fixed(value, decimals) + " ± " + Fixed(error, decimals);
    const double step = std::pow(10.0, -decimals);
    return Fixed(std::round(value / step) * step, 0) + " ± " +
           Fixed(std::round(error / step) * step, 0);
}

std::string AgeReportText(const TAgeReportHeader& header, const TDoseRateInputs& inputs,
                          const TMeasured& de, const TAgeResult& age) {
    std::string out = "Dose rate and age";
    if (!header.Sample.empty()) out += " of " + header.Sample;
    out += "\nOrvane Editor " + std::string(OrvaneVersion()) + "\n\nInputs\n";
    for (const auto& [name, value] : InputLines(header, inputs, de)) {
        out += "  " + name + ": " + value + "\n";
    }
    out += "\nResults\n";
    for (const TRow& row : ResultRows(de, age)) {
        const std::string value =
            row.Error >= 0.0 ? FormatMeasured(row.Value, row.Error) : Format(row.Value, 3);
        out += "  " + row.Name + ": " + WithUnit(value, row.Unit) + "\n";
    }
    out += "\nSteps\n";
    for (const TRow& row : StepRows(age)) {
        const std::string value =
            row.Error > 0.0 ? FormatMeasured(row.Value, row.Error) : Format(row.Value);
        out += "  " + row.Name + ": " + WithUnit(value, row.Unit) + "\n";
    }
    out += "\nSources\n";
    for (const std::string& source : Sources(inputs)) out += "  " + source + "\n";
    return out;
}

std::string AgeReportCsv(const TAgeReportHeader& header, const TDoseRateInputs& inputs,
                         const TMeasured& de, const TAgeResult& age) {
    std::string out = "quantity,value,error,unit\n";
    out += "Sample," + CsvField(header.Sample) + ",,\n";
    out += "Program,Orvane Editor " + std::string(OrvaneVersion()) + ",,\n";
    for (const auto& [name, value] : InputLines(header, inputs, de)) {
        out += CsvField("Input: " + name) + "," + CsvField(value) + ",,\n";
    }
    std::vector<TRow> rows = ResultRows(de, age);
    const std::vector<TRow> steps = StepRows(age);
    rows.insert(rows.end(), steps.begin(), steps.end());
    for (const TRow& row : rows) {
        out += CsvField(row.Name) + "," + Format(row.Value, 10) + "," +
               (row.Error >= 0.0 ? Format(row.Error, 10) : std::string()) + "," +
               CsvField(row.Unit) + "\n";
    }
    for (const std::string& source : Sources(inputs)) out += "Source," + CsvField(source) + ",,\n";
    return out;
}

namespace {
constexpr const char* kFadingSource =
    "Fading correction: Huntley & Lamothe (2001), for doses on the linear part of the growth "
    "curve only";
}  // namespace

std::string FadingReportText(const TFadingCorrectionInput& in, const TFadingCorrectionResult& r) {
    std::string out = "\nFading correction\n";
    out += "  g-value: " + FormatMeasured(in.G, in.GError) + " %/decade, normalised to " +
           Format(in.TcG > 0.0 ? in.TcG : in.Tc, 6) + " s\n";
    out += "  tc: " + Format(in.Tc, 6) + " s\n";
    out += "  g-value at tc: " + FormatMeasured(r.G, r.GError) + " %/decade\n";
    out += "  kappa: " + Format(r.Kappa, 6) + "\n";
    out += "  Fading-corrected age: " + FormatMeasured(r.Age, r.AgeError) + " ka\n";
    out += "  Monte Carlo: " + std::to_string(in.Draws) + " draws, seed " +
           std::to_string(in.Seed);
    if (r.DrawsRefused > 0)
        out += ", " + std::to_string(r.DrawsRefused) + " beyond the model left out";
    out += "\n  " + std::string(kFadingSource) + "\n";
    return out;
}

std::string FadingReportCsv(const TFadingCorrectionInput& in, const TFadingCorrectionResult& r) {
    std::string out;
    out += "Input: g-value," + Format(in.G, 10) + "," + Format(in.GError, 10) + ",%/decade\n";
    out += "Input: tc," + Format(in.Tc, 10) + ",,s\n";
    out += "Input: tc of g," + Format(in.TcG > 0.0 ? in.TcG : in.Tc, 10) + ",,s\n";
    out += "g-value at tc," + Format(r.G, 10) + "," + Format(r.GError, 10) + ",%/decade\n";
    out += "kappa," + Format(r.Kappa, 10) + ",,\n";
    out += "Fading-corrected age," + Format(r.Age, 10) + "," + Format(r.AgeError, 10) + ",ka\n";
    out += "Source," + CsvField(kFadingSource) + ",,\n";
    return out;
}
