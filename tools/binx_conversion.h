#pragma once
// What a BIN/BINX measurement becomes in our record files: the aliquot (disk, and grain on a
// single-grain disc), the device, the SAR role (signal Lx or test dose Tx), the bleaching and
// irradiation before it, and its curve in the channels our records hold. The rules, field by
// field, are in docs/bin-import.md.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "import/binx_record.h"
#include "record_store/field_value.h"
#include "record_store/float_array.h"
#include "record_store/measurement_codes.h"

// "Dev#" codes the import gives: the heater, and optical units by their light source.
inline constexpr int kImportTLDevice = 0;
inline constexpr int kImportBlueDevice = 2100;   // "OSL #1": blue diodes (and unknown sources)
inline constexpr int kImportGreenDevice = 2200;  // "OSL #2": green laser (single grain)
inline constexpr int kImportWhiteDevice = 2300;  // "OSL #3": white light
inline constexpr int kImportLampDevice = 2400;   // "OSL #4": lamp
inline constexpr int kImportLedDevice = 2500;    // "OSL #5": calibration LED
inline constexpr int kImportIRDevice = 2800;     // "IRSL": IR diodes or IR laser

// One measurement as our records keep it.
struct TImportedMeasurement {
    int sourceRecord = 0;  // 1-based number in the BIN/BINX file
    int run = 0, disk = 0, hole = 0, set = 0;
    int device = 0;  // "Dev#"
    bool tl = false;
    bool sampleRun = true;  // "TL run": false for a background measurement
    bool singleAliquot = false;
    bool testDose = false;  // "Normalization": the Tx of a SAR cycle
    bool bleached = false;  // "Before irrad": a shine of the aliquot came before
    bool bad = false;       // "Second": deselected in a file where other records are selected
    double bleachMinutes = 0;
    double irradiationSeconds = 0;
    double doseRate = 0;  // Gy/s
    bool doseInSeconds = false;  // no dose rate known: 1 "Gy"/s stands for seconds
    TDate date;
    int sampleTemp = 0;  // OSL: degC
    double ramp = 0;     // TL: heating rate; OSL: stimulation power in percent
    int spacing = 0;     // TL: degC per point
    int npt = 0;
    TTimeBases bases;
    TFloatArray curve;  // "Raw data": TL points 0 .. npt, OSL channels 1 .. npt (index 0 is 0)
    std::string remark;
};

struct TBinxImportOptions {
    std::optional<double> doseRate;  // Gy/s where the file gives none
};

struct TBinxConversion {
    std::vector<TImportedMeasurement> measurements;
    bool singleGrain = false;  // a record has a grain number: the file becomes a .DAS file
    std::vector<int> positions;  // sorted, each once
    std::vector<std::string> warnings;
};

inline constexpr const char* kDoseRateNotGiven =
    "Dose rate not given: doses are in seconds of irradiation";

// Converts the records read from a BIN/BINX file, in file order. Records without curve data
// (NPOINTS 0, region-of-interest records) and kinds of measurement our records cannot hold
// are left out with a warning each kind.
TBinxConversion ConvertBinxRecords(const std::vector<TBinxRecord>& records,
                                   const TBinxImportOptions& options);
