#pragma once
// The aliquot set of single-aliquot data: the measurements of the table regrouped by disk.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "analysis/aliquot_types.h"

struct TDiskElement {
    int32_t Bookmark = 0;
    int32_t Ordinal = 0;  // entry of the measurement table
    double Dose = 0;
    double Signal = 0;  // the record's curve value at index 1
    bool Natural = false;
    bool SignalRun = false;  // additive: a TL run of an OSL unit below IRSL; regenerative: a TL run
                             // of a SAD file
    bool IsTL = false;
};

struct TDiskList {
    int32_t Disk = 0;
    int32_t Hole = -1;      // the grain's "Hole#" on a single-grain disc; -1 for a whole disk
    int32_t MaxIndex = -1;  // element of the largest signal; -1 none
    double RefDose = 0;
    double MaxSignal = 0;
    double BgdRate = 0;  // counts per second
    bool NcfFound = false;
    int32_t NcfNatural = -1, NcfFirstTL = -1, NcfSecondTL = -1, NcfReference = -1;
    double NcfScale = 1.0, NcfDoseSum = 0;
    std::vector<TDiskElement> Elements;
};

struct TPlatter {
    bool Additive = false;  // true: single-aliquot additive (SAA); false: regenerative (SAR)
    // By disk number; any disk number is kept. Files with "Hole#" hold single grains: each
    // grain is an aliquot of its own, numbered 1, 2, ... in the order of disk and hole.
    std::map<int32_t, TDiskList> Disks;
    std::string Description;  // of the first disk
    int Count() const { return static_cast<int>(Disks.size()); }
    // The disk list of a disk number, or nullptr.
    const TDiskList* Find(int32_t disk) const;
};

inline constexpr const char* kNoSingleAliquotData =
    "Data set does not contain valid single aliquot measurements.";

// Builds the aliquot set from the table. False (platter untouched) when the table holds both
// natural-plus-dose and regenerated measurements, or neither.
bool BuildAliquotSet(const TLookupTable& table, TPlatter& platter);

// " SAA total dose 50.1; additive doses: 10.0; 20.0" or " SAR test dose ...; regen doses: ...";
// empty for a disk without elements.
std::string DiskDescription(const TDiskList& disk, bool additive, char decimalSeparator = '.');
// "Disk 1 hole 12" for a grain, else "Disk " + number.
std::string AliquotName(const TDiskList& disk);
// "Disk#" + number + " " + description, for each disk in ascending order ("Disk 1 hole 12 "
// + description for grains).
std::vector<std::string> DiskListTexts(const TPlatter& platter);
