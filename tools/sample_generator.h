#pragma once
// The bundled sample data: a simulated multi-aliquot TL/OSL/IRSL measurement of one sample
// (S12.DAT with its curve subfile S12.SUB), a small single-aliquot short-shine file
// (S12.SAD, S12.SAB) and a small single-grain file (S12.DAS), with their schemas and the
// editor layout OV_DAT.INI. Everything follows from a fixed seed, so every run writes the
// same bytes. The files are written through the record store, so they are exactly what it
// reads.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "record_store/field_value.h"
#include "record_store/float_array.h"
#include "tools/sample_schemas.h"

// --- The truth behind the simulation ---------------------------------------------------
constexpr std::uint64_t kSampleSeed = 20261210;
constexpr double kSampleNaturalDose = 42.0;     // Gy, the natural (palaeo)dose of S12
constexpr double kSampleBetaDoseRate = 0.0835;  // Gy/s of the beta source
constexpr int kSampleAliquotCount = 28;         // disks 1-28 of S12.DAT
// A cosmic-ray spike in the glow curve of one disk (for the deglitching tool).
constexpr int kSampleSpikeDisk = 9;
constexpr int kSampleSpikePoint = 30;  // 150-155 degC
constexpr double kSampleSpikeCounts = 3000.0;

// What was done to an aliquot of S12.DAT before its measurements.
enum class TSampleTreatment {
    Natural,      // nothing: the natural signal
    AddedDose,    // natural plus a beta dose
    Bleached,     // natural, then bleached in the solar simulator
    Regenerated,  // natural, bleached, then given a beta dose
};

// The kinds of run of S12.DAT, in the order the reader ran them.
enum class TSampleRunKind {
    Normalisation,  // short OSL shine at low power before any treatment
    Irsl,           // infrared stimulation
    Osl,            // blue stimulation
    OslBackground,  // the same disk shone again: the background
    Tl,             // glow curve
    TlBackground,   // second glow: incandescence and dark counts
};

struct TSampleAliquot {
    int disk = 0;
    TSampleTreatment treatment = TSampleTreatment::Natural;
    double betaSeconds = 0;  // irradiation time; dose = time x kSampleBetaDoseRate
    double brightness = 1;   // relative luminescence sensitivity (mass, grain count)
};

// One record to be written: data field values and curves by field name.
struct TSampleRecord {
    std::vector<std::pair<std::string, TFieldValue>> values;
    std::vector<std::pair<std::string, TFloatArray>> curves;

    void Set(std::string name, TFieldValue value);
    // The value given to a field, or nullptr.
    const TFieldValue* Find(std::string_view name) const;
    const TFloatArray* FindCurve(std::string_view name) const;
    // The value of an integer, word, float or boolean field as a number (0 when not set).
    double Number(std::string_view name) const;
};

// One record of S12.DAT with what the simulation knows about it.
struct TSampleMeasurement {
    TSampleRunKind kind = TSampleRunKind::Tl;
    TSampleAliquot aliquot;
    TSampleRecord record;
};

// The 28 aliquots of S12.DAT: 1-4 natural, 5-16 natural plus 300, 600, 1200, 2400 s of beta
// (three each), 17-19 bleached, 20-28 bleached and given 300, 600, 1200 s (three each).
std::vector<TSampleAliquot> SampleAliquots();

// The records of S12.DAT in file order: runs 1-6 (normalisation, IRSL, OSL, OSL background,
// TL, TL background), each over disks 1-28.
std::vector<TSampleMeasurement> SimulateDatMeasurements();
// S12.SAD: single-aliquot additive short shines of two disks.
std::vector<TSampleRecord> SimulateSadRecords();
// S12.DAS: single-grain regenerative measurements of four grains of one disk.
std::vector<TSampleRecord> SimulateDasRecords();

// Writes records through a record store into recordPath (and its curve subfile) under the
// given schema file, whose fields are `fields`. Curves are encoded in the element types of
// the fields' curve-field extension. An existing file set of that name and its backups are
// replaced. Throws TEditorError.
void WriteSampleRecords(const std::string& recordPath, const std::string& schemaPath,
                        const std::vector<TSampleSchemaField>& fields,
                        const std::vector<TSampleRecord>& records);

// The names of the files MakeSample writes, in the order it writes them.
std::vector<std::string> SampleFileNames();

// Writes the whole sample into dir (created when missing). Throws TEditorError.
void MakeSample(const std::string& dir);
