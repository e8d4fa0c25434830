#pragma once
// The measurement table of growth-curve mode and what classifies each of its entries: the
// device that measured it, the irradiation and bleaching that preceded it, the laboratory
// methods it can serve. Built by BuildLookupTable (lookup_table.h) from the records of a view.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "record_store/float_array.h"

// One way of measuring. Compared as a whole by CompareDeviceKeys (device_key.h).
struct TDeviceKey {
    int32_t Device = 0;      // "Dev#" div 100: 0 TL; 20..28 OSL (28 IRSL); 40..48 OSL with PowerM
    int32_t Spacing = 0;     // TL: "Spacing" (degC per point); OSL: 1
    int32_t SampleTemp = 0;  // OSL: degC; TL: 0
    int32_t EndTemp = 0;     // TL: ("NPT" + 1) x "Spacing"
    int32_t Ramp = 0;        // TL: heating rate, "Ramp" rounded
    std::array<uint16_t, 4> TimeBase{};  // OSL: channels of 0.01 s, 0.1 s, 1 s, 10 s
    int32_t Power = 0;                   // OSL: stimulation power 0..255
    int32_t PowerM = 0;                  // devices 40..48: Power; others 0
};

enum class TRadiation : uint8_t { None = 0, Alpha = 1, Beta = 2, Gamma = 3 };

struct TIrradiation {
    double Dose = 0;  // irradiation time x dose rate; 0 = not irradiated
    TRadiation Radiation = TRadiation::None;
    std::string DoseUnit;  // the rate's unit before its "/", at most 7 characters ("Gy")
    double IrradDate = 0;  // "Irrad date": days since 1899-12-30, time as a fraction
};

struct TBleaching {
    double BleachTime = 0;     // minutes; 0 = not bleached
    std::string BleachFilter;  // empty when not bleached
};

// Irradiation classes.
inline constexpr uint8_t kNotIrradiated = 0;
inline constexpr uint8_t kNaturalPlusDose = 1;  // "N + D"
inline constexpr uint8_t kRegenerated = 2;      // bleached, then dosed
inline constexpr uint8_t kDoseWithoutNatural = 3;

// Method indices of growth-curve mode (bit i of TLookupRecord::Methods).
enum TMethodIndex : int {
    kAdditiveGrowth = 0,
    kRegenGrowth = 1,
    kTotalBleach = 2,
    kPartialBleach = 3,
    kSecondGlowIntercept = 4,
    kAlphaEfficiency = 5,
    kAlphaGrowth = 6,
    kAdditiveRegenSlide = 7,
    kFirstSecondGlowCeramic = 8,
    kSaAdditive = 9,
    kSaRegenerative = 10,
};
inline constexpr int kMethodCount = 11;
inline constexpr uint16_t kSingleAliquotRegenBit = 0x0800;  // bit 11
inline constexpr uint16_t kNormalizationBit = 0x1000;       // bit 12
inline constexpr uint16_t kMeasurementBit = 0x2000;         // bit 13: a first measurement
inline constexpr uint16_t MethodBit(int method) {
    return static_cast<uint16_t>(1u << method);
}

// Long method name of an index 0..10 ("Additive growth curve" ... "SA Regenerative"); empty
// outside.
std::string MethodLongName(int method);

// One entry of the measurement table.
struct TLookupRecord {
    int32_t Ordinal = 0;  // position in the table
    int32_t Run = 0;
    int32_t Disk = 0;
    int32_t HoleKey = 0;  // 255 - "Hole#" where the view has it, else 0
    TDeviceKey Key;
    TBleaching Bleaching;
    uint8_t IrradClass = kNotIrradiated;
    TIrradiation Irradiation;
    uint16_t Methods = 0;
    bool TLRun = false;
    bool Natural = false;     // "Nat TL": the aliquot still carries its natural dose
    bool NormRecord = false;  // "Normalization"
    bool SingleAliquot = false;
    bool InSelection = false;
    bool Accepted = true;
    std::string Description;
    int32_t Bookmark = 0;     // the record's id in its store
    int32_t RecordIndex = 0;  // 0-based position in the store (file order)
    bool SadLayout = false;
    int32_t LastChannel = 0;  // last curve index in use
    TFloatArray Curve;
    double NormSum = 0;
    uint16_t OslBgdWord = 0;  // "OSL BGD" as stored (bytes not exchanged), 0 when absent
};

using TLookupTable = std::vector<TLookupRecord>;
