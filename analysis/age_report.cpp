#include "analysis/age_report.h"

#include <charconv>
#include <vector>

#include "analysis/water_correction.h"

namespace {

struct TRow {
    std::string Name;
    double Value;
    double Error;  // < 0: none
    std::string Unit;
};

std::vector<TRow> Rows(const TMeasured& de, const TAgeResult& age) {
    const TDoseRateResult& r = age.DoseRate;
    const TDoseRateSteps& s = r.Steps;
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
    const std::vector<TRow> steps = {
        {"K content", s.K, s.KError, "%"},
        {"U content", s.U, s.UError, "ppm"},
        {"Th content", s.Th, s.ThError, "ppm"},
        {"Rb content", s.Rb, s.RbError, "ppm"},
        {"Beta absorbed fraction U", s.Absorbed.Value.U, s.Absorbed.Error.U, ""},
        {"Beta absorbed fraction Th", s.Absorbed.Value.Th, s.Absorbed.Error.Th, ""},
        {"Beta absorbed fraction K", s.Absorbed.Value.K, s.Absorbed.Error.K, ""},
        {"Etch factor U", s.Etch.Value.U, s.Etch.Error.U, ""},
        {"Etch factor Th", s.Etch.Value.Th, s.Etch.Error.Th, ""},
        {"Etch factor K", s.Etch.Value.K, s.Etch.Error.K, ""},
        {"Water multiplier alpha", s.WaterAlpha, -1, ""},
        {"Water multiplier beta", s.WaterBeta, -1, ""},
        {"Water multiplier gamma", s.WaterGamma, -1, ""},
        {"Dry alpha dose rate", s.DryAlpha, -1, "Gy/ka"},
        {"Dry beta dose rate", s.DryBeta, -1, "Gy/ka"},
        {"Dry gamma dose rate", s.DryGamma, -1, "Gy/ka"},
    };
    rows.insert(rows.end(), steps.begin(), steps.end());
    if (s.CosmicFromSite) {
        rows.push_back({"Overburden", s.Cosmic.Overburden, -1, "hg/cm2"});
        rows.push_back({"Geomagnetic latitude", s.Cosmic.GeomagneticLatitude, -1, "deg"});
        rows.push_back({"Cosmic dose rate at sea level", s.Cosmic.SeaLevelDoseRate, -1, "Gy/ka"});
    }
    if (r.HasMonteCarlo) {
        rows.push_back({"Monte Carlo total dose rate", r.MonteCarlo.Total.Value,
                        r.MonteCarlo.Total.Error, "Gy/ka"});
    }
    return rows;
}

// Numbers with a decimal point whatever the process locale.
std::string Format(double value, int digits = 4) {
    char buffer[40];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

}  // namespace

std::string AgeReportText(const std::string& sample, const TDoseRateInputs& inputs,
                          const TMeasured& de, const TAgeResult& age) {
    std::string out = "Dose rate and age";
    if (!sample.empty()) out += " of " + sample;
    out += "\n\nConversion factors: " + std::string(ConversionTableCitation(inputs.Factors));
    if (inputs.HasGrainSize) {
        out += "\nGrain size: " + Format(inputs.GrainSize.Min) + "-" +
               Format(inputs.GrainSize.Max) + " µm, " +
               std::string(BetaAttenuationCitation(inputs.Attenuation));
    } else {
        out += "\nGrain size: none given (infinite-matrix beta dose)";
    }
    if (inputs.HasEtch) {
        out += "\nEtch depth: " + Format(inputs.Etch.Min) + "-" + Format(inputs.Etch.Max) +
               " µm, Brennan (2003)";
    }
    out += "\nWater content: " + Format(inputs.Water.Value) + " ± " + Format(inputs.Water.Error) +
           " (Aitken 1985: 1.50, 1.25, 1.14)";
    if (inputs.HasAValue) {
        out += "\na-value: " + Format(inputs.AValue.Value) + " ± " + Format(inputs.AValue.Error);
    }
    if (inputs.HasSite) {
        out += "\nSite: " + Format(inputs.Site.Latitude) + "°, " + Format(inputs.Site.Longitude) +
               "°, " + Format(inputs.Site.Altitude) + " m, depth " + Format(inputs.Site.Depth) +
               " m, density " + Format(inputs.Site.Density) + " g/cm3 (Prescott & Hutton 1994)";
    }
    out += "\nUncertainties: first-order propagation; cosmic dose rate 10 % unless typed.\n\n";
    for (const TRow& row : Rows(de, age)) {
        out += row.Name + ": " + Format(row.Value);
        if (row.Error >= 0.0) out += " ± " + Format(row.Error);
        if (!row.Unit.empty()) out += " " + row.Unit;
        out += "\n";
    }
    return out;
}

std::string AgeReportCsv(const std::string& sample, const TDoseRateInputs& inputs,
                         const TMeasured& de, const TAgeResult& age) {
    std::string out = "quantity,value,error,unit\n";
    out += "Sample," + CsvField(sample) + ",,\n";
    out += "Conversion factors," + CsvField(std::string(ConversionTableCitation(inputs.Factors))) +
           ",,\n";
    for (const TRow& row : Rows(de, age)) {
        out += CsvField(row.Name) + "," + Format(row.Value, 10) + "," +
               (row.Error >= 0.0 ? Format(row.Error, 10) : std::string()) + "," +
               CsvField(row.Unit) + "\n";
    }
    return out;
}
