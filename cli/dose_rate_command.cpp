// orvane-cli dose-rate and orvane-cli age: the dose-rate calculator and the age headless.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/age_report.h"
#include "analysis/dose_rate.h"
#include "analysis/dose_rate_json.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/json_writer.h"

namespace {

constexpr std::string_view kDoseRateOptions =
    "  --k P --k-error E --u PPM --u-error E --th PPM --th-error E [--rb PPM --rb-error E]\n"
    "      contents of the sediment; or activities in Bq/kg: --k-bq, --u-bq, --th-bq\n"
    "      (each with --...-bq-error)\n"
    "  --factors guerin2011|adamiec1998|liritzis2013|cresswell2018   (default guerin2011)\n"
    "  --grain-size MIN MAX (µm)  --attenuation guerin2012-quartz|guerin2012-feldspar|\n"
    "      mejdahl1979 (default guerin2012-quartz)  --etch MIN MAX (µm)\n"
    "  --water W --water-error E  (fraction of the dry mass), or in per cent of the dry mass\n"
    "      --water-percent P --water-error-percent E\n"
    "  --a-value A --a-value-error E  (counts the alpha dose: whole for fine grains up to\n"
    "      15 µm, attenuated for coarse grains, no external alpha when etched 20 µm or more)\n"
    "  --internal-k P [--internal-k-error E] --internal-rb PPM [--internal-rb-error E]\n"
    "  --internal-u PPM [--internal-u-error E] --internal-th PPM [--internal-th-error E]\n"
    "  --gamma-rate GY_KA [--gamma-rate-error E]  measured in situ, used as given\n"
    "  --alpha-rate GY_KA, --beta-rate GY_KA (each with --...-error)  to the grains, as given\n"
    "  --latitude DEG --longitude DEG --altitude M --depth M --density G_CM3\n"
    "      [--depth-error M --density-error G_CM3]\n"
    "      or --cosmic GY_KA [--cosmic-error E]  (10 % when no error is typed)\n"
    "  --source-calibration-error PERCENT  the beta source's calibration (age, systematic)\n"
    "  --mc N --seed S  Monte Carlo draws for comparison (inputs truncated at 0)\n"
    "  --inputs FILE.json  the sample's inputs file; options on the line override it\n";

const std::string kDoseRateUsage =
    "usage: orvane-cli dose-rate OPTIONS\n"
    "\n"
    "The environmental dose rate (Gy/ka): alpha, beta, gamma, cosmic, internal and total,\n"
    "each with its uncertainty, the intermediate values and the inputs, as JSON.\n"
    "\n" +
    std::string(kDoseRateOptions);

const std::string kAgeUsage =
    "usage: orvane-cli age --de GY --de-error E [--report] OPTIONS\n"
    "\n"
    "The age (ka) = equivalent dose / dose rate, with its random, systematic and total\n"
    "uncertainty and the dose rate, as JSON; with --report the readable report instead (every\n"
    "input, values rounded to their uncertainty, the sources). The options of the dose rate:\n"
    "\n" +
    std::string(kDoseRateOptions);

bool ParseNumber(std::string_view text, double& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size() &&
           std::isfinite(value);
}

// A number option and where it goes.
struct TNumberOption {
    const char* Name;
    void (*Set)(TDoseRateInputs&, TMeasured&, double);
};

const TNumberOption kNumberOptions[] = {
    {"--k", [](TDoseRateInputs& in, TMeasured&, double v) { in.K.Value = v; }},
    {"--k-error", [](TDoseRateInputs& in, TMeasured&, double v) { in.K.Error = v; }},
    {"--u", [](TDoseRateInputs& in, TMeasured&, double v) { in.U.Value = v; }},
    {"--u-error", [](TDoseRateInputs& in, TMeasured&, double v) { in.U.Error = v; }},
    {"--th", [](TDoseRateInputs& in, TMeasured&, double v) { in.Th.Value = v; }},
    {"--th-error", [](TDoseRateInputs& in, TMeasured&, double v) { in.Th.Error = v; }},
    {"--rb", [](TDoseRateInputs& in, TMeasured&, double v) { in.Rb.Value = v; }},
    {"--rb-error", [](TDoseRateInputs& in, TMeasured&, double v) { in.Rb.Error = v; }},
    {"--k-bq",
     [](TDoseRateInputs& in, TMeasured&, double v) {
         in.HasKActivity = true;
         in.KActivity.Value = v;
     }},
    {"--k-bq-error", [](TDoseRateInputs& in, TMeasured&, double v) { in.KActivity.Error = v; }},
    {"--u-bq",
     [](TDoseRateInputs& in, TMeasured&, double v) {
         in.HasUActivity = true;
         in.UActivity.Value = v;
     }},
    {"--u-bq-error", [](TDoseRateInputs& in, TMeasured&, double v) { in.UActivity.Error = v; }},
    {"--th-bq",
     [](TDoseRateInputs& in, TMeasured&, double v) {
         in.HasThActivity = true;
         in.ThActivity.Value = v;
     }},
    {"--th-bq-error", [](TDoseRateInputs& in, TMeasured&, double v) { in.ThActivity.Error = v; }},
    {"--water", [](TDoseRateInputs& in, TMeasured&, double v) { in.Water.Value = v; }},
    {"--water-error", [](TDoseRateInputs& in, TMeasured&, double v) { in.Water.Error = v; }},
    {"--a-value",
     [](TDoseRateInputs& in, TMeasured&, double v) {
         in.HasAValue = true;
         in.AValue.Value = v;
     }},
    {"--a-value-error", [](TDoseRateInputs& in, TMeasured&, double v) { in.AValue.Error = v; }},
    {"--internal-k",
     [](TDoseRateInputs& in, TMeasured&, double v) {
         in.HasInternalK = true;
         in.InternalK.Value = v;
     }},
    {"--internal-k-error",
     [](TDoseRateInputs& in, TMeasured&, double v) { in.InternalK.Error = v; }},
    {"--internal-rb",
     [](TDoseRateInputs& in, TMeasured&, double v) {
         in.HasInternalRb = true;
         in.InternalRb.Value = v;
     }},
    {"--internal-rb-error",
     [](TDoseRateInputs& in, TMeasured&, double v) { in.InternalRb.Error = v; }},
    {"--water-percent",
     [](TDoseRateInputs& in, TMeasured&, double v) { in.Water.Value = v / 100.0; }},
    {"--water-error-percent",
     [](TDoseRateInputs& in, TMeasured&, double v) { in.Water.Error = v / 100.0; }},
    {"--internal-u",
     [](TDoseRateInputs& in, TMeasured&, double v) {
         in.HasInternalU = true;
         in.InternalU.Value = v;
     }},
    {"--internal-u-error",
     [](TDoseRateInputs& in, TMeasured&, double v) { in.InternalU.Error = v; }},
    {"--internal-th",
     [](TDoseRateInputs& in, TMeasured&, double v) {
         in.HasInternalTh = true;
         in.InternalTh.Value = v;
     }},
    {"--internal-th-error",
     [](TDoseRateInputs& in, TMeasured&, double v) { in.InternalTh.Error = v; }},
    {"--gamma-rate",
     [](TDoseRateInputs& in, TMeasured&, double v) {
         in.HasGammaRate = true;
         in.GammaRate.Value = v;
     }},
    {"--gamma-rate-error",
     [](TDoseRateInputs& in, TMeasured&, double v) { in.GammaRate.Error = v; }},
    {"--alpha-rate",
     [](TDoseRateInputs& in, TMeasured&, double v) {
         in.HasAlphaRate = true;
         in.AlphaRate.Value = v;
     }},
    {"--alpha-rate-error",
     [](TDoseRateInputs& in, TMeasured&, double v) { in.AlphaRate.Error = v; }},
    {"--beta-rate",
     [](TDoseRateInputs& in, TMeasured&, double v) {
         in.HasBetaRate = true;
         in.BetaRate.Value = v;
     }},
    {"--beta-rate-error", [](TDoseRateInputs& in, TMeasured&, double v) { in.BetaRate.Error = v; }},
    {"--depth-error", [](TDoseRateInputs& in, TMeasured&, double v) { in.DepthError = v; }},
    {"--density-error", [](TDoseRateInputs& in, TMeasured&, double v) { in.DensityError = v; }},
    {"--source-calibration-error",
     [](TDoseRateInputs& in, TMeasured&, double v) { in.SourceCalibrationError = v; }},
    {"--latitude", [](TDoseRateInputs& in, TMeasured&, double v) { in.Site.Latitude = v; }},
    {"--longitude", [](TDoseRateInputs& in, TMeasured&, double v) { in.Site.Longitude = v; }},
    {"--altitude", [](TDoseRateInputs& in, TMeasured&, double v) { in.Site.Altitude = v; }},
    {"--depth", [](TDoseRateInputs& in, TMeasured&, double v) { in.Site.Depth = v; }},
    {"--density", [](TDoseRateInputs& in, TMeasured&, double v) { in.Site.Density = v; }},
    {"--cosmic",
     [](TDoseRateInputs& in, TMeasured&, double v) {
         in.HasCosmic = true;
         in.Cosmic = v;
     }},
    {"--cosmic-error",
     [](TDoseRateInputs& in, TMeasured&, double v) {
         in.HasCosmicError = true;
         in.CosmicError = v;
     }},
    {"--de", [](TDoseRateInputs&, TMeasured& de, double v) { de.Value = v; }},
    {"--de-error", [](TDoseRateInputs&, TMeasured& de, double v) { de.Error = v; }},
};

constexpr std::string_view kSiteOptions[] = {"--latitude", "--longitude", "--altitude", "--depth",
                                             "--density"};

struct TParsed {
    TDoseRateInputs Inputs;
    TMeasured De;
    bool HasDe = false;
    std::string DeSource;
    std::string Sample;
    bool Report = false;
};

// Reads the options (the inputs file first, the options on the line over it). Throws
// TUsageError for a bad command line; a bad inputs file gives a message in `failure`.
bool ParseOptions(const std::vector<std::string>& args, bool age, TParsed& parsed,
                  std::string& failure) {
    // The inputs file first, so that the options on the line override it.
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--inputs") continue;
        if (i + 1 >= args.size()) throw TUsageError{"missing value after '--inputs'"};
        const std::string& path = args[i + 1];
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            failure = "cannot open the inputs file '" + path + "'";
            return false;
        }
        std::string text;
        std::vector<char> buffer(4096);
        while (file.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) ||
               file.gcount() > 0) {
            text.append(buffer.data(), static_cast<std::size_t>(file.gcount()));
            if (text.size() > kMaxDoseRateJsonSize) break;
        }
        TAgeFileExtras extras;
        std::string message;
        if (!ParseDoseRateInputsJson(text, parsed.Inputs, extras, message)) {
            failure = path + ": " + message;
            return false;
        }
        if (extras.HasDe) {
            parsed.HasDe = true;
            parsed.De = extras.De;
            parsed.DeSource = extras.DeSource.empty() ? "inputs file " + path
                                                      : extras.DeSource + " (inputs file)";
        }
        parsed.Sample = extras.Sample;
    }
    int siteOptions = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") continue;
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw TUsageError{"missing value after '" + name + "'"};
            return args[++i];
        };
        const auto number = [&]() {
            const std::string& text = value();
            double v = 0.0;
            if (!ParseNumber(text, v)) {
                throw TUsageError{InQuotes(text) + " is not a number (" + name + ")"};
            }
            return v;
        };
        if (name == "--inputs") {
            value();
            continue;
        }
        if (age && name == "--report") {
            parsed.Report = true;
            continue;
        }
        bool done = false;
        for (const TNumberOption& option : kNumberOptions) {
            if (name != option.Name) continue;
            if (!age && (name == "--de" || name == "--de-error")) break;
            option.Set(parsed.Inputs, parsed.De, number());
            if (name == "--de") {
                parsed.HasDe = true;
                parsed.DeSource = "typed";
            }
            for (auto site : kSiteOptions) siteOptions += site == name ? 1 : 0;
            done = true;
            break;
        }
        if (done) continue;
        if (name == "--grain-size" || name == "--etch") {
            const double low = number();
            const double high = number();
            if (name == "--etch") {
                parsed.Inputs.HasEtch = true;
                parsed.Inputs.Etch = {low, high};
            } else {
                parsed.Inputs.HasGrainSize = true;
                parsed.Inputs.GrainSize = {low, high};
            }
        } else if (name == "--factors") {
            const std::string& key = value();
            if (!ParseConversionTable(key, parsed.Inputs.Factors)) {
                throw TUsageError{"unknown conversion factors " + InQuotes(key) + " (--factors)"};
            }
        } else if (name == "--attenuation") {
            const std::string& key = value();
            if (!ParseBetaAttenuationTable(key, parsed.Inputs.Attenuation)) {
                throw TUsageError{"unknown attenuation table " + InQuotes(key) +
                                  " (--attenuation)"};
            }
        } else if (name == "--mc" || name == "--seed") {
            const std::string& text = value();
            unsigned long long v = 0;
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
            if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
                throw TUsageError{InQuotes(text) + " is not a whole number (" + name + ")"};
            }
            if (name == "--seed") {
                parsed.Inputs.Seed = v;
            } else {
                parsed.Inputs.MonteCarloDraws =
                    v > static_cast<unsigned long long>(kMaxMonteCarloDraws)
                        ? kMaxMonteCarloDraws + 1
                        : static_cast<int>(v);
            }
        } else {
            throw TUsageError{"unknown option " + InQuotes(name)};
        }
    }
    if (siteOptions > 0) {
        if (siteOptions < static_cast<int>(std::size(kSiteOptions)) && !parsed.Inputs.HasSite) {
            for (auto site : kSiteOptions) {
                if (std::find(args.begin(), args.end(), site) == args.end()) {
                    throw TUsageError{"the site of the sample needs " + std::string(site) +
                                      " as well"};
                }
            }
        }
        parsed.Inputs.HasSite = true;
    }
    return true;
}

void WriteValue(TJsonWriter& json, std::string_view key, const TDoseRateValue& v) {
    json.Key(key);
    json.BeginObject();
    json.Member("value", v.Value);
    json.Member("error", v.Error);
    json.EndObject();
}

void WriteSeries(TJsonWriter& json, std::string_view key, const TSeriesFactors& f) {
    json.Key(key);
    json.BeginObject();
    json.Member("u", f.U);
    json.Member("th", f.Th);
    json.Member("k", f.K);
    json.EndObject();
}

void WriteSteps(TJsonWriter& json, const TDoseRateSteps& s) {
    json.Key("steps");
    json.BeginObject();
    json.Key("contents");
    json.BeginObject();
    json.Member("k", s.K);
    json.Member("k_error", s.KError);
    json.Member("u", s.U);
    json.Member("u_error", s.UError);
    json.Member("th", s.Th);
    json.Member("th_error", s.ThError);
    json.Member("rb", s.Rb);
    json.Member("rb_error", s.RbError);
    json.EndObject();
    json.Key("conversion_factors");
    json.BeginObject();
    const std::pair<const char*, const TFactor*> factors[] = {
        {"alpha_u", &s.Factors.AlphaU}, {"alpha_th", &s.Factors.AlphaTh},
        {"beta_u", &s.Factors.BetaU},   {"beta_th", &s.Factors.BetaTh},
        {"beta_k", &s.Factors.BetaK},   {"beta_rb", &s.Factors.BetaRb},
        {"gamma_u", &s.Factors.GammaU}, {"gamma_th", &s.Factors.GammaTh},
        {"gamma_k", &s.Factors.GammaK}};
    for (const auto& [key, factor] : factors) {
        WriteValue(json, key, {factor->Value, factor->Error});
    }
    json.EndObject();
    WriteSeries(json, "beta_absorbed_fraction", s.Absorbed.Value);
    WriteSeries(json, "beta_absorbed_fraction_error", s.Absorbed.Error);
    WriteSeries(json, "etch_factor", s.Etch.Value);
    WriteSeries(json, "etch_factor_error", s.Etch.Error);
    WriteValue(json, "rb_absorbed_fraction", {s.RbAbsorbed.Value, s.RbAbsorbed.Error});
    json.Member("fine_grains", s.FineGrains);
    json.Key("alpha_fraction");
    json.BeginObject();
    WriteValue(json, "u", {s.AlphaU.Value, s.AlphaU.Error});
    WriteValue(json, "th", {s.AlphaTh.Value, s.AlphaTh.Error});
    json.EndObject();
    json.Key("alpha_etch_factor");
    json.BeginObject();
    WriteValue(json, "u", {s.AlphaEtchU.Value, s.AlphaEtchU.Error});
    WriteValue(json, "th", {s.AlphaEtchTh.Value, s.AlphaEtchTh.Error});
    json.EndObject();
    json.Key("water_multiplier");
    json.BeginObject();
    json.Member("alpha", s.WaterAlpha);
    json.Member("beta", s.WaterBeta);
    json.Member("gamma", s.WaterGamma);
    json.EndObject();
    json.Key("dry");
    json.BeginObject();
    json.Member("alpha", s.DryAlpha);
    json.Member("beta", s.DryBeta);
    json.Member("gamma", s.DryGamma);
    json.EndObject();
    json.Key("cosmic");
    json.BeginObject();
    json.Member("from_site", s.CosmicFromSite);
    if (s.CosmicFromSite) {
        json.Member("overburden_hg_cm2", s.Cosmic.Overburden);
        json.Member("geomagnetic_latitude", s.Cosmic.GeomagneticLatitude);
        json.Member("sea_level_dose_rate", s.Cosmic.SeaLevelDoseRate);
        json.Member("f", s.Cosmic.F);
        json.Member("j", s.Cosmic.J);
        json.Member("h", s.Cosmic.H);
    }
    json.Member("dose_rate", s.Cosmic.DoseRate);
    json.EndObject();
    json.EndObject();
}

void WriteInputs(TJsonWriter& json, const TDoseRateInputs& inputs) {
    json.Key("inputs");
    json.BeginObject();
    for (const TDoseRateInputField& f : DoseRateInputFields(inputs)) {
        json.Key(f.Key);
        switch (f.Type) {
            case TDoseRateInputField::Number:
                json.Double(f.Value);
                break;
            case TDoseRateInputField::Text:
                json.String(f.String);
                break;
            case TDoseRateInputField::Pair:
                json.DoubleArray({f.Value, f.Second});
                break;
        }
    }
    json.EndObject();
}

// The members of a dose-rate result (inside an open object).
void WriteDoseRate(TJsonWriter& json, const TDoseRateResult& r, const TDoseRateInputs& inputs) {
    WriteValue(json, "alpha", r.Alpha);
    WriteValue(json, "beta", r.Beta);
    WriteValue(json, "gamma", r.Gamma);
    WriteValue(json, "cosmic", r.Cosmic);
    WriteValue(json, "internal", r.Internal);
    WriteValue(json, "total", r.Total);
    json.Member("total_error_random", r.TotalRandomError);
    json.Member("total_error_systematic", r.TotalSystematicError);
    if (r.HasMonteCarlo) {
        json.Key("monte_carlo");
        json.BeginObject();
        json.Member("draws", r.MonteCarlo.Draws);
        json.Member("seed", static_cast<std::int64_t>(r.MonteCarlo.Seed));
        WriteValue(json, "alpha", r.MonteCarlo.Alpha);
        WriteValue(json, "beta", r.MonteCarlo.Beta);
        WriteValue(json, "gamma", r.MonteCarlo.Gamma);
        WriteValue(json, "cosmic", r.MonteCarlo.Cosmic);
        WriteValue(json, "internal", r.MonteCarlo.Internal);
        WriteValue(json, "total", r.MonteCarlo.Total);
        if (r.MonteCarlo.HasAge) WriteValue(json, "age", r.MonteCarlo.Age);
        json.EndObject();
    }
    WriteSteps(json, r.Steps);
    WriteInputs(json, inputs);
}

int Run(const std::vector<std::string>& args, bool age) {
    const std::string& usage = age ? kAgeUsage : kDoseRateUsage;
    const char* command = age ? "age" : "dose-rate";
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << usage;
            return kExitOk;
        }
    }
    TParsed parsed;
    std::string failure;
    try {
        if (!ParseOptions(args, age, parsed, failure)) {
            std::cerr << "orvane-cli " << command << ": " << failure << "\n";
            return kExitFailure;
        }
    } catch (const TUsageError& error) {
        std::cerr << "orvane-cli " << command << ": " << error.message << "\n" << usage;
        return kExitUsage;
    }
    // Everything is computed before anything is written: a refusal leaves standard output
    // empty.
    std::ostringstream out;
    TJsonWriter json(out);
    std::string message;
    if (age) {
        if (!parsed.HasDe) {
            std::cerr << "orvane-cli age: the equivalent dose --de is required\n" << usage;
            return kExitUsage;
        }
        TAgeResult result;
        if (!ComputeAge(parsed.De, parsed.Inputs, result, message)) {
            std::cerr << "orvane-cli age: " << message << "\n";
            return kExitFailure;
        }
        if (parsed.Report) {
            std::cout << AgeReportText({parsed.Sample, parsed.DeSource}, parsed.Inputs, parsed.De,
                                       result);
            return kExitOk;
        }
        json.BeginObject();
        json.Member("age_ka", result.Age);
        json.Member("error_random", result.ErrorRandom);
        json.Member("error_systematic", result.ErrorSystematic);
        json.Member("error_total", result.ErrorTotal);
        json.Member("error_calibration", result.ErrorCalibration);
        WriteValue(json, "de", {parsed.De.Value, parsed.De.Error});
        json.Member("de_source", parsed.DeSource);
        json.Member("program_version", std::string(OrvaneVersion()));
        json.Key("dose_rate");
        json.BeginObject();
        WriteDoseRate(json, result.DoseRate, parsed.Inputs);
        json.EndObject();
        json.EndObject();
    } else {
        TDoseRateResult result;
        if (!ComputeDoseRate(parsed.Inputs, result, message)) {
            std::cerr << "orvane-cli dose-rate: " << message << "\n";
            return kExitFailure;
        }
        json.BeginObject();
        WriteDoseRate(json, result, parsed.Inputs);
        json.EndObject();
    }
    json.Finish();
    std::cout << out.str();
    return kExitOk;
}

}  // namespace

int RunDoseRateCommand(const std::vector<std::string>& args) {
    return Run(args, false);
}

int RunAgeCommand(const std::vector<std::string>& args) {
    return Run(args, true);
}
