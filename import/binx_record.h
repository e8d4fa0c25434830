#pragma once
// One record of a BIN/BINX data file (versions 03 to 08) as the reader decodes it: the
// framing, the fields a conversion to our record files needs, and the curve's counts.
// Offsets and field types per version: binx_layout.cpp.
#include <cstdint>
#include <string>
#include <vector>

// LTYPE codes: the kind of luminescence measured.
enum TBinxLumType : uint8_t {
    kBinxTL = 0,
    kBinxOSL = 1,
    kBinxIRSL = 2,
    kBinxPOSL = 10,
    kBinxSGOSL = 11,
};

// LIGHTSOURCE codes.
enum TBinxLightSource : uint8_t {
    kBinxLightNone = 0,
    kBinxLamp = 1,
    kBinxIRDiodes = 2,
    kBinxCalibrationLed = 3,
    kBinxBlueDiodes = 4,
    kBinxWhiteLight = 5,
    kBinxGreenLaser = 6,
    kBinxIRLaser = 7,
};

// DTYPE 7: a background measurement.
inline constexpr uint8_t kBinxBackground = 7;
// RECTYPE 128 (version 08): the data block holds region-of-interest definitions.
inline constexpr uint8_t kBinxRoiRecord = 128;

struct TBinxRecord {
    // Framing.
    int number = 0;       // 1-based place in the file
    uint64_t offset = 0;  // byte offset of the record in the file
    int version = 0;      // 3 .. 8
    uint32_t length = 0;
    uint32_t previous = 0;
    uint32_t npoints = 0;
    uint8_t recordType = 0;  // RECTYPE (version 08), else 0

    // Identity.
    int position = 0;
    int run = 0;
    int set = 0;
    int grain = 0;  // GRAIN (03/04) or GRAINNUMBER (05+)
    std::string sample, comment, time, date;
    uint8_t tag = 0;

    // Measurement.
    uint8_t lumType = 0;
    uint8_t lightSource = 0;
    uint8_t dataType = 0;
    float low = 0, high = 0, rate = 0;
    int temperature = 0;
    float anTemp = 0, anTime = 0;
    float lightPower = 0;

    // Irradiation.
    float irrTime = 0;
    float doseRate = 0;       // IRR_DOSERATE, Gy/s (05+; 0 where the version has none)
    float doseRateError = 0;  // IRR_DOSERATEERR (06+)
    bool hasDoseRate = false; // the version stores a dose rate

    std::vector<uint32_t> counts;  // NPOINTS counts of a curve record; empty for ROI records
};
