#include "record_store/measurement_codes.h"

#include <gtest/gtest.h>

TEST(MeasurementCodes, RoundHalfEven) {
    const double cases[][2] = {{2.5, 2},    {3.5, 4}, {-2.5, -2}, {-3.5, -4},  {0.5, 0},
                               {1.4999, 1}, {2.6, 3}, {-0.4, 0},  {123.0, 123}};
    for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c[0]), c[1]) << c[0];
}

TEST(MeasurementCodes, DeviceCode) {
    EXPECT_FALSE(IsTLDeviceCode(2103));
    EXPECT_EQ(DeviceOfCode(2103), 21);
    EXPECT_EQ(OslDeviceName(DeviceOfCode(2103)), "OSL #1");
    EXPECT_EQ(OslDeviceName(DeviceOfCode(2805)), "IRSL");
    EXPECT_TRUE(IsTLDeviceCode(17));
    EXPECT_EQ(DeviceOfCode(17), 0);
    EXPECT_TRUE(IsTLDeviceCode(999));
    EXPECT_FALSE(IsTLDeviceCode(1000));
    // Entering a device keeps the sub-number; only 0 and 20 to 28 are accepted.
    EXPECT_EQ(CodeWithDevice(2107, 25), 2507);
    EXPECT_EQ(CodeWithDevice(2807, 21), 2107);
    EXPECT_EQ(CodeWithDevice(2107, 0), 7);
    EXPECT_EQ(CodeWithDevice(2107, 30), std::nullopt);
    EXPECT_EQ(CodeWithDevice(2107, 19), std::nullopt);
    EXPECT_EQ(CodeWithDevice(2107, 29), std::nullopt);
}

TEST(MeasurementCodes, ChannelWidthsAndTotalTime) {
    const TTimeBases bases{5, 5, 5, 0};
    for (int n = 1; n <= 16; ++n) {
        const double expected = n <= 5 ? 0.01 : n <= 10 ? 0.1 : n <= 15 ? 1.0 : 10.0;
        EXPECT_EQ(OslChannelWidth(n, bases), expected) << "channel " << n;
    }
    EXPECT_DOUBLE_EQ(OslTotalTime(bases), 5.55);
    // 100 x 0.01 + 40 x 0.1 + 3 x 1 + 2 x 10 = 28 s; the sum of the channel widths agrees.
    const TTimeBases mixed{100, 40, 3, 2};
    double sum = 0;
    for (int n = 1; n <= 145; ++n) sum += OslChannelWidth(n, mixed);
    EXPECT_NEAR(sum, 28.0, 1e-9);
    EXPECT_DOUBLE_EQ(OslTotalTime(mixed), 28.0);
    EXPECT_EQ(OslChannelWidth(146, mixed), 10.0);
}

TEST(MeasurementCodes, SampleTemperature) {
    EXPECT_EQ(SampleTemperatureOf(1, 44), 300);
    EXPECT_EQ(SampleTemperatureOf(0, 125), 125);
}

TEST(MeasurementCodes, OslBackgroundByteExchange) {
    // Bytes 30 39 in the file: the word 0x3930; exchanged 0x3039 = 12345 tenths.
    EXPECT_DOUBLE_EQ(OslBgdToRate(0x3930), 1234.5);
    EXPECT_EQ(RateToOslBgd(12.3), 0x7B00);  // 123 = 0x007B
    EXPECT_EQ(RateToOslBgd(1234.5), 0x3930);
    EXPECT_EQ(RateToOslBgd(0.25), 0x0200);  // 2.5 tenths -> 2 (half to even)
    EXPECT_EQ(RateToOslBgd(0.35), 0x0400);  // 3.5 tenths -> 4
    EXPECT_EQ(RateToOslBgd(-4.0), 0x0000);
    EXPECT_EQ(RateToOslBgd(7000.0), 0xFFFF);  // beyond the word: the largest value
}

TEST(MeasurementCodes, Power) {
    EXPECT_NEAR(PowerPercent(128), 50.196, 1e-3);
    EXPECT_EQ(PowerFromPercent(20), 51);
    EXPECT_EQ(PowerFromPercent(100), 255);
    EXPECT_EQ(PowerFromPercent(150), 255);
    EXPECT_EQ(PowerFromPercent(-5), 0);
    EXPECT_EQ(PowerFromPercent(0.2), 1);  // 0.51
}
