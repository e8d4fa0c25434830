#include "analysis/single_aliquot_ncf.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

const TLookupRecord& EntryOf(const TLookupTable& table, const TDiskElement& el) {
    return table[static_cast<std::size_t>(el.Ordinal)];
}

double DoseAt(const TDiskList& disk, int element) {
    return disk.Elements[static_cast<std::size_t>(element)].Dose;
}

void ClearPair(TDiskList& disk) {
    disk.NcfFirstTL = -1;
    disk.NcfSecondTL = -1;
    disk.NcfScale = 1.0;
}

// The pair numerator / denominator on a disk, with its scale.
void SetPair(TDiskList& disk, int numerator, int denominator) {
    disk.NcfSecondTL = numerator;
    disk.NcfFirstTL = denominator;
    const double dn = DoseAt(disk, numerator), dd = DoseAt(disk, denominator);
    disk.NcfScale = dd > 0 && disk.NcfDoseSum > 0
                        ? (DoseAt(disk, disk.NcfReference) + dn) * (dn / dd) / disk.NcfDoseSum
                        : 1.0;
}

}  // namespace

void RecognizeNcfSchemes(TPlatter& platter, const TLookupTable& table,
                         const TNcfTolerances& tolerances) {
    for (auto& entry : platter.Disks) {
        auto& disk = entry.second;  // a named reference, which the lambda below may capture
        disk.NcfFound = false;
        disk.NcfNatural = disk.NcfFirstTL = disk.NcfSecondTL = disk.NcfReference = -1;
        disk.NcfScale = 1.0;
        const int last = static_cast<int>(disk.Elements.size()) - 1;  // never examined
        const auto el = [&](int n) -> const TDiskElement& {
            return disk.Elements[static_cast<std::size_t>(n)];
        };
        std::vector<double> a, b;
        int n = 0;
        for (; n < last && el(n).IsTL; ++n) {
            if (el(n).Dose <= 0) continue;
            if (a.empty()) disk.NcfFirstTL = n;
            a.push_back(el(n).Dose);
        }
        if (n < last && el(n).Natural && !el(n).IsTL) disk.NcfNatural = n++;
        for (; n < last && el(n).IsTL; ++n) {
            if (el(n).Dose <= 0) continue;
            if (b.empty()) disk.NcfSecondTL = n;
            b.push_back(el(n).Dose);
        }
        if (n < last && EntryOf(table, el(n)).NormRecord && el(n).Dose > 0) {
            if (!b.empty()) disk.NcfReference = n;
            b.push_back(el(n).Dose);
        }
        bool checks = true;
        double d0 = 0;
        for (++n; n < last; ++n) {
            if (!EntryOf(table, el(n)).NormRecord) continue;
            if (d0 == 0) {
                d0 = el(n).Dose;
            } else if (!(std::abs(d0 - el(n).Dose) < 0.01 * d0)) {
                checks = false;
            }
        }
        const double sumB = std::accumulate(b.begin(), b.end(), 0.0);
        const bool holds = checks && !a.empty() && !b.empty() && disk.NcfNatural >= 0 &&
                           disk.NcfReference >= 0 &&
                           std::abs(a[0] - b[0]) < tolerances.firstTL * a[0] &&
                           std::abs(sumB - d0) < tolerances.sumToReference * d0;
        if (!holds) {
            disk.NcfNatural = disk.NcfFirstTL = disk.NcfSecondTL = disk.NcfReference = -1;
            continue;
        }
        disk.NcfFound = true;
        disk.NcfDoseSum = std::accumulate(a.begin(), a.end(), 0.0);
        const double second = DoseAt(disk, disk.NcfSecondTL);
        disk.NcfScale = (DoseAt(disk, disk.NcfReference) + second) *
                        (second / DoseAt(disk, disk.NcfFirstTL)) / d0;
    }
}

TNcfBlocks NcfTLBlocks(const TDiskList& disk) {
    TNcfBlocks blocks;
    if (!disk.NcfFound) return blocks;
    for (int n = 0; n < disk.NcfNatural; ++n)
        if (disk.Elements[static_cast<std::size_t>(n)].IsTL &&
            disk.Elements[static_cast<std::size_t>(n)].Dose > 0)
            blocks.first.push_back(n);
    for (int n = disk.NcfNatural + 1; n < disk.NcfReference; ++n)
        if (disk.Elements[static_cast<std::size_t>(n)].IsTL &&
            disk.Elements[static_cast<std::size_t>(n)].Dose > 0)
            blocks.second.push_back(n);
    return blocks;
}

std::vector<std::int32_t> ApplyNcfTemplate(TPlatter& platter, std::int32_t diskNumber,
                                           std::optional<int> numerator,
                                           std::optional<int> denominator, bool toAll) {
    std::vector<std::int32_t> unfit;
    const auto it = platter.Disks.find(diskNumber);
    if (it == platter.Disks.end()) return unfit;
    const bool pair = numerator && denominator;
    // The places of the choice within the chosen disk's blocks.
    const TNcfBlocks chosen = NcfTLBlocks(it->second);
    const auto place = [](const std::vector<int>& block, std::optional<int> element) {
        const auto at = std::find(block.begin(), block.end(), element.value_or(-2));
        return at == block.end() ? -1 : static_cast<int>(at - block.begin());
    };
    const int numeratorPlace = place(chosen.second, numerator);
    const int denominatorPlace = place(chosen.first, denominator);
    for (auto& [number, disk] : platter.Disks) {
        if (!toAll && number != diskNumber) continue;
        if (toAll && !disk.NcfFound) continue;
        if (!pair) {
            ClearPair(disk);
            continue;
        }
        if (number == diskNumber) {
            SetPair(disk, *numerator, *denominator);
            continue;
        }
        const TNcfBlocks own = NcfTLBlocks(disk);
        if (numeratorPlace < 0 || denominatorPlace < 0 ||
            numeratorPlace >= static_cast<int>(own.second.size()) ||
            denominatorPlace >= static_cast<int>(own.first.size())) {
            ClearPair(disk);
            unfit.push_back(number);
            continue;
        }
        SetPair(disk, own.second[static_cast<std::size_t>(numeratorPlace)],
                own.first[static_cast<std::size_t>(denominatorPlace)]);
    }
    return unfit;
}
