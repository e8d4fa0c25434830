#include "roi/roi_set.h"

#include <charconv>

namespace {

int32_t IntegerOrZero(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int32_t value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return 0;
    return value;
}

}  // namespace

std::string ROIName(int r) {
    return "ROI" + std::to_string(r);
}

int32_t DefaultFirst(TROIKind kind) {
    return kind == TROIKind::TL ? 200 : 1;
}
int32_t DefaultLast(TROIKind kind) {
    return kind == TROIKind::TL ? 500 : 99;
}

TROISet DefaultROISet(TROIKind kind) {
    TROISet set;
    for (int r = 0; r < kROICount; ++r) set[r] = TROI{ROIName(r), 0, 0};
    set[0].first = DefaultFirst(kind);
    set[0].last = DefaultLast(kind);
    return set;
}

std::string FormatROIValue(const TROI& roi) {
    return std::to_string(roi.first) + "-" + std::to_string(roi.last);
}

void ParseROIValue(const std::string& text, int32_t& first, int32_t& last) {
    const auto dash = text.find('-');
    if (dash == std::string::npos) {
        first = IntegerOrZero(text);
        last = 0;
        return;
    }
    first = IntegerOrZero(std::string_view(text).substr(0, dash));
    last = IntegerOrZero(std::string_view(text).substr(dash + 1));
}
