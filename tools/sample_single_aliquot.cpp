// Simulation of the two small files of the sample: S12.SAD (single-aliquot additive short
// shines) and S12.DAS (single-grain regenerative measurements).
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/number_text.h"
#include "record_store/measurement_codes.h"
#include "tools/sample_generator.h"
#include "tools/sample_physics.h"
#include "tools/sample_random.h"

namespace {

const TDate kIrradiationDate{2026, 3, 16};

void SetTimeBases(TSampleRecord& r, const TTimeBases& b) {
    r.Set("Time base 10", int64_t{b.N10});
    r.Set("Time base 100", int64_t{b.N100});
    r.Set("Time base 1000", int64_t{b.N1000});
    r.Set("Time base 10000", int64_t{b.N10000});
}

// --- S12.SAD ---
// Disks 1 and 2: a natural short shine, four short shines each after a further 360 s of beta
// (30.06 Gy), and a background shine. Disk 3, the depletion disk: five short shines of its
// natural signal without any dose, and a background shine. The short shine (0.1 s at 10 % power)
// takes about 2.4 % of the fast component each time; the simulation carries that depletion along.
constexpr int kSadPower = 26;  // of 255: 10 %
constexpr double kSadFastRate = 2.2 * 10.0 / 90.0;
constexpr double kSadSaturation = 3600000.0;  // a large, bright aliquot
constexpr double kSadD0 = 110.0;
constexpr double kSadBackgroundRate = 40.0;
const TTimeBases kSadBases{10, 0, 0, 0};
constexpr double kSadStepSeconds = 360.0;
constexpr int kSadSteps = 4;
constexpr int kSadDisks = 3;  // two additive disks and a depletion disk

}  // namespace

std::vector<TSampleRecord> SimulateSadRecords() {
    TSampleRandom random(kSampleSeed + 2);
    std::vector<TSampleRecord> records;
    const double shine = OslTotalTime(kSadBases);
    int run = 0;
    for (int disk = 1; disk <= kSadDisks; ++disk) {
        const double brightness = std::clamp(1.0 + 0.08 * random.Normal(), 0.75, 1.25);
        // The last disk measures the depletion: its natural signal shone again and again.
        const bool depletion = disk == kSadDisks;
        // Trapped charge as a filled fraction of the fast traps.
        double filled = FilledAfterDose(0.0, kSampleNaturalDose, kSadD0);
        for (int step = 0; step <= kSadSteps + 1; ++step) {
            const bool background = step == kSadSteps + 1;
            const bool dosed = step >= 1 && !background && !depletion;
            if (dosed)
                filled = FilledAfterDose(filled, kSadStepSeconds * kSampleBetaDoseRate, kSadD0);
            std::vector<TDecayComponent> components;
            if (!background) {
                components.push_back({brightness * kSadSaturation * filled, kSadFastRate});
            }
            const std::vector<double> expected =
                ShineDownCounts(components, kSadBases, kSadBackgroundRate);
            TFloatArray raw;
            TFloatArray subtracted;
            for (int n = 1; n < static_cast<int>(expected.size()); ++n) {
                const double counts =
                    std::min(65535.0, static_cast<double>(random.Poisson(expected[n])));
                raw.push_back(counts);
                subtracted.push_back(counts - kSadBackgroundRate * OslChannelWidth(n, kSadBases));
            }
            // What the shine took from the traps.
            filled *= std::exp(-kSadFastRate * shine);

            TSampleRecord r;
            r.Set("Run#", int64_t{++run});
            r.Set("Disk#", int64_t{disk});
            r.Set("Dev#", int64_t{2100});
            r.Set("NPT", int64_t{static_cast<int64_t>(raw.size())});
            r.Set("Subfile flag", true);
            r.Set("Nat TL", true);
            r.Set("TL run", !background);
            r.Set("Before irrad", false);
            r.Set("Normalization", false);
            r.Set("Short shine", true);
            r.Set("DeviceNum", int64_t{1});
            r.Set("DeviceInfo", std::string("Reader 1"));
            r.Set("Power", int64_t{kSadPower});
            SetTimeBases(r, kSadBases);
            r.Set("Sample temp hi", int64_t{0});
            r.Set("Sample temp", int64_t{125});
            r.Set("OSL BGD", int64_t{RateToOslBgd(kSadBackgroundRate)});
            r.Set("Irradiator", std::string("B"));
            r.Set("Source", std::string("Beta 1"));
            r.Set("Dose rate", kSampleBetaDoseRate);
            r.Set("Irradiating time", dosed ? kSadStepSeconds : 0.0);
            r.Set("Dose rate unit", std::string("Gy/s"));
            r.Set("Irrad date", kIrradiationDate);
            r.Set("Preheat temperature", int64_t{220});
            r.Set("Preheat time", int64_t{10});
            r.Set("Spacing", int64_t{0});
            r.Set("Max point", int64_t{static_cast<int64_t>(subtracted.size())});
            r.Set("Remark",
                  background ? std::string("S12 SAA background")
                  : dosed    ? "S12 SAA N+" +
                                NumberFixed(step * kSadStepSeconds * kSampleBetaDoseRate, 2) + " Gy"
                  : depletion ? "S12 SAA depletion " + std::to_string(step + 1)
                              : std::string("S12 SAA natural"));
            r.Set("Reserved", std::string());
            r.curves.emplace_back("Raw data", std::move(raw));
            r.curves.emplace_back("Subtracted data", std::move(subtracted));
            records.push_back(std::move(r));
        }
    }
    return records;
}

namespace {

// --- S12.DAS ---
// Single-aliquot regenerative (SAR) cycles on four grains: natural, then regenerative doses of
// 360 and 720 s, each followed by a 60 s test dose. Each cycle raises the grain's sensitivity
// by 5 %; the test dose response follows it, so the sensitivity-corrected ratio Lx/Tx
// recovers the natural dose.
constexpr int kDasDeviceCode = 2200;  // "OSL #2", green laser
constexpr double kDasDecayRate = 8.0;
constexpr double kDasD0 = 120.0;
constexpr double kDasBackgroundRate = 5.0;
const TTimeBases kDasBases{50, 10, 0, 0};  // 60 channels, 1.5 s
constexpr double kDasTestSeconds = 60.0;
constexpr double kDasBleachMinutes = 1.5 / 60.0;  // the previous measurement's shine
const int kDasHoles[] = {12, 37, 58, 81};

}  // namespace

std::vector<TSampleRecord> SimulateDasRecords() {
    TSampleRandom random(kSampleSeed + 3);
    double brightness[4];
    for (double& b : brightness) b = std::exp(0.8 * random.Normal());  // grains differ widely
    const double regenSeconds[] = {0.0, 360.0, 720.0};                 // 0: the natural cycle
    std::vector<TSampleRecord> records;
    int run = 0;
    for (int cycle = 0; cycle < 3; ++cycle) {
        for (int test = 0; test <= 1; ++test) {
            ++run;
            for (int g = 0; g < 4; ++g) {
                const double sensitivity = 1.0 + 0.05 * cycle;
                const double seconds = test ? kDasTestSeconds : regenSeconds[cycle];
                const double filled =
                    cycle == 0 && !test
                        ? FilledAfterDose(0.0, kSampleNaturalDose, kDasD0)
                        : FilledAfterDose(0.0, seconds * kSampleBetaDoseRate, kDasD0);
                const std::vector<TDecayComponent> components = {
                    {brightness[g] * sensitivity * 20000.0 * filled, kDasDecayRate}};
                const bool bleachedFirst = cycle > 0 || test;
                TSampleRecord r;
                r.Set("Run#", int64_t{run});
                r.Set("Hole#", int64_t{kDasHoles[g]});
                r.Set("Disk#", int64_t{1});
                r.Set("Dev#", int64_t{kDasDeviceCode});
                r.Set("NPT", int64_t{kDasBases.N10 + kDasBases.N100});
                r.Set("Nat TL", true);
                r.Set("TL run", true);
                r.Set("Single aliquot", true);
                r.Set("Before irrad", bleachedFirst);
                r.Set("Normalization", false);
                r.Set("Second", false);
                r.Set("Ramp", 90.0);
                SetTimeBases(r, kDasBases);
                r.Set("Sample temp hi", int64_t{0});
                r.Set("Sample temp", int64_t{125});
                r.Set("OSL BGD", int64_t{RateToOslBgd(kDasBackgroundRate)});
                r.Set("Bleach time", bleachedFirst ? kDasBleachMinutes : 0.0);
                r.Set("Bleach filter", std::string());
                r.Set("Beta rate", kSampleBetaDoseRate);
                r.Set("Beta time", cycle == 0 && !test ? 0.0 : seconds);
                r.Set("Beta unit", std::string("Gy/s"));
                r.Set("Beta source", std::string("Beta 1"));
                for (const char* kind : {"Gamma", "Alpha"}) {
                    const std::string k = kind;
                    r.Set(k + " rate", 0.0);
                    r.Set(k + " time", 0.0);
                    r.Set(k + " unit", std::string());
                    r.Set(k + " source", std::string());
                }
                r.Set("Irrad date", kIrradiationDate);
                r.Set("Spacing", int64_t{0});
                r.Set("Max point", int64_t{100});
                r.Set("Remark", std::string(test         ? "S12 grain test dose"
                                            : cycle == 0 ? "S12 grain natural"
                                                         : "S12 grain regenerated"));
                TFloatArray curve(100, 0.0);
                const std::vector<double> expected =
                    ShineDownCounts(components, kDasBases, kDasBackgroundRate);
                for (size_t n = 1; n < expected.size(); ++n) {
                    curve[n] = static_cast<double>(random.Poisson(expected[n]));
                }
                r.curves.emplace_back("Raw data", std::move(curve));
                records.push_back(std::move(r));
            }
        }
    }
    return records;
}
