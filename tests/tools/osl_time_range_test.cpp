// Time to channel in whole hundredths of a second, the default ranges and range sums.
#include "tools/osl_time_range.h"

#include <gtest/gtest.h>

namespace {

TTimeBases Bases(int n10, int n100, int n1000, int n10000) {
    return TTimeBases{n10, n100, n1000, n10000};
}

}  // namespace

TEST(TimeToChannel, StartAndEndTimesMapToTheChannelsTheyBeginOrEnd) {
    // Channels 1-10 of 0.01 s, 11-20 of 0.1 s, 21-30 of 1 s: boundaries at 0.10, 1.10, 11.10 s.
    const TTimeBases b = Bases(10, 10, 10, 0);
    struct Case {
        std::int64_t t;
        bool start;
        std::int64_t channel;
    };
    const Case cases[] = {
        {0, true, 1},     {0, false, 0},      // time 0 begins channel 1, ends none
        {5, true, 6},     {5, false, 5},      // 0.05 s: boundary between channels 5 and 6
        {10, true, 11},   {10, false, 10},    // end of the 0.01 s segment
        {15, true, 11},   {15, false, 11},    // 0.15 s lies inside channel 11 (0.10-0.20)
        {110, true, 21},  {110, false, 20},   // 1.10 s
        {1010, true, 30}, {1110, false, 30},  // the last channel, 10.10-11.10 s
        {5000, true, 30}, {5000, false, 30},  // past the end: the channel count
    };
    for (const Case& c : cases)
        EXPECT_EQ(TimeToChannel(b, c.t, c.start), c.channel)
            << c.t << (c.start ? " start" : " end");
}

TEST(TimeToChannel, HundredthsAvoidTheFloatingQuotientOneChannelEarly) {
    // 30 channels of 0.1 s: channel 30 is 2.9-3.0 s. In doubles 2.9 / 0.1 is 28.999...,
    // which would start the last-channel range at channel 29.
    const TTimeBases b = Bases(0, 30, 0, 0);
    EXPECT_EQ(HundredthsOf(2.9), 290);
    EXPECT_EQ(LastChannelRange(b), (TTimeRange{290, 300}));
    const TChannelSpan span = ChannelsOfRange(b, LastChannelRange(b), 30);
    EXPECT_EQ(span.first, 30);
    EXPECT_EQ(span.last, 30);
}

TEST(OslRanges, DefaultRangesOfTheTimeBases) {
    // The sample's OSL runs: 20 x 0.01 + 30 x 0.1 + 40 x 1 = 43.2 s, last channel 1 s.
    const TTimeBases osl = Bases(20, 30, 40, 0);
    EXPECT_EQ(WholeTimeRange(osl), (TTimeRange{0, 4320}));
    EXPECT_EQ(LastChannelRange(osl), (TTimeRange{4220, 4320}));
    // 5.55 s over channels of 0.01, 0.1 and 1 s; a 10 s channel makes the last dwell 10 s.
    EXPECT_EQ(TotalTimeHundredths(Bases(5, 5, 5, 0)), 555);
    EXPECT_EQ(LastDwellHundredths(Bases(5, 5, 5, 2)), 1000);
    EXPECT_EQ(LastDwellHundredths(Bases(7, 0, 0, 0)), 1);
    // The whole range covers channels 1 to NPT.
    const TChannelSpan all = ChannelsOfRange(osl, WholeTimeRange(osl), 90);
    EXPECT_EQ(all.first, 1);
    EXPECT_EQ(all.last, 90);
}

TEST(OslRanges, SumsCountsAndDwellTimesWithinTheHeldChannels) {
    const TTimeBases b = Bases(10, 10, 10, 0);
    TFloatArray raw(100, 0.0);
    for (int n = 1; n <= 30; ++n) raw[n] = n;  // channel n holds n counts
    // Whole range: 1 + ... + 30 = 465 counts over 11.1 s.
    const TRangeSum whole = SumOverRange(raw, b, WholeTimeRange(b), 30);
    EXPECT_DOUBLE_EQ(whole.counts, 465.0);
    EXPECT_EQ(whole.dwellHundredths, 1110);
    // A range ending before it starts covers nothing.
    const TRangeSum none = SumOverRange(raw, b, TTimeRange{500, 100}, 30);
    EXPECT_EQ(none.dwellHundredths, 0);
    EXPECT_EQ(none.counts, 0.0);
    // An NPT beyond what the field holds is cut to the held channels (1..99 of 100 values).
    TFloatArray shortRaw(5, 1.0);
    const TRangeSum cut = SumOverRange(shortRaw, Bases(200, 0, 0, 0), TTimeRange{0, 200}, 200);
    EXPECT_DOUBLE_EQ(cut.counts, 4.0);
    EXPECT_EQ(cut.dwellHundredths, 4);
}
