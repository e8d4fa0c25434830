#include "tools/curve_rebinning.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTicks[4] = {1, 10, 100, 1000};  // channel widths in 0.01 s

}  // namespace

TTimeBases ChooseOslTimeBases(double total, double channelWidth) {
    TTimeBases best;
    if (!(total >= 0.01) || !std::isfinite(total)) return best;
    // In ticks of 0.01 s; a whisker of slack so that 40 s is 4000 ticks however it was computed.
    const double totalTicks = std::min(total * 100.0 * (1 + 1e-9), 1e9);
    const double widthTicks = std::isfinite(channelWidth) ? channelWidth * 100.0 * (1 + 1e-9) : 0;
    int finest = 0;
    while (finest < 3 && kTicks[finest + 1] <= widthTicks) ++finest;

    long long bestCover = -1;
    int bestCoarsest = 4;
    int best3[3] = {-1, -1, -1};
    int n[4] = {0, 0, 0, 0};
    const int maxA = finest <= 0 ? kMaxOslChannels : 0;
    const int maxB = finest <= 1 ? kMaxOslChannels : 0;
    const int maxC = finest <= 2 ? kMaxOslChannels : 0;
    for (n[0] = 0; n[0] <= maxA; ++n[0]) {
        for (n[1] = 0; n[1] <= std::min(maxB, kMaxOslChannels - n[0]); ++n[1]) {
            const long long ab = n[0] + 10LL * n[1];
            if (ab > totalTicks) break;
            for (n[2] = 0; n[2] <= std::min(maxC, kMaxOslChannels - n[0] - n[1]); ++n[2]) {
                const long long abc = ab + 100LL * n[2];
                if (abc > totalTicks) break;
                n[3] = std::min<int>(kMaxOslChannels - n[0] - n[1] - n[2],
                                     static_cast<int>((totalTicks - abc) / 1000));
                const long long cover = abc + 1000LL * n[3];
                int coarsest = 0;
                for (int k = 0; k < 4; ++k)
                    if (n[k] > 0) coarsest = k;
                // Most channels of the finest width first, then of the next.
                const int fine[3] = {n[finest], finest + 1 < 4 ? n[finest + 1] : 0,
                                     finest + 2 < 4 ? n[finest + 2] : 0};
                const bool better =
                    cover > bestCover ||
                    (cover == bestCover &&
                     (coarsest < bestCoarsest ||
                      (coarsest == bestCoarsest &&
                       std::lexicographical_compare(best3, best3 + 3, fine, fine + 3))));
                if (better) {
                    bestCover = cover;
                    bestCoarsest = coarsest;
                    std::copy(fine, fine + 3, best3);
                    best = {n[0], n[1], n[2], n[3]};
                }
            }
        }
    }
    if (bestCover <= 0) return {};
    return best;
}

std::vector<double> OslChannelEnds(const TTimeBases& bases) {
    std::vector<double> ends;
    const int counts[4] = {bases.N10, bases.N100, bases.N1000, bases.N10000};
    long long ticks = 0;
    for (int k = 0; k < 4; ++k) {
        for (int i = 0; i < counts[k]; ++i) {
            ticks += kTicks[k];
            ends.push_back(static_cast<double>(ticks) / 100.0);
        }
    }
    return ends;
}

TGlowGrid ChooseGlowGrid(double high) {
    TGlowGrid grid;
    if (!(high > 0) || !std::isfinite(high)) return grid;
    grid.spacing = std::max(1, static_cast<int>(std::ceil(high / kMaxTLPoints - 1e-9)));
    grid.points = std::clamp(static_cast<int>(std::ceil(high / grid.spacing - 1e-9)), 1,
                             kMaxTLPoints);
    return grid;
}

std::vector<double> RebinCounts(std::span<const uint32_t> counts, double low, double high,
                                double binStart, std::span<const double> ends, bool* lost) {
    std::vector<double> bins(ends.size(), 0.0);
    bool dropped = false;
    const std::size_t n = counts.size();
    if (n == 0 || !(high > low) || !std::isfinite(low) || !std::isfinite(high)) {
        if (lost) *lost = n > 0;
        return bins;
    }
    const double width = (high - low) / static_cast<double>(n);
    std::size_t k = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double a = low + width * static_cast<double>(i);
        const double b = i + 1 == n ? high : low + width * static_cast<double>(i + 1);
        const double c = static_cast<double>(counts[i]);
        double placed = 0;
        // Bins before this channel are finished.
        while (k < ends.size() && ends[k] <= a) ++k;
        for (std::size_t j = k; j < ends.size(); ++j) {
            const double start = j == 0 ? binStart : ends[j - 1];
            if (start >= b) break;
            const double overlap = std::min(b, ends[j]) - std::max(a, start);
            if (overlap > 0) {
                const double share = c * overlap / (b - a);
                bins[j] += share;
                placed += share;
            }
        }
        if (c > 0 && placed < c * (1 - 1e-9)) dropped = true;
    }
    if (lost) *lost = dropped;
    return bins;
}
