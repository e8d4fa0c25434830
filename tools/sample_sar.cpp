// The realistic SAR sample: simulation of the session and its two renderings (our records,
// the reader's BIN/BINX records). Each rendering draws its own counting noise.
#include "tools/sample_sar.h"

#include <algorithm>
#include <cmath>

#include "record_store/measurement_codes.h"
#include "tools/sample_random.h"
#include "tools/sample_schemas.h"

namespace {

const TDate kSarDate{2026, 3, 16};

// Quartz of the aliquot discs: one fast OSL component under blue light (90 %).
constexpr double kOslRate = 2.2, kOslD0 = 110.0, kOslSaturation = 76000.0, kOslBackground = 40.0;
constexpr double kOslSeconds = 40.0;
// IRSL of the same traps: weak for quartz, strong for the feldspar-bearing disc.
constexpr double kIrslRate = 0.35, kIrslSeconds = 100.0, kIrslBackground = 25.0;
constexpr double kQuartzIrsl = 0.01, kFeldsparIrsl = 0.5;
constexpr double kQuartzIrDepletion = 0.99, kFeldsparIrDepletion = 0.75;
// Grains under the green laser.
constexpr double kGrainRate = 8.0, kGrainD0 = 120.0, kGrainSaturation = 100000.0;
constexpr double kGrainBackground = 5.0, kGrainSeconds = 1.0, kGrainIrslRate = 3.0;
// The 110 degC TL peak the preheat and the cutheat show.
constexpr double kTLPeakD0 = 150.0, kTLPeakSaturation = 30000.0;
constexpr double kSensitivityGain = 0.04;  // per cycle, followed by the test dose

double Filled(double dose, double d0) { return 1.0 - std::exp(-dose / d0); }

struct TAliquot {
    int disk = 1, hole = 0;
    double brightness = 1, naturalDose = kSampleNaturalDose;
    double recycling = 1, recuperation = 0.01, irsl = kQuartzIrsl, irDepletion = kQuartzIrDepletion;
};

std::vector<TAliquot> SarAliquots(bool singleGrain) {
    TSampleRandom random(kSampleSeed + (singleGrain ? 6 : 4));
    std::vector<TAliquot> list;
    if (singleGrain) {
        for (int hole : kSarGrainHoles) {
            TAliquot a;
            a.hole = hole;
            a.brightness = std::exp(0.5 * random.Normal());
            a.irsl = 0.02;
            if (hole == kSarRecyclingHole) a.recycling = 0.8;
            if (hole == kSarDimHole) a.brightness = 0.02;
            if (hole == kSarOldHole) a.naturalDose = kSarOldGrainDose;
            list.push_back(a);
        }
        return list;
    }
    for (int disk = 1; disk <= kSarDisks; ++disk) {
        TAliquot a;
        a.disk = disk;
        a.brightness = std::clamp(1.0 + 0.1 * random.Normal(), 0.7, 1.3);
        if (disk == kSarRecyclingDisk) a.recycling = 1.25;
        if (disk == kSarRecuperationDisk) a.recuperation = 0.15;
        if (disk == kSarDimDisk) a.brightness = 0.03;
        if (disk == kSarFeldsparDisk) {
            a.irsl = kFeldsparIrsl;
            a.irDepletion = kFeldsparIrDepletion;
        }
        if (disk == kSarOldDisk) a.naturalDose = kSarOldDose;
        list.push_back(a);
    }
    return list;
}

// Expected counts of a shine in the bins [ends[k - 1], ends[k]) (ends[-1] = 0).
std::vector<double> ShineCounts(const std::vector<TDecayComponent>& components, double background,
                                const std::vector<double>& ends) {
    std::vector<double> counts(ends.size(), 0.0);
    double start = 0;
    for (std::size_t k = 0; k < ends.size(); ++k) {
        for (const TDecayComponent& c : components) {
            counts[k] += c.population *
                         (std::exp(-c.decayRate * start) - std::exp(-c.decayRate * ends[k]));
        }
        counts[k] += background * (ends[k] - start);
        start = ends[k];
    }
    return counts;
}

std::vector<double> GlowCounts(const TSarMeasurement& m, double spacing, int points) {
    std::vector<double> counts = GlowCurveCounts(m.peaks, 5.0, spacing, points, 20.0);
    const std::vector<double> thermal = ThermalBackgroundCounts(5.0, spacing, points, 20.0, 2500.0, 15.0);
    for (std::size_t i = 0; i < counts.size() && i < thermal.size(); ++i) counts[i] += thermal[i];
    return counts;
}

double GlowTop(const TSarMeasurement& m) { return m.kind == TSarKind::Preheat ? 260.0 : 220.0; }
double ShineSeconds(const TSarMeasurement& m) {
    return m.singleGrain ? kGrainSeconds : m.kind == TSarKind::Irsl ? kIrslSeconds : kOslSeconds;
}

std::vector<double> Ends(const TTimeBases& b) {
    std::vector<double> ends;
    double t = 0;
    for (int n = 1; n <= b.N10 + b.N100 + b.N1000 + b.N10000; ++n) {
        t += OslChannelWidth(n, b);
        ends.push_back(t);
    }
    return ends;
}

TTimeBases NativeBases(const TSarMeasurement& m) {
    if (m.singleGrain) return {50, 5, 0, 0};                   // 1 s
    if (m.kind == TSarKind::Irsl) return {0, 0, 90, 1};        // 100 s
    return {0, 60, 34, 0};                                     // 40 s
}

const char* CommentOf(const TSarMeasurement& m) {
    switch (m.kind) {
        case TSarKind::Preheat:
            return "preheat";
        case TSarKind::Cutheat:
            return "cutheat";
        case TSarKind::Irsl:
            return "IRSL before OSL";
        default:
            return m.testDose ? "Tx" : m.cycle == 0 ? "natural Lx" : "Lx";
    }
}

}  // namespace

std::vector<TSarMeasurement> SimulateSarSession(bool singleGrain) {
    const std::vector<TAliquot> aliquots = SarAliquots(singleGrain);
    const double d0 = singleGrain ? kGrainD0 : kOslD0;
    const double saturation = singleGrain ? kGrainSaturation : kOslSaturation;
    const double rate = singleGrain ? kGrainRate : kOslRate;
    const double background = singleGrain ? kGrainBackground : kOslBackground;
    std::vector<TSarMeasurement> session;
    int run = 0;
    for (int cycle = 0; cycle < kSarCycles; ++cycle) {
        const double seconds = cycle == 0 ? 0.0 : kSarRegenSeconds[cycle - 1];
        std::vector<std::pair<TSarKind, bool>> steps;  // kind, test dose
        if (!singleGrain) steps.push_back({TSarKind::Preheat, false});
        if (cycle == kSarIrCycle) steps.push_back({TSarKind::Irsl, false});
        steps.push_back({TSarKind::Osl, false});
        if (!singleGrain) steps.push_back({TSarKind::Cutheat, true});
        steps.push_back({TSarKind::Osl, true});
        for (const auto& [kind, test] : steps) {
            ++run;
            for (const TAliquot& a : aliquots) {
                TSarMeasurement m;
                m.disk = a.disk;
                m.hole = a.hole;
                m.run = run;
                m.cycle = cycle;
                m.kind = kind;
                m.testDose = test;
                m.singleGrain = singleGrain;
                m.doseSeconds = test ? kSarTestSeconds : seconds;
                // Every shine before empties the traps the next one reads.
                m.bleached = cycle > 0 || test;
                m.bleachSeconds = singleGrain ? kGrainSeconds : kOslSeconds;
                const double sensitivity = a.brightness * (1.0 + kSensitivityGain * cycle);
                const double dose = test ? kSarTestSeconds * kSampleBetaDoseRate
                                         : cycle == 0 ? a.naturalDose
                                                      : seconds * kSampleBetaDoseRate;
                double filled = Filled(dose, d0);
                if (!test && cycle == kSarRecuperationCycle)
                    filled = a.recuperation * Filled(a.naturalDose, d0);
                if (!test && cycle == kSarRecyclingCycle) filled *= a.recycling;
                if (kind == TSarKind::Osl && !test && cycle == kSarIrCycle) filled *= a.irDepletion;
                if (kind == TSarKind::Osl) {
                    m.components = {{sensitivity * saturation * filled, rate}};
                    m.backgroundRate = background;
                } else if (kind == TSarKind::Irsl) {
                    m.components = {{sensitivity * saturation * a.irsl * filled,
                                     singleGrain ? kGrainIrslRate : kIrslRate}};
                    m.backgroundRate = singleGrain ? kGrainBackground : kIrslBackground;
                } else {
                    const double peak = m.doseSeconds * kSampleBetaDoseRate;
                    m.peaks = {{0.97, 110.0,
                                sensitivity * kTLPeakSaturation * Filled(peak, kTLPeakD0)}};
                }
                session.push_back(std::move(m));
            }
        }
    }
    return session;
}

namespace {

std::vector<TSampleRecord> OurRecords(bool singleGrain) {
    TSampleRandom random(kSampleSeed + (singleGrain ? 7 : 5));
    const TSampleSchemaLayout layout = LayoutOf(singleGrain ? DasSampleFields() : DatSampleFields());
    std::vector<TSampleRecord> records;
    for (const TSarMeasurement& m : SimulateSarSession(singleGrain)) {
        TSampleRecord r;
        const auto set = [&](const char* name, TFieldValue v) {
            if (layout.Find(name) != nullptr) r.Set(name, std::move(v));
        };
        const bool tl = m.kind == TSarKind::Preheat || m.kind == TSarKind::Cutheat;
        TFloatArray curve(100, 0.0);
        int npt = 0;
        TTimeBases bases;
        if (tl) {
            const int points = static_cast<int>(GlowTop(m) / 5.0);
            npt = points - 1;
            const std::vector<double> expected = GlowCounts(m, 5.0, points);
            for (int i = 0; i < points; ++i)
                curve[static_cast<std::size_t>(i)] = static_cast<double>(random.Poisson(expected[static_cast<std::size_t>(i)]));
        } else {
            bases = NativeBases(m);
            const std::vector<double> expected = ShineCounts(m.components, m.backgroundRate, Ends(bases));
            npt = static_cast<int>(expected.size());
            for (int n = 1; n <= npt; ++n)
                curve[static_cast<std::size_t>(n)] = static_cast<double>(random.Poisson(expected[static_cast<std::size_t>(n - 1)]));
        }
        set("Run#", int64_t{m.run});
        set("Hole#", int64_t{m.hole});
        set("Disk#", int64_t{m.disk});
        set("Dev#", int64_t{tl ? 0 : m.kind == TSarKind::Irsl ? 2800 : singleGrain ? 2200 : 2100});
        set("NPT", int64_t{npt});
        set("Subfile flag", true);
        set("Nat TL", true);
        set("TL run", true);
        set("Single aliquot", true);
        set("Before irrad", m.bleached);
        set("Normalization", m.testDose);
        set("Second", false);
        const int temperature = tl ? 0 : m.kind == TSarKind::Irsl ? 50 : 125;
        set("Sample temp hi", int64_t{temperature / 256});
        set("Sample temp", int64_t{temperature % 256});
        set("Spacing", int64_t{tl ? 5 : 0});
        set("Max point", int64_t{100});
        set("Time base 10", int64_t{bases.N10});
        set("Time base 100", int64_t{bases.N100});
        set("Time base 1000", int64_t{bases.N1000});
        set("Time base 10000", int64_t{bases.N10000});
        set("OSL BGD", int64_t{tl ? 0 : RateToOslBgd(m.backgroundRate)});
        set("Ramp", tl ? 5.0 : 90.0);
        set("Bleach time", m.bleached ? m.bleachSeconds / 60.0 : 0.0);
        set("Bleach filter", std::string());
        set("Beta rate", kSampleBetaDoseRate);
        set("Beta time", m.doseSeconds);
        set("Beta unit", std::string("Gy/s"));
        set("Beta source", std::string("Beta 1"));
        for (const char* kind : {"Gamma", "Alpha"}) {
            const std::string k = kind;
            set((k + " rate").c_str(), 0.0);
            set((k + " time").c_str(), 0.0);
            set((k + " unit").c_str(), std::string());
            set((k + " source").c_str(), std::string());
        }
        set("Irrad date", kSarDate);
        set("Normalization factor", 1.0);
        set("Shift", 0.0);
        set("Remark", std::string("SAR12 cycle ") + std::to_string(m.cycle) + " " + CommentOf(m));
        r.curves.emplace_back("Raw data", std::move(curve));
        if (!singleGrain) r.curves.emplace_back("Subtracted data", TFloatArray(98, 0.0));
        records.push_back(std::move(r));
    }
    return records;
}

}  // namespace

std::vector<TSampleRecord> SarDatRecords() { return OurRecords(false); }
std::vector<TSampleRecord> SarDasRecords() { return OurRecords(true); }

std::vector<TBinxRecord> SarBinxRecords(bool singleGrain) {
    TSampleRandom random(kSampleSeed + (singleGrain ? 9 : 8));
    std::vector<TBinxRecord> records;
    for (const TSarMeasurement& m : SimulateSarSession(singleGrain)) {
        TBinxRecord r;
        r.version = singleGrain ? 3 : 7;
        r.position = m.disk;
        r.run = m.run;
        r.set = 1;
        r.grain = m.hole;
        r.sample = "SAR12";
        r.comment = std::string("cycle ") + std::to_string(m.cycle) + " " + CommentOf(m);
        r.time = "093000";
        r.date = "160326";
        r.tag = 1;
        r.dataType = m.cycle == 0 && !m.testDose ? 0 : 3;
        const bool tl = m.kind == TSarKind::Preheat || m.kind == TSarKind::Cutheat;
        // The irradiation shows on the shine after it; the OSL after the IRSL shine and the
        // glow curves carry none.
        const bool postIr = m.kind == TSarKind::Osl && !m.testDose && m.cycle == kSarIrCycle;
        r.irrTime = static_cast<float>(tl || postIr ? 0.0 : m.doseSeconds);
        r.doseRate = singleGrain ? 0.0f : static_cast<float>(kSampleBetaDoseRate);
        std::vector<double> expected;
        if (tl) {
            r.lumType = kBinxTL;
            r.high = static_cast<float>(GlowTop(m));
            r.rate = 5.0f;
            r.anTemp = r.high;
            r.anTime = 10;
            expected = GlowCounts(m, GlowTop(m) / 250.0, 250);
        } else {
            const bool ir = m.kind == TSarKind::Irsl;
            r.lumType = ir ? kBinxIRSL : singleGrain ? kBinxSGOSL : kBinxOSL;
            r.lightSource = ir ? (singleGrain ? kBinxIRLaser : kBinxIRDiodes)
                               : singleGrain ? kBinxGreenLaser : kBinxBlueDiodes;
            r.lightPower = 90;
            r.temperature = ir ? 50 : 125;
            r.anTemp = static_cast<float>(r.temperature);
            r.anTime = 10;
            const double seconds = ShineSeconds(m);
            const int channels = singleGrain ? 50 : 250;
            r.high = static_cast<float>(seconds);
            std::vector<double> ends;
            for (int i = 1; i <= channels; ++i) ends.push_back(seconds * i / channels);
            expected = ShineCounts(m.components, m.backgroundRate, ends);
        }
        for (double e : expected) r.counts.push_back(static_cast<uint32_t>(random.Poisson(e)));
        records.push_back(std::move(r));
    }
    return records;
}
