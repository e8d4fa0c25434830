#pragma once
// The calculated fields of the maker's views: the descriptions ("Device", "Info", "ShortInfo",
// "Irradiation" ...) that the grid, the record form, graph windows and analyses show for a
// record.
#include <functional>
#include <string>

#include "record_store/presentation_values.h"

namespace presentation {

struct TCalculatedFields {
    std::string device;          // "Device"
    std::string info;            // "Info" (long description)
    std::string shortInfo;       // "ShortInfo"
    double oslTime = 0;          // "OSL time", seconds
    std::string irradiation;     // "Irradiation"
    std::string runKind;         // "Run kind"
    std::string singleMultiple;  // "SingleMultiple"
    std::string norm;            // "Norm"
    long long maxTemp = 0;       // "MaxTemp"
};

// Declared sizes of the calculated text fields; longer texts are cut to them.
constexpr int kDeviceSize = 8;
constexpr int kInfoSize = 40;
constexpr int kIrradiationSize = 40;
constexpr int kRunKindSize = 5;
constexpr int kSingleMultipleSize = 20;
constexpr int kNormSize = 20;
constexpr int kShortInfoSize = 20;

// "Dev#" below 1000 marks a TL record; the device is "Dev#" / 100.
bool IsTLCode(long long devCode);
std::string DeviceText(long long devCode);

// The calculated fields in the normal state. A DAS record follows the DAT rules (its
// fields are those of the DAT view without the curve normalisation); a general record gets
// nothing.
TCalculatedFields Calculate(TRecordKind kind, const TRecordValues& record,
                            char decimalSeparator = '.');

// Gives the 20-character description of the background assignment of a run and disk, or
// empty text when none matches.
using TBackgroundLookup = std::function<std::string(long long run, long long disk)>;

// The variant used while background subtraction is on: "Device" shows "TL" followed by two
// blanks for TL records, "Info" as normal, "ShortInfo" the background assignment; the other
// calculated fields stay empty.
TCalculatedFields CalculateForSubtraction(TRecordKind kind, const TRecordValues& record,
                                          const TBackgroundLookup& lookup,
                                          char decimalSeparator = '.');

// Cuts a text to at most `size` characters.
std::string CutToSize(const std::string& text, int size);

}  // namespace presentation
