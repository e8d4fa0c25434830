#include "tools/bgd_tables.h"

#include <algorithm>

#include "record_store/bin_data_set.h"
#include "record_store/measurement_codes.h"
#include "record_store/measurement_fields.h"

std::string BackgroundListLine(std::int64_t disk, std::int64_t run) {
    std::string line = "BGD  d.      r.     ";
    auto writeAt = [&line](std::size_t at, const std::string& digits) {
        for (std::size_t i = 0; i < digits.size() && at + i < line.size(); ++i)
            line[at + i] = digits[i];
    };
    writeAt(7, std::to_string(disk));
    writeAt(15, std::to_string(run));
    return line;
}

namespace {

// The listed background entry chosen for sample entry `s`, or -1: the first listed background
// after it with the same disk, else the nearest listed one before it, else the nearest after.
int ChooseDefaultBackground(const TBuildupTable& table, int s) {
    auto listed = [&table](int i) { return !table[i].sample && table[i].link >= 0; };
    const int count = static_cast<int>(table.size());
    for (int i = s + 1; i < count; ++i) {
        if (listed(i) && table[i].disk == table[s].disk) return i;
    }
    for (int i = s - 1; i >= 0; --i) {
        if (listed(i)) return i;
    }
    for (int i = s + 1; i < count; ++i) {
        if (listed(i)) return i;
    }
    return -1;
}

}  // namespace

TBackgroundAssignment TBackgroundAssignment::Default(const TBinDataSet& view, bool tlCurves) {
    TBackgroundAssignment a;
    a.tlCurves_ = tlCurves;
    const int run = view.FieldByName(fields::kRun).index;
    const int disk = view.FieldByName(fields::kDisk).index;
    const int tlRun = view.FieldByName(fields::kTLRun).index;
    const int dev = view.FieldByName(fields::kDevNo).index;

    const int count = std::max(view.RecordCount(), 0);
    for (int r = 0; r < count; ++r) {
        const bool isTL = IsTLDeviceCode(static_cast<int>(ValueAsInteger(view.ValueAt(r, dev))));
        if (isTL != tlCurves) continue;
        TBuildupEntry e;
        e.run = static_cast<std::int32_t>(ValueAsInteger(view.ValueAt(r, run)));
        e.disk = static_cast<std::int32_t>(ValueAsInteger(view.ValueAt(r, disk)));
        e.sample = ValueAsBoolean(view.ValueAt(r, tlRun));
        e.osl = !tlCurves;
        e.bookmark = view.RecordAt(r).id;
        // Records of a negative disk take no part: never listed, never assigned.
        if (!e.sample && e.disk >= 0) {
            e.link = static_cast<std::int32_t>(a.bookmarks_.size());
            a.bookmarks_.push_back(e.bookmark);
            a.listLines_.push_back(BackgroundListLine(e.disk, e.run));
        }
        a.buildup_.push_back(e);
    }

    // Without background runs nothing can be subtracted from TL curves.
    if (a.bookmarks_.empty() && tlCurves) return a;
    for (int s = 0; s < static_cast<int>(a.buildup_.size()); ++s) {
        TBuildupEntry& e = a.buildup_[s];
        if (!e.sample || e.disk < 0) continue;
        const int chosen = a.bookmarks_.empty() ? -1 : ChooseDefaultBackground(a.buildup_, s);
        e.link = chosen;
        TBGDLookupEntry entry;
        entry.run = e.run;
        entry.disk = e.disk;
        entry.record = e.bookmark;
        if (chosen >= 0) {
            const TBuildupEntry& b = a.buildup_[chosen];
            entry.background = b.bookmark;
            entry.listIndex = b.link;
            entry.label = a.listLines_[b.link];
        } else {
            entry.label = kOwnBackgroundLabel;
        }
        a.entryIndex_[entry.record] = a.lookup_.size();
        a.lookup_.push_back(std::move(entry));
    }
    return a;
}

const TBGDLookupEntry* TBackgroundAssignment::EntryFor(std::int32_t recordBookmark) const {
    const auto it = entryIndex_.find(recordBookmark);
    return it == entryIndex_.end() ? nullptr : &lookup_[it->second];
}

std::string TBackgroundAssignment::LabelFor(long long run, long long disk) const {
    for (auto it = lookup_.rbegin(); it != lookup_.rend(); ++it) {
        if (it->run == run && it->disk == disk) return it->label;
    }
    return {};
}

bool TBackgroundAssignment::Assign(std::int32_t recordBookmark, int listIndex) {
    if (listIndex < -1 || listIndex >= static_cast<int>(bookmarks_.size())) return false;
    if (listIndex == -1 && tlCurves_) return false;
    const TBGDLookupEntry* found = EntryFor(recordBookmark);
    if (!found) return false;
    TBGDLookupEntry& entry = lookup_[static_cast<std::size_t>(found - lookup_.data())];
    entry.listIndex = listIndex;
    if (listIndex < 0) {
        entry.background = -1;
        entry.label = kOwnBackgroundLabel;
    } else {
        entry.background = bookmarks_[static_cast<std::size_t>(listIndex)];
        entry.label = listLines_[static_cast<std::size_t>(listIndex)];
    }
    return true;
}

int TBackgroundAssignment::ListIndexOf(std::int32_t backgroundBookmark) const {
    const auto it = std::find(bookmarks_.begin(), bookmarks_.end(), backgroundBookmark);
    return it == bookmarks_.end() ? -1 : static_cast<int>(it - bookmarks_.begin());
}
