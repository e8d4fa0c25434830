#pragma once
// OSL integration ranges: a time range in whole hundredths of a second mapped onto the
// channels of a shine-down curve, and the background count rate over it.
//
// Every dwell time (0.01, 0.1, 1 and 10 s) is a whole number of hundredths, so channel
// boundaries are exact integers there. Working in doubles instead gives 2.9 / 0.1 =
// 28.999..., which puts a range that starts at 2.9 s one channel early.
#include <cstdint>

#include "record_store/float_array.h"
#include "record_store/measurement_codes.h"

// A time range in hundredths of a second.
struct TTimeRange {
    std::int64_t from = 0;
    std::int64_t to = 0;
    bool operator==(const TTimeRange&) const = default;
};

// Seconds to hundredths, rounded to the nearest (the panel shows two decimals).
std::int64_t HundredthsOf(double seconds);
inline double SecondsOf(std::int64_t hundredths) {
    return static_cast<double>(hundredths) / 100.0;
}

// Dwell time of 1-based channel n in hundredths: 1, 10, 100 or 1000.
std::int64_t ChannelDwellHundredths(std::int64_t channel, const TTimeBases& bases);
// Total stimulation time in hundredths.
std::int64_t TotalTimeHundredths(const TTimeBases& bases);
// Dwell time of the last channel: 10 s when "Time base 10000" > 0, else 1 s when "Time base
// 1000" > 0, else 0.1 s when "Time base 100" > 0, else 0.01 s.
std::int64_t LastDwellHundredths(const TTimeBases& bases);

// The channel a time falls on. With `start` the channel that begins at the time or contains
// it; without, the channel that ends at it or contains it. Times past the last segment give
// the channel count.
std::int64_t TimeToChannel(const TTimeBases& bases, std::int64_t hundredths, bool start);

// The default ranges of a record's own time bases: 0 to its total time, and its last channel.
TTimeRange WholeTimeRange(const TTimeBases& bases);
TTimeRange LastChannelRange(const TTimeBases& bases);

// Channels first..last (inclusive) of a range, within the channels 1..channelCount the record
// holds; empty (last < first) when the range covers none of them.
struct TChannelSpan {
    std::int64_t first = 1;
    std::int64_t last = 0;
    bool Empty() const { return last < first; }
};
TChannelSpan ChannelsOfRange(const TTimeBases& bases, const TTimeRange& range,
                             std::int64_t channelCount);

// Counts and dwell time (hundredths) of a raw curve over a range: channel n is raw index n.
struct TRangeSum {
    double counts = 0;
    std::int64_t dwellHundredths = 0;
};
// Counts per second of a sum whose dwell time is not 0.
inline double RateOf(const TRangeSum& sum) {
    return sum.counts * 100.0 / static_cast<double>(sum.dwellHundredths);
}
TRangeSum SumOverRange(const TFloatArray& raw, const TTimeBases& bases, const TTimeRange& range,
                       std::int64_t channelCount);
