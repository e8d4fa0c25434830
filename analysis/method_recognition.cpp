#include "analysis/method_recognition.h"

#include <algorithm>
#include <functional>
#include <map>
#include <utility>

#include "analysis/aliquot_texts.h"
#include "analysis/device_key.h"
#include "analysis/dose_levels.h"

namespace {

using TRadiationSet = std::array<bool, 4>;
constexpr TRadiationSet kBetaGamma = {false, false, true, true};
constexpr TRadiationSet kAlpha = {false, true, false, false};

bool Has(const TLookupRecord& e, int bit) {
    return (e.Methods & MethodBit(bit)) != 0;
}

bool Matches(const TLookupRecord& e, const TComputeSelection& s, const TRadiationSet& allowed) {
    if (!e.Accepted || !SameDevice(e.Key, s.Device)) return false;
    if (e.Bleaching.BleachTime > 0 && (e.Bleaching.BleachTime != s.Bleaching.BleachTime ||
                                       e.Bleaching.BleachFilter != s.Bleaching.BleachFilter)) {
        return false;
    }
    if (e.Irradiation.Dose > 0) {
        const auto radiation = static_cast<std::size_t>(e.Irradiation.Radiation);
        if (radiation >= allowed.size() || !allowed[radiation]) return false;
        return std::any_of(s.Irradiations.begin(), s.Irradiations.end(),
                           [&](const TIrradiation& i) {
                               return i.Radiation == e.Irradiation.Radiation &&
                                      i.IrradDate == e.Irradiation.IrradDate;
                           });
    }
    return true;
}

// The accepted measurements matching a selection, found in one pass over the table: those
// matching under beta and gamma and those matching under alpha (undosed ones in both).
class TCounter {
public:
    TCounter(const TLookupTable& table, const TComputeSelection& s) {
        betaGamma_.reserve(table.size());
        alpha_.reserve(table.size());
        for (const TLookupRecord& e : table) {
            if (Matches(e, s, kBetaGamma)) betaGamma_.push_back(&e);
            if (Matches(e, s, kAlpha)) alpha_.push_back(&e);
        }
    }

    // Natural and bleached records carry no dose, so either list holds them all.
    bool Natural(int n) const {
        return Count([](const TLookupRecord& e) {
                   return Has(e, kAdditiveGrowth) && e.Irradiation.Dose == 0 &&
                          e.Bleaching.BleachTime == 0;
               }) >= n;
    }
    bool Bleached(int n) const {
        return Count([](const TLookupRecord& e) {
                   return Has(e, kTotalBleach) && e.Bleaching.BleachTime > 0;
               }) >= n;
    }
    // Whether the matching records of a kind form at least `levels` dose levels. The
    // number of levels of each kind is worked out once per selection.
    bool Levels(bool (*kind)(const TLookupRecord&), int levels,
                const TRadiationSet& allowed) const {
        const auto key = std::make_pair(reinterpret_cast<const void*>(kind), allowed[1]);
        auto it = levelCounts_.find(key);
        if (it == levelCounts_.end()) {
            std::vector<double> doses;
            for (const TLookupRecord* e : allowed[1] ? alpha_ : betaGamma_) {
                if (kind(*e)) doses.push_back(e->Irradiation.Dose);
            }
            int n = 0;
            for (const TDoseLevel& l : GroupDoseLevels(doses, kRecognitionTolerance)) {
                if (l.Count >= 1) ++n;
            }
            it = levelCounts_.emplace(key, n).first;
        }
        return it->second >= levels;
    }

private:
    template <class TPred>
    int Count(TPred pred) const {
        int n = 0;
        for (const TLookupRecord* e : betaGamma_) {
            if (pred(*e)) ++n;
        }
        return n;
    }
    std::vector<const TLookupRecord*> betaGamma_;
    std::vector<const TLookupRecord*> alpha_;
    mutable std::map<std::pair<const void*, bool>, int> levelCounts_;
};

bool NPlusD(const TLookupRecord& e) {
    return Has(e, kAdditiveGrowth) && e.Irradiation.Dose > 0 && e.Bleaching.BleachTime == 0;
}
bool Regen(const TLookupRecord& e) {
    return Has(e, kRegenGrowth) && e.Irradiation.Dose > 0 && e.Bleaching.BleachTime > 0;
}
bool Partial(const TLookupRecord& e) {
    return Has(e, kPartialBleach) && e.Irradiation.Dose > 0 && e.Bleaching.BleachTime > 0;
}
bool Second(const TLookupRecord& e) {
    return e.IrradClass == kDoseWithoutNatural && !(e.Methods & kNormalizationBit);
}
bool Sar(const TLookupRecord& e) {
    return Has(e, kSaRegenerative);
}
bool Saa(const TLookupRecord& e) {
    return Has(e, kSaAdditive);
}
// A SAR measurement of the natural signal: neither bleached nor regenerated, no test dose.
// Without one on the device no aliquot has a dose to find.
bool HasSarNatural(const TLookupTable& table, const TDeviceKey& device) {
    return std::any_of(table.begin(), table.end(), [&](const TLookupRecord& e) {
        return SameDevice(e.Key, device) && Sar(e) && !e.NormRecord &&
               e.Bleaching.BleachTime == 0 && e.IrradClass != kRegenerated;
    });
}

bool BleachedTreatment(const TBleaching& b) {
    return b.BleachTime > 0;
}

bool NeverBleached(int method) {
    return method == kAdditiveGrowth || method == kSecondGlowIntercept ||
           method == kAlphaEfficiency || method == kAlphaGrowth ||
           method == kFirstSecondGlowCeramic;
}

bool Feasible(int method, const TCounter& c, const TLookupTable& table,
              const TComputeSelection& s) {
    switch (method) {
        case kAdditiveGrowth:
            return c.Natural(1) && c.Levels(NPlusD, 1, kBetaGamma) && !c.Levels(Saa, 2, kBetaGamma);
        case kRegenGrowth:
            return c.Natural(1) && c.Levels(Regen, 1, kBetaGamma) && c.Bleached(1);
        case kTotalBleach:
            return c.Natural(1) && c.Levels(NPlusD, 1, kBetaGamma) && c.Bleached(1);
        case kPartialBleach:
            return c.Natural(1) && c.Levels(NPlusD, 1, kBetaGamma) &&
                   c.Levels(Partial, 1, kBetaGamma) && c.Bleached(1);
        case kSecondGlowIntercept:
            return c.Levels(Second, 2, kBetaGamma);
        case kAlphaEfficiency: {
            TComputeSelection alpha = s;
            TComputeSelection others = s;
            alpha.Irradiations.clear();
            others.Irradiations.clear();
            for (const TIrradiation& i : s.Irradiations) {
                (i.Radiation == TRadiation::Alpha ? alpha : others).Irradiations.push_back(i);
            }
            const TCounter a(table, alpha);
            const TCounter o(table, others);
            return (a.Natural(1) && a.Levels(NPlusD, 1, kAlpha) && o.Natural(1) &&
                    o.Levels(NPlusD, 1, kBetaGamma)) ||
                   (a.Levels(Second, 2, kAlpha) && o.Levels(Second, 2, kBetaGamma));
        }
        case kAlphaGrowth:
            return c.Natural(1) && c.Levels(NPlusD, 1, kAlpha);
        case kAdditiveRegenSlide:
            return c.Natural(1) && c.Levels(NPlusD, 1, kBetaGamma) &&
                   c.Levels(Regen, 1, kBetaGamma) && c.Bleached(1);
        case kFirstSecondGlowCeramic:
            return c.Natural(1) && c.Levels(NPlusD, 1, kBetaGamma) &&
                   c.Levels(Second, 2, kBetaGamma);
        case kSaAdditive:
            return c.Levels(Saa, 2, kBetaGamma);
        case kSaRegenerative:
            return c.Levels(Sar, 2, kBetaGamma) && HasSarNatural(table, s.Device);
        default:
            return false;
    }
}

}  // namespace

bool MethodFeasible(int method, const TLookupTable& table, const TComputeSelection& s) {
    return Feasible(method, TCounter(table, s), table, s);
}

TComputeSelection MakeSelection(const TDeviceKey& device,
                                const std::vector<TIrradiationEntry>& irradiations,
                                const TBleaching& bleaching) {
    TComputeSelection s;
    s.Device = device;
    s.Bleaching = bleaching;
    for (const TIrradiationEntry& e : irradiations) {
        if (e.Selected) s.Irradiations.push_back(e.Irradiation);
    }
    return s;
}

TMethodGrid PossibleMethods(const TLookupTable& table, const TDeviceKey& device,
                            const std::vector<TIrradiationEntry>& irradiations,
                            const std::vector<TBleachingEntry>& bleachings) {
    TMethodGrid grid;
    grid.Possible.resize(bleachings.size());
    std::array<bool, kMethodCount> any{};
    for (std::size_t b = 0; b < bleachings.size(); ++b) {
        const TComputeSelection s = MakeSelection(device, irradiations, bleachings[b].Bleaching);
        for (int m = 0; m < kMethodCount; ++m) {
            const bool possible =
                !(BleachedTreatment(bleachings[b].Bleaching) && NeverBleached(m)) &&
                MethodFeasible(m, table, s);
            grid.Possible[b][static_cast<std::size_t>(m)] = {possible, possible};
            if (possible) any[static_cast<std::size_t>(m)] = true;
        }
    }
    for (int m = 0; m < kMethodCount; ++m) {
        if (any[static_cast<std::size_t>(m)]) grid.Methods.push_back(m);
    }
    return grid;
}

void RecheckPossibleMethods(TMethodGrid& grid, const TLookupTable& table, const TDeviceKey& device,
                            const std::vector<TIrradiationEntry>& irradiations,
                            const std::vector<TBleachingEntry>& bleachings) {
    const std::size_t rows = std::min(grid.Possible.size(), bleachings.size());
    for (std::size_t b = 0; b < rows; ++b) {
        const TComputeSelection s = MakeSelection(device, irradiations, bleachings[b].Bleaching);
        const TCounter counter(table, s);
        for (int m : grid.Methods) {
            auto& flags = grid.Possible[b][static_cast<std::size_t>(m)];
            if (flags[0]) flags[1] = Feasible(m, counter, table, s);
        }
    }
}

int UpdateSelection(TLookupTable& table, const TDeviceKey& device,
                    const std::vector<TIrradiationEntry>& irradiations, const TBleaching& bleaching,
                    int method, bool methodListEmpty) {
    const std::string bleachText = BleachingText(bleaching);
    int n = 0;
    for (TLookupRecord& e : table) {
        bool in = SameDevice(e.Key, device) && (IsTLDevice(e.Key) || IsOslDevice(e.Key));
        const bool dosed = e.Irradiation.Dose > 0;
        if (in && dosed) {
            const int at = FindIrradiation(irradiations, e.Irradiation);
            in = at >= 0 && irradiations[static_cast<std::size_t>(at)].Selected;
        }
        if (in && e.Bleaching.BleachTime > 0) {
            // The text decides; an equal treatment has an equal text without making it.
            const bool same = e.Bleaching.BleachTime == bleaching.BleachTime &&
                              e.Bleaching.BleachFilter == bleaching.BleachFilter;
            in = same || BleachingText(e.Bleaching) == bleachText;
        }
        const bool alpha = dosed && e.Irradiation.Radiation == TRadiation::Alpha;
        if (in && !methodListEmpty) {
            if (method == kAlphaGrowth) {
                in = Has(e, kAdditiveGrowth) && (!dosed || alpha);
            } else {
                in = method >= 0 && method < 16 && (e.Methods & (1u << method)) != 0;
                if (in && alpha && method != kSecondGlowIntercept && method != kAlphaEfficiency) {
                    in = false;
                }
            }
        }
        e.InSelection = in;
        if (in) ++n;
    }
    return n;
}
