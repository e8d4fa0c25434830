#include "record_store/measurement_access.h"

#include <gtest/gtest.h>

#include "curve_test_files.h"
#include "record_store/bin_data_set.h"
#include "record_store/views.h"

using namespace curve_test;

namespace {

// Three DAT records written by hand: an OSL record of device 21 (time bases 5, 5, 5, 0;
// sample temperature 1 x 256 + 44; "OSL BGD" bytes 30 39), an IRSL record (2805) and a TL
// record (17).
class DatMeasurements : public ::testing::Test {
protected:
    void SetUp() override {
        TBytes file;
        for (std::uint16_t dev : {2103, 2805, 17}) {
            TBytes main(dat::kMainSize, 0);
            Put16(main, dat::kDev, dev);
            if (dev == 2103) {
                Put16(main, dat::kTimeBase10, 5);
                Put16(main, dat::kTimeBase100, 5);
                Put16(main, dat::kTimeBase1000, 5);
                Put8(main, dat::kSampleTempHi, 1);
                Put8(main, dat::kSampleTemp, 44);
                Put8(main, dat::kOslBgd, 0x30);
                Put8(main, dat::kOslBgd + 1, 0x39);
            }
            file.insert(file.end(), main.begin(), main.end());
        }
        WriteFile(folder_.File("M.DAT"), file);
        CopyDataFile("DAT.sch", folder_.File("DAT.sch"));
        ConfigureView(view_, TViewKind::Dat);
        view_.SetFileName(folder_.File("M.DAT"));
        view_.SetSchemaFileName(folder_.File("DAT.sch"));
        view_.Open();
        view_.First();
    }

    TTempFolder folder_;
    TBinDataSet view_;
};

TEST_F(DatMeasurements, DeviceCodes) {
    EXPECT_FALSE(IsTLRecord(view_));
    EXPECT_EQ(DeviceOf(view_), 21);
    view_.Next();
    EXPECT_FALSE(IsTLRecord(view_));
    EXPECT_EQ(DeviceOf(view_), kIrslDevice);
    view_.Next();
    EXPECT_TRUE(IsTLRecord(view_));
    EXPECT_EQ(DeviceOf(view_), 0);
}

TEST_F(DatMeasurements, TimingAndTemperature) {
    const TTimeBases bases = ReadTimeBases(view_);
    EXPECT_EQ(OslChannelWidth(5, bases), 0.01);
    EXPECT_EQ(OslChannelWidth(6, bases), 0.1);
    EXPECT_EQ(OslChannelWidth(15, bases), 1.0);
    EXPECT_EQ(OslChannelWidth(16, bases), 10.0);
    EXPECT_DOUBLE_EQ(OslTotalTime(bases), 5.55);
    EXPECT_EQ(SampleTemperature(view_), 300);
}

TEST_F(DatMeasurements, BackgroundRateKeepsItsBytesExchanged) {
    EXPECT_DOUBLE_EQ(OslBackgroundRate(view_), 1234.5);
    SetOslBackgroundRate(view_, 12.3);
    // 123 = 0x007B, stored high byte first.
    EXPECT_EQ(view_.FieldBytes("OSL BGD"), (TBytes{0x00, 0x7B}));
    EXPECT_DOUBLE_EQ(OslBackgroundRate(view_), 12.3);
    EXPECT_TRUE(view_.Modified());
    EXPECT_EQ(view_.State(), TDataSetState::Browse);
}

}  // namespace
