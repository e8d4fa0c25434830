#include "tools/osl_time_range.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Floor division for a positive divisor.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if (a % b != 0 && a < 0) --q;
    return q;
}

}  // namespace

std::int64_t HundredthsOf(double seconds) {
    // Beyond about 2^62 hundredths every time lies past the last channel anyway.
    constexpr double kLimit = 4.0e18;
    if (std::isnan(seconds)) return 0;
    const double h = std::round(seconds * 100.0);
    if (h >= kLimit) return static_cast<std::int64_t>(kLimit);
    if (h <= -kLimit) return -static_cast<std::int64_t>(kLimit);
    return static_cast<std::int64_t>(h);
}

std::int64_t ChannelDwellHundredths(std::int64_t channel, const TTimeBases& bases) {
    const std::int64_t end10 = bases.N10;
    const std::int64_t end100 = end10 + bases.N100;
    const std::int64_t end1000 = end100 + bases.N1000;
    if (channel <= end10) return 1;
    if (channel <= end100) return 10;
    if (channel <= end1000) return 100;
    return 1000;
}

std::int64_t TotalTimeHundredths(const TTimeBases& bases) {
    return std::int64_t{bases.N10} + 10 * std::int64_t{bases.N100} +
           100 * std::int64_t{bases.N1000} + 1000 * std::int64_t{bases.N10000};
}

std::int64_t LastDwellHundredths(const TTimeBases& bases) {
    if (bases.N10000 > 0) return 1000;
    if (bases.N1000 > 0) return 100;
    if (bases.N100 > 0) return 10;
    return 1;
}

std::int64_t TimeToChannel(const TTimeBases& bases, std::int64_t t, bool start) {
    const std::int64_t n10 = bases.N10, n100 = bases.N100, n1000 = bases.N1000,
                       n10000 = bases.N10000;
    const std::int64_t e1 = n10;
    const std::int64_t e2 = e1 + 10 * n100;
    const std::int64_t e3 = e2 + 100 * n1000;
    const std::int64_t e4 = e3 + 1000 * n10000;
    std::int64_t before = 0;  // channels of the earlier segments
    std::int64_t offset = 0;  // time into the segment
    std::int64_t width = 1;   // dwell time of the segment
    if (t <= e1) {
        offset = t;
    } else if (t <= e2) {
        before = n10, offset = t - e1, width = 10;
    } else if (t <= e3) {
        before = n10 + n100, offset = t - e2, width = 100;
    } else if (t <= e4) {
        before = n10 + n100 + n1000, offset = t - e3, width = 1000;
    } else {
        return n10 + n100 + n1000 + n10000;
    }
    const std::int64_t k = before + FloorDiv(offset, width);
    const bool onBoundary = offset % width == 0;
    return (start || !onBoundary) ? k + 1 : k;
}

TTimeRange WholeTimeRange(const TTimeBases& bases) {
    return {0, TotalTimeHundredths(bases)};
}

TTimeRange LastChannelRange(const TTimeBases& bases) {
    const std::int64_t total = TotalTimeHundredths(bases);
    return {total - LastDwellHundredths(bases), total};
}

TChannelSpan ChannelsOfRange(const TTimeBases& bases, const TTimeRange& range,
                             std::int64_t channelCount) {
    TChannelSpan span;
    span.first = std::max<std::int64_t>(TimeToChannel(bases, range.from, true), 1);
    span.last = std::min(TimeToChannel(bases, range.to, false), channelCount);
    return span;
}

TRangeSum SumOverRange(const TFloatArray& raw, const TTimeBases& bases, const TTimeRange& range,
                       std::int64_t channelCount) {
    const auto held = static_cast<std::int64_t>(raw.empty() ? 0 : raw.size() - 1);
    const TChannelSpan span = ChannelsOfRange(bases, range, std::min(channelCount, held));
    TRangeSum sum;
    for (std::int64_t n = span.first; n <= span.last; ++n) {
        sum.counts += raw[static_cast<std::size_t>(n)];
        sum.dwellHundredths += ChannelDwellHundredths(n, bases);
    }
    return sum;
}
