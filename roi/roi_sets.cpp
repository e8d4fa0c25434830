#include "roi/roi_sets.h"

#include <algorithm>
#include <cctype>

namespace {

// Subkeys "Set<n>" in the order of n, so that "Set10" follows "Set9"; other names after them
// in the store's order.
std::vector<std::string> InSetOrder(std::vector<std::string> names) {
    auto setNumber = [](const std::string& name) -> long {
        if (name.size() <= 3 || name.size() > 12 || name.compare(0, 3, "Set") != 0) return -1;
        for (std::size_t i = 3; i < name.size(); ++i)
            if (!std::isdigit(static_cast<unsigned char>(name[i]))) return -1;
        return std::stol(name.substr(3));
    };
    std::stable_sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        const long na = setNumber(a), nb = setNumber(b);
        if (na < 0 || nb < 0) return na >= 0 && nb < 0;
        return na < nb;
    });
    return names;
}

const char* Description(TROIKind kind) {
    return kind == TROIKind::TL ? "List of ROI sets for TL computations"
                                : "List of ROI sets for OSL computations";
}

}  // namespace

TROIKindSets::TROIKindSets(TROIKind kind) : kind_(kind) {
    InstallDefault();
}

const char* TROIKindSets::KeyName() const {
    return kind_ == TROIKind::TL ? "TLROIs" : "OSLROIs";
}

void TROIKindSets::InstallDefault() {
    list_.sets.assign(1, DefaultROISet(kind_));
    list_.names.assign(1, kDefaultROISetName);
    current_ = 0;
    currentSet_ = list_.sets[0];
}

void TROIKindSets::Load(const TSettingsStore& store) {
    const std::string key = KeyName();
    const std::vector<std::string> subKeys = InSetOrder(store.SubKeys(key));
    if (subKeys.empty()) {
        InstallDefault();
        changed_ = true;
        return;
    }
    TROIList loaded;
    for (std::size_t n = 0; n < subKeys.size(); ++n) {
        const std::string setKey = key + "\\" + subKeys[n];
        std::vector<std::string> names = store.ValueNames(setKey);
        std::sort(names.begin(), names.end());
        TROISet set;
        for (int r = 0; r < kROICount; ++r) set[r].name = ROIName(r);
        int r = 0;
        for (const std::string& name : names) {
            if (name.empty()) continue;  // the set's display name
            if (r == kROICount) break;
            set[r].name = name;
            ParseROIValue(store.ReadString(setKey, name).value_or(""), set[r].first, set[r].last);
            ++r;
        }
        loaded.sets.push_back(set);
        const auto displayName = store.ReadString(setKey, "");
        loaded.names.push_back(displayName ? *displayName : "Set" + std::to_string(n));
    }
    list_ = std::move(loaded);
    const int last = store.ReadInteger(key, "LastSet").value_or(0);
    current_ = std::clamp(last, 0, list_.Count() - 1);
    currentSet_ = list_.sets[current_];
    changed_ = false;
}

bool TROIKindSets::Store(TSettingsStore& store) {
    const std::string key = KeyName();
    bool ok = true;
    for (const std::string& sub : store.SubKeys(key)) ok = store.DeleteKey(key + "\\" + sub) && ok;
    ok = store.WriteString(key, "", Description(kind_)) && ok;
    ok = store.WriteInteger(key, "LastSet", current_) && ok;
    for (int n = 0; n < list_.Count(); ++n) {
        const std::string setKey = key + "\\Set" + std::to_string(n);
        for (int r = 0; r < kROICount; ++r)
            ok = store.WriteString(setKey, ROIName(r), FormatROIValue(list_.sets[n][r])) && ok;
        ok = store.WriteString(setKey, "", list_.names[n]) && ok;
    }
    if (ok) changed_ = false;
    return ok;
}

void TROIKindSets::KeepCurrent() {
    list_.sets[current_] = currentSet_;
}

void TROIKindSets::Choose(int index) {
    if (index < 0 || index >= list_.Count()) return;
    KeepCurrent();
    current_ = index;
    currentSet_ = list_.sets[index];
    changed_ = true;
}

void TROIKindSets::Append(const std::string& name, const TROISet& set) {
    list_.sets.push_back(set);
    list_.names.push_back(name);
    current_ = list_.Count() - 1;
    currentSet_ = set;
    changed_ = true;
}

void TROIKindSets::Delete(int index) {
    if (!CanDelete(index)) return;
    list_.sets.erase(list_.sets.begin() + index);
    list_.names.erase(list_.names.begin() + index);
    current_ = std::min(index, list_.Count() - 1);
    currentSet_ = list_.sets[current_];
    changed_ = true;
}

TROISets& ProgramROISets() {
    static TROISets sets;
    return sets;
}
