#pragma once
// The realistic SAR sample: a single-aliquot regenerative measurement as laboratories run it,
// simulated from one truth and written both as our record files (SAR12.DAT with SAR12.SUB,
// and the single-grain disc SAR12.DAS) and as the reader's BIN/BINX files
// (SAR12-reader.binx, SAR12G-reader.bin) for the import. Per aliquot: the natural, four
// regeneration doses, a 0 Gy regeneration (recuperation), the first dose repeated
// (recycling) and the first dose once more with an IRSL shine before the OSL (IR depletion),
// each OSL shine followed by its test dose. samples/README.md gives the truth.
#include <vector>

#include "import/binx_record.h"
#include "tools/sample_generator.h"
#include "tools/sample_physics.h"

// Regeneration doses of every cycle after the natural, in seconds of beta (x 0.0835 Gy/s):
// four regenerations, the 0 Gy one, the recycled first dose and the first dose with IRSL.
inline constexpr double kSarRegenSeconds[] = {240, 480, 720, 1200, 0, 240, 240};
inline constexpr int kSarCycles = 8;  // the natural and the seven above
inline constexpr double kSarTestSeconds = 60;  // 5.01 Gy
inline constexpr int kSarRecuperationCycle = 5;
inline constexpr int kSarRecyclingCycle = 6;
inline constexpr int kSarIrCycle = 7;

// Aliquot discs 1-13: 1-8 pass every criterion; each of 9-13 fails one.
inline constexpr int kSarDisks = 13;
inline constexpr int kSarRecyclingDisk = 9;     // recycled Lx 25 % brighter than its Tx shows
inline constexpr int kSarRecuperationDisk = 10; // 15 % of the natural signal after 0 Gy
inline constexpr int kSarDimDisk = 11;          // 3 % brightness: the test dose's error
inline constexpr int kSarFeldsparDisk = 12;     // IRSL takes 25 % of the OSL
inline constexpr int kSarOldDisk = 13;          // natural dose 130 Gy, above 100.2 Gy
inline constexpr double kSarOldDose = 130.0;

// The single-grain disc: grains in these holes of disc 1; holes 12, 37 and 58 fail.
inline constexpr int kSarGrainHoles[] = {5, 12, 23, 37, 41, 58, 64, 70, 81, 88, 92, 99};
inline constexpr int kSarRecyclingHole = 12;  // recycled Lx 20 % dimmer than its Tx shows
inline constexpr int kSarDimHole = 37;        // a faint grain: the test dose's error
inline constexpr int kSarOldHole = 58;        // natural dose 200 Gy, above 100.2 Gy
inline constexpr double kSarOldGrainDose = 200.0;

enum class TSarKind { Preheat, Cutheat, Irsl, Osl };

// One measurement of the session in the reader's order, with its expected signal.
struct TSarMeasurement {
    int disk = 0, hole = 0, run = 0, cycle = 0;
    TSarKind kind = TSarKind::Osl;
    bool testDose = false;
    bool singleGrain = false;
    double doseSeconds = 0;  // the irradiation this measurement follows (0: none)
    bool bleached = false;   // an OSL or IRSL shine of this kind came before
    double bleachSeconds = 0;
    std::vector<TDecayComponent> components;  // shines
    std::vector<TGlowPeak> peaks;             // glow curves
    double backgroundRate = 0;                // counts/s
};

std::vector<TSarMeasurement> SimulateSarSession(bool singleGrain);

// The session as records of our DAT (aliquots) and DAS (single grains) schemas.
std::vector<TSampleRecord> SarDatRecords();
std::vector<TSampleRecord> SarDasRecords();
// The session as the reader's records: version 07 with the dose rate for the aliquots,
// version 03 (no dose rate) for the single-grain disc.
std::vector<TBinxRecord> SarBinxRecords(bool singleGrain);
