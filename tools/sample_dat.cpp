// Simulation of S12.DAT: a multi-aliquot measurement of one sample with a known natural dose.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/number_text.h"
#include "record_store/measurement_codes.h"
#include "tools/sample_generator.h"
#include "tools/sample_physics.h"
#include "tools/sample_random.h"

namespace {

// --- Reader settings ---
constexpr double kTlHeatingRate = 5.0;  // degC/s
constexpr int kTlSpacing = 5;           // degC per point
constexpr int kTlNpt = 99;              // 100 points, 0 to 495 degC
constexpr double kRoomCelsius = 20.0;
constexpr double kIncandescenceAt500 = 2500.0;  // counts/s
constexpr double kDarkRate = 15.0;              // counts/s of the photomultiplier

constexpr int kOslDeviceCode = 2100;   // "OSL #1", blue diodes
constexpr int kIrslDeviceCode = 2800;  // IRSL diodes
constexpr int kTlDeviceCode = 0;       // heater
constexpr double kOslPower = 90.0;     // percent
constexpr double kIrslPower = 80.0;
constexpr double kNormPower = 10.0;
constexpr int kOslTemperature = 125;
constexpr int kIrslTemperature = 50;
constexpr double kOslBackgroundRate = 40.0;  // counts/s: dark counts and stimulation light
constexpr double kIrslBackgroundRate = 25.0;
const TTimeBases kOslBases{20, 30, 40, 0};  // 90 channels, 43.2 s
const TTimeBases kIrslBases{0, 40, 45, 4};  // 89 channels, 89 s
const TTimeBases kNormBases{10, 0, 0, 0};   // 10 channels, 0.1 s

constexpr double kBleachMinutes = 120.0;
const char* const kBleachFilter = "SOLAR";
const TDate kIrradiationDate{2026, 3, 16};
constexpr int kMaxPoint = 100;

// A trap population: its saturation charge (counts at brightness 1), characteristic dose,
// the share of the equilibrium charge it keeps in nature, and the share that survives the
// bleach.
struct TTrap {
    double saturation;
    double d0;
    double naturalStability;
    double bleachResidual;
};

struct TGlowTrap {
    double energy;
    double peakCelsius;
    TTrap trap;
};

// Quartz-like glow peaks at 5 degC/s: 110 degC (unstable: empty in nature), 210 degC (mostly
// drained in nature), 325 degC (the dating peak) and 375 degC (hard to bleach).
const TGlowTrap kGlowTraps[] = {
    {0.97, 110.0, {60000.0, 150.0, 0.0, 0.0}},
    {1.25, 210.0, {25000.0, 200.0, 0.15, 0.05}},
    {1.65, 325.0, {150000.0, 180.0, 1.0, 0.08}},
    {1.75, 375.0, {80000.0, 300.0, 1.0, 0.45}},
};

struct TOpticalTrap {
    double decayRate;  // 1/s at the unit's power of the table below
    TTrap trap;
};

// Blue-stimulated components (fast, medium, slow) at 90 % power.
const TOpticalTrap kOslTraps[] = {
    {2.2, {90000.0, 110.0, 1.0, 0.002}},
    {0.45, {20000.0, 160.0, 1.0, 0.01}},
    {0.1, {6000.0, 400.0, 1.0, 0.05}},
};
// Infrared-stimulated components at 80 % power.
const TOpticalTrap kIrslTraps[] = {
    {0.35, {50000.0, 250.0, 1.0, 0.01}},
    {0.08, {15000.0, 450.0, 1.0, 0.03}},
};

// Filled fraction of a trap in an aliquot after its treatment.
double FilledFraction(const TTrap& trap, const TSampleAliquot& a, bool beforeTreatment) {
    const double natural =
        trap.naturalStability * FilledAfterDose(0.0, kSampleNaturalDose, trap.d0);
    if (beforeTreatment) return natural;
    const double dose = a.betaSeconds * kSampleBetaDoseRate;
    switch (a.treatment) {
        case TSampleTreatment::Natural:
            return natural;
        case TSampleTreatment::AddedDose:
            return FilledAfterDose(natural, dose, trap.d0);
        case TSampleTreatment::Bleached:
            return natural * trap.bleachResidual;
        case TSampleTreatment::Regenerated:
            return FilledAfterDose(natural * trap.bleachResidual, dose, trap.d0);
    }
    return natural;
}

std::vector<TDecayComponent> OpticalComponents(const TOpticalTrap* traps, int count,
                                               const TSampleAliquot& a, double powerScale,
                                               bool beforeTreatment) {
    std::vector<TDecayComponent> components;
    for (int i = 0; i < count; ++i) {
        components.push_back({a.brightness * traps[i].trap.saturation *
                                  FilledFraction(traps[i].trap, a, beforeTreatment),
                              traps[i].decayRate * powerScale});
    }
    return components;
}

TFloatArray WithNoise(const std::vector<double>& expected, TSampleRandom& random) {
    TFloatArray counts(expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        counts[i] = static_cast<double>(random.Poisson(expected[i]));
    }
    return counts;
}

std::string Remark(const TSampleAliquot& a, TSampleRunKind kind) {
    char text[64];
    const double dose = a.betaSeconds * kSampleBetaDoseRate;
    switch (a.treatment) {
        case TSampleTreatment::Natural:
            std::snprintf(text, sizeof text, "S12 natural");
            break;
        case TSampleTreatment::AddedDose:
            std::snprintf(text, sizeof text, "S12 N+%s Gy", NumberFixed(dose, 2).c_str());
            break;
        case TSampleTreatment::Bleached:
            std::snprintf(text, sizeof text, "S12 bleached %s min",
                          NumberFixed(kBleachMinutes, 0).c_str());
            break;
        case TSampleTreatment::Regenerated:
            std::snprintf(text, sizeof text, "S12 bleached + %s Gy", NumberFixed(dose, 2).c_str());
            break;
    }
    std::string remark = text;
    if (kind == TSampleRunKind::Normalisation) remark = "S12 short shine normalisation";
    if (kind == TSampleRunKind::OslBackground || kind == TSampleRunKind::TlBackground) {
        remark += ", background";
    }
    return remark;
}

// The fields every record of S12.DAT carries.
void SetCommonFields(TSampleRecord& r, int run, const TSampleAliquot& a, TSampleRunKind kind) {
    const bool norm = kind == TSampleRunKind::Normalisation;
    const bool treated = !norm;
    const bool bleached = treated && (a.treatment == TSampleTreatment::Bleached ||
                                      a.treatment == TSampleTreatment::Regenerated);
    const bool dosed = treated && a.betaSeconds > 0;
    r.Set("Run#", int64_t{run});
    r.Set("Disk#", int64_t{a.disk});
    r.Set("Subfile flag", true);
    r.Set("Nat TL", true);
    r.Set("TL run",
          !(kind == TSampleRunKind::OslBackground || kind == TSampleRunKind::TlBackground));
    r.Set("Single aliquot", false);
    r.Set("Before irrad", treated && a.treatment == TSampleTreatment::Regenerated);
    r.Set("Normalization", norm);
    r.Set("Second", false);
    r.Set("Max point", int64_t{kMaxPoint});
    r.Set("Bleach time", bleached ? kBleachMinutes : 0.0);
    r.Set("Bleach filter", std::string(bleached ? kBleachFilter : ""));
    r.Set("Beta rate", kSampleBetaDoseRate);
    r.Set("Beta time", dosed ? a.betaSeconds : 0.0);
    r.Set("Beta unit", std::string("Gy/s"));
    r.Set("Beta source", std::string("Beta 1"));
    for (const char* kind2 : {"Gamma", "Alpha"}) {
        const std::string k = kind2;
        r.Set(k + " rate", 0.0);
        r.Set(k + " time", 0.0);
        r.Set(k + " unit", std::string());
        r.Set(k + " source", std::string());
    }
    r.Set("Irrad date", kIrradiationDate);
    r.Set("Normalization factor", 1.0);
    r.Set("Shift", 0.0);
    r.Set("Remark", Remark(a, kind));
}

void SetOpticalFields(TSampleRecord& r, int code, double power, int temperature,
                      const TTimeBases& bases, double backgroundRate) {
    r.Set("Dev#", int64_t{code});
    r.Set("NPT", int64_t{bases.N10 + bases.N100 + bases.N1000 + bases.N10000});
    r.Set("Ramp", power);  // the stimulation power, in percent, for optical units
    r.Set("Spacing", int64_t{0});
    r.Set("Sample temp hi", int64_t{temperature / 256});
    r.Set("Sample temp", int64_t{temperature % 256});
    r.Set("Time base 10", int64_t{bases.N10});
    r.Set("Time base 100", int64_t{bases.N100});
    r.Set("Time base 1000", int64_t{bases.N1000});
    r.Set("Time base 10000", int64_t{bases.N10000});
    r.Set("OSL BGD", int64_t{RateToOslBgd(backgroundRate)});
}

void SetTlFields(TSampleRecord& r) {
    r.Set("Dev#", int64_t{kTlDeviceCode});
    r.Set("NPT", int64_t{kTlNpt});
    r.Set("Ramp", kTlHeatingRate);
    r.Set("Spacing", int64_t{kTlSpacing});
    r.Set("Sample temp hi", int64_t{0});
    r.Set("Sample temp", int64_t{0});
    for (const char* name :
         {"Time base 10", "Time base 100", "Time base 1000", "Time base 10000", "OSL BGD"}) {
        r.Set(name, int64_t{0});
    }
}

// Raw data of an OSL record: index 0 is not a channel.
TFloatArray OpticalCurve(const std::vector<TDecayComponent>& components, const TTimeBases& bases,
                         double backgroundRate, TSampleRandom& random) {
    TFloatArray curve = WithNoise(ShineDownCounts(components, bases, backgroundRate), random);
    curve[0] = 0.0;
    return curve;
}

TFloatArray GlowCurve(const TSampleAliquot& a, bool background, TSampleRandom& random) {
    std::vector<double> expected = ThermalBackgroundCounts(
        kTlHeatingRate, kTlSpacing, kTlNpt + 1, kRoomCelsius, kIncandescenceAt500, kDarkRate);
    if (!background) {
        std::vector<TGlowPeak> peaks;
        for (const TGlowTrap& g : kGlowTraps) {
            peaks.push_back({g.energy, g.peakCelsius,
                             a.brightness * g.trap.saturation * FilledFraction(g.trap, a, false)});
        }
        const std::vector<double> glow =
            GlowCurveCounts(peaks, kTlHeatingRate, kTlSpacing, kTlNpt + 1, kRoomCelsius);
        for (size_t i = 0; i < expected.size(); ++i) expected[i] += glow[i];
    }
    return WithNoise(expected, random);
}

}  // namespace

std::vector<TSampleAliquot> SampleAliquots() {
    TSampleRandom random(kSampleSeed);
    std::vector<TSampleAliquot> aliquots;
    auto add = [&](TSampleTreatment t, double seconds) {
        TSampleAliquot a;
        a.disk = static_cast<int>(aliquots.size()) + 1;
        a.treatment = t;
        a.betaSeconds = seconds;
        a.brightness = std::clamp(1.0 + 0.08 * random.Normal(), 0.75, 1.25);
        aliquots.push_back(a);
    };
    for (int i = 0; i < 4; ++i) add(TSampleTreatment::Natural, 0.0);
    for (double seconds : {300.0, 600.0, 1200.0, 2400.0}) {
        for (int i = 0; i < 3; ++i) add(TSampleTreatment::AddedDose, seconds);
    }
    for (int i = 0; i < 3; ++i) add(TSampleTreatment::Bleached, 0.0);
    for (double seconds : {300.0, 600.0, 1200.0}) {
        for (int i = 0; i < 3; ++i) add(TSampleTreatment::Regenerated, seconds);
    }
    return aliquots;
}

std::vector<TSampleMeasurement> SimulateDatMeasurements() {
    const std::vector<TSampleAliquot> aliquots = SampleAliquots();
    TSampleRandom random(kSampleSeed + 1);
    const int nOsl = sizeof kOslTraps / sizeof kOslTraps[0];
    const int nIrsl = sizeof kIrslTraps / sizeof kIrslTraps[0];
    const TSampleRunKind runs[] = {
        TSampleRunKind::Normalisation, TSampleRunKind::Irsl, TSampleRunKind::Osl,
        TSampleRunKind::OslBackground, TSampleRunKind::Tl,   TSampleRunKind::TlBackground};
    std::vector<TSampleMeasurement> out;
    int run = 0;
    for (TSampleRunKind kind : runs) {
        ++run;
        for (const TSampleAliquot& a : aliquots) {
            TSampleMeasurement m;
            m.kind = kind;
            m.aliquot = a;
            TSampleRecord& r = m.record;
            SetCommonFields(r, run, a, kind);
            TFloatArray curve;
            switch (kind) {
                case TSampleRunKind::Normalisation: {
                    SetOpticalFields(r, kOslDeviceCode, kNormPower, kOslTemperature, kNormBases,
                                     kOslBackgroundRate);
                    curve = OpticalCurve(
                        OpticalComponents(kOslTraps, nOsl, a, kNormPower / kOslPower, true),
                        kNormBases, kOslBackgroundRate, random);
                    break;
                }
                case TSampleRunKind::Irsl:
                    SetOpticalFields(r, kIrslDeviceCode, kIrslPower, kIrslTemperature, kIrslBases,
                                     kIrslBackgroundRate);
                    curve = OpticalCurve(OpticalComponents(kIrslTraps, nIrsl, a, 1.0, false),
                                         kIrslBases, kIrslBackgroundRate, random);
                    break;
                case TSampleRunKind::Osl:
                case TSampleRunKind::OslBackground: {
                    SetOpticalFields(r, kOslDeviceCode, kOslPower, kOslTemperature, kOslBases,
                                     kOslBackgroundRate);
                    std::vector<TDecayComponent> components =
                        OpticalComponents(kOslTraps, nOsl, a, 1.0, false);
                    if (kind == TSampleRunKind::OslBackground) {
                        components = AfterStimulation(components, OslTotalTime(kOslBases));
                    }
                    curve = OpticalCurve(components, kOslBases, kOslBackgroundRate, random);
                    break;
                }
                case TSampleRunKind::Tl:
                case TSampleRunKind::TlBackground:
                    SetTlFields(r);
                    curve = GlowCurve(a, kind == TSampleRunKind::TlBackground, random);
                    break;
            }
            // A cosmic ray hit the photomultiplier during the glow curve of disk 9.
            if (kind == TSampleRunKind::Tl && a.disk == kSampleSpikeDisk) {
                curve[kSampleSpikePoint] += kSampleSpikeCounts;
            }
            curve.resize(kMaxPoint, 0.0);
            r.curves.emplace_back("Raw data", std::move(curve));
            out.push_back(std::move(m));
        }
    }
    return out;
}
