#include "analysis/dose_levels.h"

#include <algorithm>

namespace {

// Levels [first, last) whose dose lies in the inclusive window around c.
std::pair<std::size_t, std::size_t> Window(const std::vector<TDoseLevel>& levels, double c,
                                           double tolerance) {
    const double a = (1 - tolerance) * c;
    const double b = (1 + tolerance) * c;
    const double lo = std::min(a, b);
    const double hi = std::max(a, b);
    const auto first = std::lower_bound(levels.begin(), levels.end(), lo,
                                        [](const TDoseLevel& l, double v) { return l.Dose < v; });
    const auto last = std::upper_bound(first, levels.end(), hi,
                                       [](double v, const TDoseLevel& l) { return v < l.Dose; });
    return {static_cast<std::size_t>(first - levels.begin()),
            static_cast<std::size_t>(last - levels.begin())};
}

}  // namespace

std::vector<TDoseLevel> GroupDoseLevels(const std::vector<double>& doses, double tolerance) {
    std::vector<double> sorted = doses;
    std::stable_sort(sorted.begin(), sorted.end());
    std::vector<TDoseLevel> levels;
    levels.reserve(sorted.size());
    for (double d : sorted) levels.push_back({d, 1});
    if (!(tolerance >= 0 && tolerance < 1)) return levels;

    // Levels stay sorted: a merged dose lies between the doses it merges.
    std::vector<int> prefix;
    for (;;) {
        prefix.assign(levels.size() + 1, 0);
        for (std::size_t i = 0; i < levels.size(); ++i) prefix[i + 1] = prefix[i] + levels[i].Count;
        std::size_t best = levels.size();
        int bestCount = 0;
        for (std::size_t i = 0; i < levels.size(); ++i) {
            if (levels[i].Count > 1) continue;
            const auto [first, last] = Window(levels, levels[i].Dose, tolerance);
            const int n = prefix[last] - prefix[first];
            if (n >= bestCount) {
                bestCount = n;
                best = i;
            }
        }
        if (best == levels.size() || bestCount <= 1) break;
        const auto [first, last] = Window(levels, levels[best].Dose, tolerance);
        if (last - first < 2) break;  // nothing to join: the levels would stay as they are
        double sum = 0;
        int count = 0;
        for (std::size_t i = first; i < last; ++i) {
            sum += levels[i].Count * levels[i].Dose;
            count += levels[i].Count;
        }
        levels[first] = {sum / count, count};
        levels.erase(levels.begin() + static_cast<std::ptrdiff_t>(first) + 1,
                     levels.begin() + static_cast<std::ptrdiff_t>(last));
    }
    return levels;
}
