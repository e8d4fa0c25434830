// orvane-cli summary: a readable account of a data file for people: what it holds, how its
// runs divide by kind and irradiation, the devices and sources, and its first records.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "platform/number_text.h"
#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"
#include "record_store/curve_fields.h"
#include "record_store/measurement_codes.h"
#include "record_store/views.h"

namespace {

constexpr int kRowsPerRun = 2;
constexpr int kMaxRows = 14;

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
    char text[256];
    va_list list;
    va_start(list, format);
    std::vsnprintf(text, sizeof text, format, list);
    va_end(list);
    return text;
}

// Shortest readable form of a number: up to 6 significant digits, no trailing zeros.
std::string Number(double value) {
    return NumberGeneral(value, 6);
}

// Field access that tolerates files whose schema lacks a field.
double Num(const TBinDataSet& s, const char* name) {
    const TBinField* f = s.FindField(name);
    if (f == nullptr) return 0.0;
    try {
        return s.AsFloat(f->index);
    } catch (const std::exception&) {
        return 0.0;
    }
}
bool Flag(const TBinDataSet& s, const char* name) {
    const TBinField* f = s.FindField(name);
    if (f == nullptr) return false;
    try {
        return s.AsBoolean(f->index);
    } catch (const std::exception&) {
        return false;
    }
}
std::string Text(const TBinDataSet& s, const char* name) {
    const TBinField* f = s.FindField(name);
    return f == nullptr ? std::string() : s.AsString(f->index);
}

struct TRecordFacts {
    long long run = 0;
    long long disk = 0;
    std::string_view kind;  // TL, OSL, IRSL or "-"
    bool background = false;
    bool normalisation = false;
    std::string radiation;  // alpha, beta, gamma or empty
    std::string source;
    double dose = 0;
    double rate = 0;
    std::string unit;
    std::string treatment;
    std::string device;  // description of the device and its settings
    int points = 0;
    double curveMax = 0;
};

std::string DoseUnit(const std::string& rateUnit) {
    const size_t slash = rateUnit.find('/');
    return slash == std::string::npos ? rateUnit : rateUnit.substr(0, slash);
}

void ReadIrradiation(const TBinDataSet& s, TRecordFacts& r) {
    if (s.FindField("Irradiating time") != nullptr) {  // single-aliquot files
        r.rate = Num(s, "Dose rate");
        r.dose = Num(s, "Irradiating time") * r.rate;
        r.unit = Text(s, "Dose rate unit");
        r.source = Text(s, "Source");
        const std::string letter = Text(s, "Irradiator");
        const char c = letter.empty() ? ' ' : letter[0];
        r.radiation = c == 'A'                                         ? "alpha"
                      : c == 'G'                                       ? "gamma"
                      : (c == 'B' || c == 'H' || c == 'L' || c == 'X') ? "beta"
                                                                       : "";
        return;
    }
    // The first of alpha, beta, gamma with a dose is the record's irradiation.
    for (const char* kind : {"Alpha", "Beta", "Gamma"}) {
        const std::string k = kind;
        const double rate = Num(s, (k + " rate").c_str());
        const double dose = Num(s, (k + " time").c_str()) * rate;
        if (r.rate == 0 && rate > 0) {  // the source the reader names, dose or not
            r.rate = rate;
            r.unit = Text(s, (k + " unit").c_str());
            r.source = Text(s, (k + " source").c_str());
            r.radiation = k == "Alpha" ? "alpha" : k == "Beta" ? "beta" : "gamma";
        }
        if (dose > 0) {
            r.dose = dose;
            r.rate = rate;
            r.unit = Text(s, (k + " unit").c_str());
            r.source = Text(s, (k + " source").c_str());
            r.radiation = k == "Alpha" ? "alpha" : k == "Beta" ? "beta" : "gamma";
            return;
        }
    }
}

std::string Treatment(const TBinDataSet& s, double dose) {
    const bool natural = Flag(s, "Nat TL");
    const bool bleached = Num(s, "Bleach time") > 0;
    if (dose > 0) {
        if (natural && bleached && Flag(s, "Before irrad")) return "regenerated";
        return natural ? "natural + dose" : "dosed";
    }
    if (bleached) return "bleached";
    return natural ? "natural" : "no dose";
}

std::string DeviceDescription(const TBinDataSet& s, int code, bool tl, std::string_view kind) {
    if (s.FindField("Dev#") == nullptr) return "no device field";
    const int npt = static_cast<int>(Num(s, "NPT"));
    if (tl) {
        const int spacing = static_cast<int>(Num(s, "Spacing"));
        return Printf("Dev# %-5d TL      heating %s degC/s, %d points of %d degC to %d degC", code,
                      Number(Num(s, "Ramp")).c_str(), npt + 1, spacing, (npt + 1) * spacing);
    }
    const TTimeBases bases{
        static_cast<int>(Num(s, "Time base 10")), static_cast<int>(Num(s, "Time base 100")),
        static_cast<int>(Num(s, "Time base 1000")), static_cast<int>(Num(s, "Time base 10000"))};
    const double power = s.FindField("Power") != nullptr
                             ? PowerPercent(static_cast<int>(Num(s, "Power")))
                             : Num(s, "Ramp");
    const int temperature = SampleTemperatureOf(static_cast<int>(Num(s, "Sample temp hi")),
                                                static_cast<int>(Num(s, "Sample temp")));
    const std::string name = kind == "IRSL" ? "IRSL" : OslDeviceName(DeviceOfCode(code));
    return Printf("Dev# %-5d %-7s %s %% power at %d degC, %d channels over %s s", code,
                  name.c_str(), Number(std::round(power * 10) / 10).c_str(), temperature, npt,
                  Number(OslTotalTime(bases)).c_str());
}

double CurveMaximum(const TBinDataSet& s, TViewKind view) {
    if (s.FindField("Raw data") == nullptr) return 0.0;
    TFloatArray curve;
    try {
        if (view == TViewKind::Dat || view == TViewKind::Das) {
            curve = ReadRawCurve(s);
        } else {
            curve = ReadCurveValues(s, ReadCurveFieldInfo(s, "Raw data"));
        }
    } catch (const std::exception&) {
        return 0.0;
    }
    double best = 0.0;
    for (double v : curve) {
        if (std::isfinite(v)) best = std::max(best, v);
    }
    return best;
}

TRecordFacts ReadFacts(const TBinDataSet& s, TViewKind view) {
    TRecordFacts r;
    r.run = static_cast<long long>(Num(s, "Run#"));
    r.disk = static_cast<long long>(Num(s, "Disk#"));
    const int code = static_cast<int>(Num(s, "Dev#"));
    const bool tl = IsTLDeviceCode(code);
    if (s.FindField("Dev#") == nullptr) {
        r.kind = "-";
    } else {
        r.kind = tl ? "TL" : DeviceOfCode(code) == kIrslDevice ? "IRSL" : "OSL";
    }
    r.background = s.FindField("TL run") != nullptr && !Flag(s, "TL run");
    r.normalisation = Flag(s, "Normalization");
    ReadIrradiation(s, r);
    r.treatment = Treatment(s, r.dose);
    r.device = DeviceDescription(s, code, tl, r.kind);
    r.points = static_cast<int>(Num(s, "NPT")) + (tl ? 1 : 0);
    r.curveMax = CurveMaximum(s, view);
    return r;
}

const char* ViewName(TViewKind view) {
    switch (view) {
        case TViewKind::Dat:
            return "DAT (the maker's fields of .DAT files)";
        case TViewKind::Sad:
            return "SAD (the maker's fields of .SAD files)";
        case TViewKind::Das:
            return "DAS (the maker's fields of .DAS files)";
        case TViewKind::General:
            return "general (the schema's fields)";
    }
    return "";
}

void PrintSummary(std::ostream& out, const TBinDataSet& store, TViewKind view,
                  const std::vector<TRecordFacts>& records) {
    std::set<long long> disks;
    for (const TRecordFacts& r : records) disks.insert(r.disk);
    out << "Data file summary\n";
    out << "  File      " << store.FileName() << "\n";
    out << "  Subfile   " << (store.SubFileName().empty() ? "(none)" : store.SubFileName())
        << (store.SubSize() > 0 ? "" : " (not used: the schema has no sub part)") << "\n";
    out << "  Schema    " << store.SchemaFileName() << "\n";
    out << "  View      " << ViewName(view) << "\n";
    out << Printf("  Records   %d  (main part %d bytes, sub part %d bytes)\n", store.RecordCount(),
                  store.MainSize(), store.SubSize());
    if (!disks.empty()) {
        out << Printf("  Disks     %zu  (%lld to %lld)\n", disks.size(), *disks.begin(),
                      *disks.rbegin());
    }

    out << "\nRuns by kind          all   sample  background  normalisation\n";
    for (const char* kind : {"TL", "OSL", "IRSL", "-"}) {
        int all = 0, sample = 0, background = 0, norm = 0;
        for (const TRecordFacts& r : records) {
            if (r.kind != kind) continue;
            ++all;
            if (r.background) {
                ++background;
            } else if (r.normalisation) {
                ++norm;
            } else {
                ++sample;
            }
        }
        if (all == 0) continue;
        out << Printf("  %-16s %6d %8d %11d %14d\n", std::string(kind) == "-" ? "no device" : kind,
                      all, sample, background, norm);
    }

    out << "\nSample runs by irradiation (background and normalisation runs left out)\n";
    const char* treatments[] = {"natural",     "natural + dose", "bleached",
                                "regenerated", "dosed",          "no dose"};
    const char* meanings[] = {"natural signal only",
                              "natural plus a laboratory dose",
                              "natural, bleached, not dosed",
                              "natural, bleached, then dosed",
                              "laboratory dose, no natural signal",
                              "neither natural nor dosed"};
    for (int t = 0; t < 6; ++t) {
        int count = 0;
        std::set<double> doses;
        for (const TRecordFacts& r : records) {
            if (r.background || r.normalisation || r.treatment != treatments[t]) continue;
            ++count;
            if (r.dose > 0) doses.insert(std::round(r.dose * 1000) / 1000);
        }
        if (count == 0) continue;
        std::string line = Printf("  %-16s %6d   %s", treatments[t], count, meanings[t]);
        if (!doses.empty()) {
            line += ";";
            for (double d : doses) {
                line += ' ';
                line += Number(d);
            }
            std::string unit;
            for (const TRecordFacts& r : records) {
                if (r.dose > 0) {
                    unit = DoseUnit(r.unit);
                    break;
                }
            }
            if (!unit.empty()) line += " " + unit;
        }
        out << line << "\n";
    }

    std::map<std::string, int> devices;
    std::vector<std::string> deviceOrder;
    for (const TRecordFacts& r : records) {
        if (devices[r.device]++ == 0) deviceOrder.push_back(r.device);
    }
    out << "\nDevices and settings\n";
    for (const std::string& d : deviceOrder) {
        out << Printf("  %4d records  ", devices[d]) << d << "\n";
    }

    std::vector<std::string> sources;
    for (const TRecordFacts& r : records) {
        if (r.rate <= 0) continue;
        const std::string text = Printf("  %-6s source \"%s\", %s %s", r.radiation.c_str(),
                                        r.source.c_str(), Number(r.rate).c_str(), r.unit.c_str());
        if (std::find(sources.begin(), sources.end(), text) == sources.end()) {
            sources.push_back(text);
        }
    }
    if (!sources.empty()) {
        out << "\nSources\n";
        for (const std::string& s : sources) out << s << "\n";
    }

    // The first records of every run, so that each kind of run shows.
    std::vector<const TRecordFacts*> rows;
    std::map<long long, int> perRun;
    for (const TRecordFacts& r : records) {
        if (perRun[r.run]++ < kRowsPerRun && static_cast<int>(rows.size()) < kMaxRows) {
            rows.push_back(&r);
        }
    }
    out << "\nFirst records of each run\n";
    out << "    Run  Disk  Kind   Run type     Treatment         Dose  Points  Curve max\n";
    for (const TRecordFacts* r : rows) {
        const char* type = r->background ? "background" : r->normalisation ? "normalise" : "sample";
        out << Printf("  %5lld %5lld  %-5s  %-11s  %-15s %7s %7d %10s\n", r->run, r->disk,
                      std::string(r->kind).c_str(), type, r->treatment.c_str(),
                      r->dose > 0 ? Number(std::round(r->dose * 100) / 100).c_str() : "-",
                      r->points, Number(r->curveMax).c_str());
    }
    if (records.size() > rows.size()) {
        out << Printf("  ... %zu records in all\n", records.size());
    }
}

}  // namespace

int RunSummaryCommand(const std::vector<std::string>& args) {
    return RunGuarded([&] {
        const TCommandLine line = ParseCommandLine(args, {"--schema"}, {});
        if (line.help) {
            std::cout << UsageText();
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"summary needs one FILE"};
        const std::string& path = line.positional[0];
        const std::string schema = line.Value("--schema").value_or("");
        TViewKind view = ViewKindForFile(path);
        TBinDataSet store;
        ConfigureView(store, view);
        try {
            OpenRecordFile(store, path, schema);
        } catch (const std::exception&) {
            // A schema of the file kind that lacks the maker's fields: the general view
            // still shows what the file holds.
            if (view == TViewKind::General) throw;
            view = TViewKind::General;
            ConfigureView(store, view);
            OpenRecordFile(store, path, schema);
        }
        std::vector<TRecordFacts> records;
        for (bool more = store.First(); more; more = store.Next()) {
            records.push_back(ReadFacts(store, view));
        }
        std::ostringstream text;
        PrintSummary(text, store, view, records);
        std::cout << text.str();
        return CloseRecordFile(store);
    });
}
