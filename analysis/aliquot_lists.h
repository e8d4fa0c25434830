#pragma once
// The lists of growth-curve mode built from the measurement table: devices, irradiations and
// bleaching treatments, each entry a text with the object it stands for.
#include <string>
#include <vector>

#include "analysis/aliquot_texts.h"
#include "analysis/aliquot_types.h"

struct TDeviceEntry {
    std::string Text;
    TDeviceKey Key;
};
struct TIrradiationEntry {
    std::string Text;
    TIrradiation Irradiation;  // Dose 0
    bool Selected = true;      // the list is multi-select; every entry starts selected
};
struct TBleachingEntry {
    std::string Text;
    TBleaching Bleaching;
};

// Every device of a record that is no normalisation record and has a device text, once,
// ordered by CompareDeviceKeys.
std::vector<TDeviceEntry> BuildDeviceList(const TLookupTable& table);
// Every irradiation of a dosed record, once per radiation and "Irrad date" value (the values
// that matching compares), ordered by radiation and then date.
std::vector<TIrradiationEntry> BuildIrradiationList(
    const TLookupTable& table, const TDateTimeText& dateText = IsoDateTimeText);
// Every bleaching text of a record that is no normalisation record, once, ordered by text
// (ordinal comparison: every "BL(..." before "Not bleached").
std::vector<TBleachingEntry> BuildBleachingList(const TLookupTable& table);

// The entry of the irradiation list that stands for the record's irradiation; -1 when none.
int FindIrradiation(const std::vector<TIrradiationEntry>& list, const TIrradiation& irradiation);
