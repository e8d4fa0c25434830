#pragma once
// The natural-signal normalisation (NCF) of single-aliquot regenerative disks: recognising a
// disk's template (TL measurements with test doses before and after the natural, a
// normalisation shine after them) and the correction factor it gives.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/aliquot_set.h"

struct TNcfTolerances {
    // Largest relative difference between the first test dose before and after the natural.
    double firstTL = 0.01;
    // Largest relative difference between the test doses after the natural and all others.
    double sumToReference = 0.06;
};

// Recognises the template of every disk (NcfFound, the four element indices, NcfScale,
// NcfDoseSum): a block of dosed TL measurements, the natural OSL measurement, a second TL
// block, a normalisation shine whose dose with the second block's doses matches the later
// normalisation doses within the tolerances.
void RecognizeNcfSchemes(TPlatter& platter, const TLookupTable& table,
                         const TNcfTolerances& tolerances);

// The dosed TL measurements of a disk's first block (before the natural) and second block
// (after it), as element indices.
struct TNcfBlocks {
    std::vector<int> first, second;
};
TNcfBlocks NcfTLBlocks(const TDiskList& disk);

// "Apply to current" / "Apply to all" of the template dialog: the numerator (of the second
// block) and denominator (of the first block) chosen on `disk`, or none ("1.00"). For all
// disks the choice is resolved per disk by its place within the disk's own blocks; a disk
// with a scheme whose blocks have no such place is left without a pair and named in the
// returned list.
std::vector<std::int32_t> ApplyNcfTemplate(TPlatter& platter, std::int32_t disk,
                                           std::optional<int> numerator,
                                           std::optional<int> denominator, bool toAll);
