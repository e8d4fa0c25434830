#include "analysis/aliquot_set.h"

#include "analysis/aliquot_texts.h"
#include "analysis/device_key.h"

const TDiskList* TPlatter::Find(int32_t disk) const {
    const auto it = Disks.find(disk);
    return it == Disks.end() ? nullptr : &it->second;
}

bool BuildAliquotSet(const TLookupTable& table, TPlatter& platter) {
    bool additive = false;
    bool regenerative = false;
    for (const TLookupRecord& e : table) {
        additive = additive || e.IrradClass == kNaturalPlusDose;
        regenerative = regenerative || e.IrradClass == kRegenerated;
    }
    if (additive == regenerative) return false;

    TPlatter set;
    set.Additive = additive;
    for (const TLookupRecord& e : table) {
        TDiskList& disk = set.Disks[e.Disk];
        disk.Disk = e.Disk;
        TDiskElement el;
        el.Bookmark = e.Bookmark;
        el.Ordinal = e.Ordinal;
        el.Dose = e.Irradiation.Dose;
        el.Signal = e.Curve.size() > 1 ? e.Curve[1] : 0.0;
        el.Natural = e.Natural;
        el.IsTL = e.Key.Device == 0;
        el.SignalRun = additive ? (e.TLRun && e.Key.Device < 28) : (e.TLRun && e.SadLayout);
        const auto index = static_cast<int32_t>(disk.Elements.size());
        auto track = [&] {
            if (el.SignalRun && el.Signal > disk.MaxSignal) {
                disk.MaxSignal = el.Signal;
                disk.MaxIndex = index;
            }
        };
        if (additive) {
            disk.RefDose += el.Dose;
            track();
            if (!el.SignalRun) {
                const double time = OslMeasuringTime(e.Key);
                if (time > 0) disk.BgdRate = el.Signal / time;
            }
        } else {
            if (!el.Natural || disk.RefDose != 0) disk.RefDose = el.Dose;
            if (el.Natural) track();
        }
        disk.Elements.push_back(el);
    }
    if (additive) {
        for (auto& [number, disk] : set.Disks) {
            if (disk.BgdRate != 0 || disk.Elements.empty()) continue;
            const TLookupRecord& first =
                table[static_cast<std::size_t>(disk.Elements.front().Ordinal)];
            const double time = OslMeasuringTime(first.Key);
            if (time > 0) disk.BgdRate = first.OslBgdWord * 0.1 / time;
        }
    }
    set.Description =
        set.Disks.empty() ? std::string() : DiskDescription(set.Disks.begin()->second, additive);
    platter = std::move(set);
    return true;
}

std::string DiskDescription(const TDiskList& disk, bool additive, char sep) {
    if (disk.Elements.empty()) return {};
    std::string text =
        additive ? " SAA total dose " + SignificantText(disk.RefDose, sep) + "; additive doses: "
                 : " SAR test dose " + SignificantText(disk.RefDose, sep) + "; regen doses: ";
    for (const TDiskElement& el : disk.Elements) {
        if (el.Natural && el.Dose > 0) text += SignificantText(el.Dose, sep) + "; ";
    }
    text.resize(text.size() - 2);
    return text;
}

std::vector<std::string> DiskListTexts(const TPlatter& platter) {
    std::vector<std::string> texts;
    for (const auto& [number, disk] : platter.Disks) {
        texts.push_back("Disk#" + std::to_string(number) + " " +
                        DiskDescription(disk, platter.Additive));
    }
    return texts;
}
