#pragma once
// The ROI sets of one kind (TL or OSL) as kept in the per-user settings, with the current set
// that the plateau test, the plateau result table and the ASCII export use.
//
// Settings layout below the program's key, per kind ("TLROIs" or "OSLROIs"):
//   (default value)  "List of ROI sets for TL computations" / "... OSL computations"
//   LastSet          index of the current set
//   Set<n>\          one subkey per set in list order: default value = display name,
//                    ROI0 .. ROI9 = "<first>-<last>"
// The unnamed default value is the value name "".
#include <string>

#include "platform/settings_store.h"
#include "roi/roi_set.h"

class TROIKindSets {
public:
    explicit TROIKindSets(TROIKind kind);

    TROIKind Kind() const { return kind_; }
    // "TLROIs" or "OSLROIs".
    const char* KeyName() const;

    const TROIList& List() const { return list_; }
    int CurrentIndex() const { return current_; }
    // The current set: a copy of its list entry that the computations read.
    const TROISet& Current() const { return currentSet_; }
    TROISet& Current() { return currentSet_; }
    const std::string& CurrentName() const { return list_.names[current_]; }

    bool Changed() const { return changed_; }
    void SetChanged(bool changed) { changed_ = changed; }

    // Reads the kind's sets. Without any stored set the default set becomes the only one and
    // the kind is marked changed so that it gets stored. "LastSet" outside the list is clamped.
    void Load(const TSettingsStore& store);
    // Replaces the stored sets of the kind by the list. Returns false (keeping the changed flag)
    // when the store could not be written.
    bool Store(TSettingsStore& store);

    // Copies the current set back into its list entry.
    void KeepCurrent();
    // Keeps the current set, then makes set `index` current. Ignores indexes outside the list.
    void Choose(int index);
    // Appends a named set and makes it current.
    void Append(const std::string& name, const TROISet& set);
    // The first set stays: only indexes 1 .. count-1 can be deleted.
    bool CanDelete(int index) const { return index > 0 && index < list_.Count(); }
    // Removes the set; the one at the same place, or else the new last one, becomes current.
    void Delete(int index);

private:
    void InstallDefault();

    TROIKind kind_;
    TROIList list_;
    int current_ = 0;
    TROISet currentSet_;
    bool changed_ = false;
};

// Both kinds, alive for the whole run of the program.
class TROISets {
public:
    TROISets() : tl_(TROIKind::TL), osl_(TROIKind::OSL) {}

    TROIKindSets& Of(TROIKind kind) { return kind == TROIKind::TL ? tl_ : osl_; }
    const TROIKindSets& Of(TROIKind kind) const { return kind == TROIKind::TL ? tl_ : osl_; }
    const TROISet& CurrentTL() const { return tl_.Current(); }
    const TROISet& CurrentOSL() const { return osl_.Current(); }

    void Load(const TSettingsStore& store) {
        tl_.Load(store);
        osl_.Load(store);
    }

private:
    TROIKindSets tl_;
    TROIKindSets osl_;
};

// The program's sets. The editor loads them from the user's settings at start-up and the
// "System parameters" dialog edits them; until loaded both kinds hold their default set.
TROISets& ProgramROISets();
