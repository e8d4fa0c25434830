#include "analysis/aliquot_lists.h"

#include <algorithm>

#include "analysis/device_key.h"

std::vector<TDeviceEntry> BuildDeviceList(const TLookupTable& table) {
    std::vector<TDeviceEntry> list;
    for (const TLookupRecord& e : table) {
        if (e.NormRecord || !(IsTLDevice(e.Key) || IsOslDevice(e.Key))) continue;
        // A device already listed needs no text (equal keys give equal texts).
        const bool listed = std::any_of(list.begin(), list.end(), [&](const TDeviceEntry& d) {
            return SameDevice(d.Key, e.Key);
        });
        if (listed) continue;
        std::string text = DeviceText(e.Key);
        const bool known = std::any_of(list.begin(), list.end(),
                                       [&](const TDeviceEntry& d) { return d.Text == text; });
        if (!known) list.push_back({std::move(text), e.Key});
    }
    std::stable_sort(list.begin(), list.end(), [](const TDeviceEntry& a, const TDeviceEntry& b) {
        return CompareDeviceKeys(a.Key, b.Key) < 0;
    });
    return list;
}

int FindIrradiation(const std::vector<TIrradiationEntry>& list, const TIrradiation& irradiation) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        const TIrradiation& x = list[i].Irradiation;
        if (x.Radiation == irradiation.Radiation && x.IrradDate == irradiation.IrradDate) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::vector<TIrradiationEntry> BuildIrradiationList(const TLookupTable& table,
                                                    const TDateTimeText& dateText) {
    std::vector<TIrradiationEntry> list;
    for (const TLookupRecord& e : table) {
        if (!(e.Irradiation.Dose > 0) || FindIrradiation(list, e.Irradiation) >= 0) continue;
        TIrradiationEntry entry;
        entry.Text = IrradiationText(e.Irradiation, dateText);
        entry.Irradiation = e.Irradiation;
        entry.Irradiation.Dose = 0;
        list.push_back(std::move(entry));
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const TIrradiationEntry& a, const TIrradiationEntry& b) {
                         if (a.Irradiation.Radiation != b.Irradiation.Radiation) {
                             return a.Irradiation.Radiation < b.Irradiation.Radiation;
                         }
                         return a.Irradiation.IrradDate < b.Irradiation.IrradDate;
                     });
    return list;
}

std::vector<TBleachingEntry> BuildBleachingList(const TLookupTable& table) {
    std::vector<TBleachingEntry> list;
    for (const TLookupRecord& e : table) {
        if (e.NormRecord) continue;
        const bool listed = std::any_of(list.begin(), list.end(), [&](const TBleachingEntry& b) {
            return b.Bleaching.BleachTime == e.Bleaching.BleachTime &&
                   b.Bleaching.BleachFilter == e.Bleaching.BleachFilter;
        });
        if (listed) continue;
        std::string text = BleachingText(e.Bleaching);
        const bool known = std::any_of(list.begin(), list.end(),
                                       [&](const TBleachingEntry& b) { return b.Text == text; });
        if (!known) list.push_back({std::move(text), e.Bleaching});
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const TBleachingEntry& a, const TBleachingEntry& b) {
                         if (a.Text != b.Text) return a.Text < b.Text;
                         return a.Bleaching.BleachTime < b.Bleaching.BleachTime;
                     });
    return list;
}
