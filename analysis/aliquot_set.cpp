#include "analysis/aliquot_set.h"

#include "analysis/aliquot_texts.h"
#include "analysis/device_key.h"

#include <set>
#include <utility>

#include "record_store/measurement_codes.h"

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

    // Single grains (the file has "Hole#"): one aliquot per disk and hole.
    bool grains = false;
    std::set<std::pair<int32_t, int32_t>> holes;
    for (const TLookupRecord& e : table) {
        grains = grains || e.HoleKey != 0;
        holes.emplace(e.Disk, 255 - e.HoleKey);
    }
    const auto aliquotOf = [&](const TLookupRecord& e) {
        if (!grains) return e.Disk;
        return static_cast<int32_t>(
            std::distance(holes.begin(), holes.find({e.Disk, 255 - e.HoleKey})) + 1);
    };

    TPlatter set;
    set.Additive = additive;
    for (const TLookupRecord& e : table) {
        TDiskList& disk = set.Disks[aliquotOf(e)];
        disk.Disk = e.Disk;
        if (grains) disk.Hole = 255 - e.HoleKey;
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
            // "OSL BGD" holds the rate in counts per second (ten times, bytes exchanged).
            const TLookupRecord& first =
                table[static_cast<std::size_t>(disk.Elements.front().Ordinal)];
            disk.BgdRate = OslBgdToRate(first.OslBgdWord);
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

std::string AliquotName(const TDiskList& disk) {
    std::string name = "Disk " + std::to_string(disk.Disk);
    if (disk.Hole >= 0) name += " hole " + std::to_string(disk.Hole);
    return name;
}

std::vector<std::string> DiskListTexts(const TPlatter& platter) {
    std::vector<std::string> texts;
    for (const auto& [number, disk] : platter.Disks) {
        const std::string name =
            disk.Hole >= 0 ? AliquotName(disk) : "Disk#" + std::to_string(number);
        texts.push_back(name + " " + DiskDescription(disk, platter.Additive));
    }
    return texts;
}
