#pragma once
// Putting a curve measured in equal channels into the channels our record files hold: at
// most 99 OSL channels of 0.01, 0.1, 1 and 10 s (the four time bases), or at most 100 TL
// points of a whole-degree "Spacing". Counts are taken to be spread evenly over their source
// channel, so each new channel gets the share of every source channel it overlaps; the sum
// over any window whose ends lie on both grids is kept exactly.
#include <cstdint>
#include <span>
#include <vector>

#include "record_store/measurement_codes.h"

inline constexpr int kMaxOslChannels = 99;  // "Raw data" index 0 is no channel
inline constexpr int kMaxTLPoints = 100;

// The time bases for a shine of `total` seconds measured in channels of `channelWidth`
// seconds: no channel finer than the widest base not wider than the source channels (0.01 s
// at least); of the layouts that fit 99 channels, the one covering most of the shine (all of
// it when it can), then the one whose coarsest channels are finest, then the one with most
// channels of the finest width. A shine shorter than 0.01 s gets no channel.
TTimeBases ChooseOslTimeBases(double total, double channelWidth);

// The new channels' ends in seconds from the start of the shine.
std::vector<double> OslChannelEnds(const TTimeBases& bases);

// "Spacing" (degC per point) and point count of a glow curve up to `high` degC: the smallest
// whole spacing whose 100 points reach `high`, and as many points as reach it.
struct TGlowGrid {
    int spacing = 1;
    int points = 0;
};
TGlowGrid ChooseGlowGrid(double high);

// The counts of source channels [low + i w, low + (i + 1) w), w = (high - low) / n, summed
// into the bins [ends[k - 1], ends[k]) (ends[-1] = binStart). Parts of the source outside the
// bins are left out; `lost` (when given) receives whether any count was.
std::vector<double> RebinCounts(std::span<const uint32_t> counts, double low, double high,
                                double binStart, std::span<const double> ends,
                                bool* lost = nullptr);
