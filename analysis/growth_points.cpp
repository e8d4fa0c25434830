#include "analysis/growth_points.h"

#include <algorithm>
#include <limits>

#include "analysis/device_key.h"
#include "analysis/dose_levels.h"

namespace {

// Which dose list a measurement of the selection joins for a method: 1, 2 or 0 (none).
int ListOf(const TLookupRecord& e, int method) {
    switch (method) {
        case kSecondGlowIntercept:
            return e.IrradClass == kDoseWithoutNatural ? 2 : 0;
        case kAlphaEfficiency:
            return e.IrradClass == kNotIrradiated || e.Irradiation.Radiation == TRadiation::Alpha
                       ? 1
                       : 2;
        case kFirstSecondGlowCeramic:
            return e.IrradClass == kDoseWithoutNatural ? 2 : 1;
        case kAlphaGrowth:
            return 1;
        default:
            return e.Bleaching.BleachTime > 0 ? 2 : 1;
    }
}

uint8_t SecondListKind(int method) {
    switch (method) {
        case kRegenGrowth:
        case kAdditiveRegenSlide:
            return kRegenLevel;
        case kPartialBleach:
            return kPartialBleachLevel;
        case kTotalBleach:
        case kSecondGlowIntercept:
        case kAlphaEfficiency:
        case kFirstSecondGlowCeramic:
            return kFurtherLevel;
        default:
            return 0;  // methods 0 and 6 have no second list
    }
}

// The measurement's value at the index, or unavailable beyond its curve.
void ReadPoint(const TLookupRecord& e, int index, TGrowthPoint& p) {
    const bool inside = index >= 0 && static_cast<std::size_t>(index) < e.Curve.size() &&
                        (e.Key.Device == 0 || index <= e.LastChannel);
    p.Available = inside ? 1 : 0;
    p.Signal = inside ? e.Curve[static_cast<std::size_t>(index)] : 0.0;
    p.Accepted = inside && e.Accepted ? 1 : 0;
}

}  // namespace

TIndexFields IndexFieldsFor(const TDeviceKey& device, int method, const TPlatter* platter) {
    TIndexFields f;
    if (method == kSaAdditive || method == kSaRegenerative) {
        f.Unit = TIndexUnit::Disk;
        f.UnitWord = "disk";
        if (platter && !platter->Disks.empty()) {
            f.Minimum = platter->Disks.begin()->first;
            f.Maximum = platter->Disks.rbegin()->first;
        }
        f.DefaultIndex = f.Minimum;
        return f;
    }
    if (!IsTLDevice(device)) {
        f.Unit = TIndexUnit::Channel;
        f.UnitWord = "channel";
        f.Minimum = 1;
        f.Maximum = OslChannelCount(device);
        f.Step = std::max(device.Spacing, 1);
        f.DefaultIndex = 1;
        return f;
    }
    f.Unit = TIndexUnit::Temperature;
    f.UnitWord = "degC";
    if (device.Spacing <= 0) {
        f.Error = kZeroSpacingMessage;
        return f;
    }
    f.Spacing = device.Spacing;
    f.Step = device.Spacing;
    f.Minimum = 200;
    f.Maximum = device.EndTemp <= 500 ? 500 : 700;
    f.DefaultIndex = 300 / device.Spacing - 1;
    return f;
}

bool IndexFromValue(const TIndexFields& f, int value, int& index, std::string& message) {
    if (!f.Valid()) {
        message = f.Error;
        return false;
    }
    if (value < f.Minimum || value > f.Maximum) {
        message = "The " + f.UnitWord + " " + std::to_string(value) + " is outside " +
                  std::to_string(f.Minimum) + ".." + std::to_string(f.Maximum) + ".";
        return false;
    }
    index = f.Unit == TIndexUnit::Temperature ? value / f.Spacing - 1 : value;
    return true;
}

int ValueOfIndex(const TIndexFields& f, int index) {
    return f.Unit == TIndexUnit::Temperature ? (index + 1) * f.Spacing : index;
}

void IndexRange(const TLookupTable& table, const TDeviceKey& device, int& first, int& last) {
    int smallest = std::numeric_limits<int>::max();
    for (const TLookupRecord& e : table) {
        if (e.InSelection) smallest = std::min(smallest, static_cast<int>(e.LastChannel));
    }
    if (!IsTLDevice(device)) {
        first = 1;
        last = smallest == std::numeric_limits<int>::max() ? 0 : smallest;
        return;
    }
    const int start = device.Spacing > 0 ? device.EndTemp / device.Spacing - 1 : 0;
    last = std::min(start, smallest);
    first = device.Spacing > 0 ? std::min(200 / device.Spacing - 1, start) : 0;
}

TGrowthPoints BuildGrowthPoints(const TLookupTable& table, int method, int index) {
    std::vector<double> doses[3];
    for (const TLookupRecord& e : table) {
        if (e.InSelection) doses[ListOf(e, method)].push_back(e.Irradiation.Dose);
    }
    const uint8_t secondKind = SecondListKind(method);
    TGrowthPoints points;
    for (const TDoseLevel& l : GroupDoseLevels(doses[1], 0)) {
        points.push_back({kGrowthLevel, 0, l.Dose, {}});
        points.back().Points.reserve(static_cast<std::size_t>(l.Count));
    }
    if (secondKind != 0) {
        for (const TDoseLevel& l : GroupDoseLevels(doses[2], 0)) {
            points.push_back({secondKind, 0, l.Dose, {}});
            points.back().Points.reserve(static_cast<std::size_t>(l.Count));
        }
    }
    for (const TLookupRecord& e : table) {
        if (!e.InSelection) continue;
        const int list = ListOf(e, method);
        if (list == 0 || (list == 2 && secondKind == 0)) continue;
        for (TDosePoints& level : points) {
            const bool kindFits =
                list == 1 ? level.Kind == kGrowthLevel : level.Kind != kGrowthLevel;
            if (!kindFits || level.Dose != e.Irradiation.Dose) continue;
            TGrowthPoint p;
            p.Ordinal = e.Ordinal;
            ReadPoint(e, index, p);
            level.Points.push_back(p);
            break;
        }
    }
    return points;
}

void UpdateGrowthPoints(TGrowthPoints& points, const TLookupTable& table, int index) {
    for (TDosePoints& level : points) {
        for (TGrowthPoint& p : level.Points) {
            if (p.Ordinal < 0 || static_cast<std::size_t>(p.Ordinal) >= table.size()) continue;
            ReadPoint(table[static_cast<std::size_t>(p.Ordinal)], index, p);
        }
    }
}

bool TakeOverAcceptedFlags(const TGrowthPoints& points, TLookupTable& table) {
    bool changed = false;
    for (const TDosePoints& level : points) {
        for (const TGrowthPoint& p : level.Points) {
            if (p.Ordinal < 0 || !p.Available ||
                static_cast<std::size_t>(p.Ordinal) >= table.size()) {
                continue;
            }
            TLookupRecord& e = table[static_cast<std::size_t>(p.Ordinal)];
            if (e.Accepted != (p.Accepted != 0)) {
                e.Accepted = p.Accepted != 0;
                changed = true;
            }
        }
    }
    return changed;
}

void ToggleAccepted(TLookupTable& table, int ordinal, TGrowthPoints& points) {
    if (ordinal < 0 || static_cast<std::size_t>(ordinal) >= table.size()) return;
    TLookupRecord& e = table[static_cast<std::size_t>(ordinal)];
    e.Accepted = !e.Accepted;
    for (TDosePoints& level : points) {
        for (TGrowthPoint& p : level.Points) {
            if (p.Ordinal == ordinal) p.Accepted = e.Accepted && p.Available ? 1 : 0;
        }
    }
}
