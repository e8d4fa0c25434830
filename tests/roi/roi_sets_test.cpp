#include "roi/roi_sets.h"

#include <gtest/gtest.h>

namespace {

TEST(ROIValue, ParsesFirstAndLastAtTheFirstDash) {
    struct Case {
        const char* text;
        int32_t first, last;
    } cases[] = {
        {"250-300", 250, 300}, {"x-300", 0, 300}, {"250-", 250, 0}, {"250", 250, 0}, {"", 0, 0},
        {"-5-10", 0, 0},       {"1-99", 1, 99},   {"12a-7", 0, 7},
    };
    for (const Case& c : cases) {
        int32_t first = -1, last = -1;
        ParseROIValue(c.text, first, last);
        EXPECT_EQ(first, c.first) << c.text;
        EXPECT_EQ(last, c.last) << c.text;
    }
    EXPECT_EQ(FormatROIValue(TROI{"ROI0", 200, 500}), "200-500");
}

TEST(ROIValue, UnsetWhenFirstNotPositiveOrLastBelowOne) {
    EXPECT_FALSE((TROI{"", 0, 50}).IsSet());
    EXPECT_FALSE((TROI{"", 5, 0}).IsSet());
    EXPECT_TRUE((TROI{"", 1, 1}).IsSet());
}

TEST(ROISets, EmptySettingsGiveTheDefaultSetsMarkedChanged) {
    TMemorySettingsStore store;
    TROISets sets;
    sets.Load(store);
    for (TROIKind kind : {TROIKind::TL, TROIKind::OSL}) {
        const TROIKindSets& k = sets.Of(kind);
        ASSERT_EQ(k.List().Count(), 1);
        EXPECT_EQ(k.CurrentName(), "Default ROIs");
        EXPECT_TRUE(k.Changed());
        for (int r = 0; r < kROICount; ++r)
            EXPECT_EQ(k.Current()[r].name, "ROI" + std::to_string(r));
        for (int r = 1; r < kROICount; ++r) EXPECT_FALSE(k.Current()[r].IsSet());
    }
    EXPECT_EQ(sets.CurrentTL()[0].first, 200);
    EXPECT_EQ(sets.CurrentTL()[0].last, 500);
    EXPECT_EQ(sets.CurrentOSL()[0].first, 1);
    EXPECT_EQ(sets.CurrentOSL()[0].last, 99);
}

TEST(ROISets, StoresTheValuesOfTheSettingsLayout) {
    TMemorySettingsStore store;
    TROIKindSets tl(TROIKind::TL);
    tl.Load(store);
    TROISet second = DefaultROISet(TROIKind::TL);
    second[3] = TROI{"ROI3", 250, 300};
    tl.Append("Quartz", second);
    ASSERT_TRUE(tl.Store(store));
    EXPECT_FALSE(tl.Changed());

    EXPECT_EQ(store.ReadString("TLROIs", ""), "List of ROI sets for TL computations");
    EXPECT_EQ(store.ReadInteger("TLROIs", "LastSet"), 1);
    EXPECT_EQ(store.SubKeys("TLROIs"), (std::vector<std::string>{"Set0", "Set1"}));
    EXPECT_EQ(store.ReadString("TLROIs\\Set0", ""), "Default ROIs");
    EXPECT_EQ(store.ReadString("TLROIs\\Set0", "ROI0"), "200-500");
    EXPECT_EQ(store.ReadString("TLROIs\\Set0", "ROI9"), "0-0");
    EXPECT_EQ(store.ReadString("TLROIs\\Set1", ""), "Quartz");
    EXPECT_EQ(store.ReadString("TLROIs\\Set1", "ROI3"), "250-300");
    EXPECT_EQ(store.ValueNames("TLROIs\\Set1").size(), 11u);

    TROIKindSets osl(TROIKind::OSL);
    osl.Load(store);
    ASSERT_TRUE(osl.Store(store));
    EXPECT_EQ(store.ReadString("OSLROIs", ""), "List of ROI sets for OSL computations");
    EXPECT_EQ(store.ReadString("OSLROIs\\Set0", "ROI0"), "1-99");
}

TEST(ROISets, ReloadGivesTheStoredSetsAndCurrentIndex) {
    TMemorySettingsStore store;
    TROIKindSets tl(TROIKind::TL);
    tl.Load(store);
    TROISet a = DefaultROISet(TROIKind::TL);
    a[1] = TROI{"ROI1", 210, 260};
    tl.Append("A", a);
    tl.Append("B", DefaultROISet(TROIKind::TL));
    tl.Choose(1);
    ASSERT_TRUE(tl.Store(store));

    TROIKindSets again(TROIKind::TL);
    again.Load(store);
    EXPECT_FALSE(again.Changed());
    ASSERT_EQ(again.List().names, (std::vector<std::string>{"Default ROIs", "A", "B"}));
    EXPECT_EQ(again.CurrentIndex(), 1);
    EXPECT_EQ(again.Current(), a);
}

TEST(ROISets, ElevenSetsKeepSet10AfterSet9) {
    TMemorySettingsStore store;
    TROIKindSets tl(TROIKind::TL);
    tl.Load(store);
    for (int n = 1; n <= 10; ++n) tl.Append("S" + std::to_string(n), DefaultROISet(TROIKind::TL));
    ASSERT_TRUE(tl.Store(store));  // the memory store lists Set10 before Set2
    TROIKindSets again(TROIKind::TL);
    again.Load(store);
    ASSERT_EQ(again.List().Count(), 11);
    EXPECT_EQ(again.List().names[9], "S9");
    EXPECT_EQ(again.List().names[10], "S10");
    EXPECT_EQ(again.CurrentIndex(), 10);
    EXPECT_EQ(again.CurrentName(), "S10");
}

TEST(ROISets, LoadsHandWrittenSettings) {
    TMemorySettingsStore store;
    // A set without a display name and without a default value: every value is a ROI.
    store.WriteString("TLROIs\\Set0", "ROI0", "150-450");
    store.WriteString("TLROIs\\Set0", "ROI3", "250-300");
    // More than ten values: the first ten in sorted order count.
    for (const char* name : {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K"})
        store.WriteString("TLROIs\\Set1", name, std::string("1-") + std::to_string(name[0]));
    store.WriteString("TLROIs\\Set1", "", "Eleven");
    store.WriteInteger("TLROIs", "LastSet", 7);

    TROIKindSets tl(TROIKind::TL);
    tl.Load(store);
    ASSERT_EQ(tl.List().Count(), 2);
    EXPECT_EQ(tl.List().names[0], "Set0");
    const TROISet& first = tl.List().sets[0];
    EXPECT_EQ(first[0], (TROI{"ROI0", 150, 450}));
    EXPECT_EQ(first[1], (TROI{"ROI3", 250, 300}));  // the values fill the set in sorted order
    EXPECT_EQ(first[2], (TROI{"ROI2", 0, 0}));
    const TROISet& eleven = tl.List().sets[1];
    EXPECT_EQ(eleven[0].name, "A");
    EXPECT_EQ(eleven[9], (TROI{"J", 1, 'J'}));
    // LastSet beyond the list is clamped to its last set.
    EXPECT_EQ(tl.CurrentIndex(), 1);
    EXPECT_EQ(tl.CurrentName(), "Eleven");
}

TEST(ROISets, StoringReplacesSetsThatNoLongerExist) {
    TMemorySettingsStore store;
    TROIKindSets tl(TROIKind::TL);
    tl.Load(store);
    tl.Append("A", DefaultROISet(TROIKind::TL));
    tl.Append("B", DefaultROISet(TROIKind::TL));
    ASSERT_TRUE(tl.Store(store));
    tl.Delete(2);
    ASSERT_TRUE(tl.Store(store));
    EXPECT_EQ(store.SubKeys("TLROIs"), (std::vector<std::string>{"Set0", "Set1"}));
    EXPECT_EQ(store.ReadInteger("TLROIs", "LastSet"), 1);
}

TEST(ROISets, DeleteKeepsTheFirstSetAndMovesTheCurrentOne) {
    TROIKindSets tl(TROIKind::TL);
    tl.Append("A", DefaultROISet(TROIKind::TL));
    tl.Append("B", DefaultROISet(TROIKind::TL));
    EXPECT_FALSE(tl.CanDelete(0));
    tl.Delete(0);
    EXPECT_EQ(tl.List().Count(), 3);
    // Deleting the last of three while it is current makes the second one current.
    tl.Delete(2);
    EXPECT_EQ(tl.List().Count(), 2);
    EXPECT_EQ(tl.CurrentIndex(), 1);
    EXPECT_EQ(tl.CurrentName(), "A");
    // Deleting in the middle makes the set that moved into its place current.
    tl.Append("C", DefaultROISet(TROIKind::TL));
    tl.Delete(1);
    EXPECT_EQ(tl.CurrentName(), "C");
}

TEST(ROISets, ChoosingKeepsTheCurrentSetInItsEntry) {
    TROIKindSets tl(TROIKind::TL);
    tl.Append("A", DefaultROISet(TROIKind::TL));
    tl.Current()[4] = TROI{"ROI4", 300, 350};
    tl.Choose(0);
    EXPECT_EQ(tl.CurrentIndex(), 0);
    EXPECT_EQ(tl.List().sets[1][4], (TROI{"ROI4", 300, 350}));
    tl.Choose(5);  // outside the list: nothing happens
    EXPECT_EQ(tl.CurrentIndex(), 0);
}

TEST(ROISets, AFailedWriteIsReportedAndKeepsTheSetsChanged) {
    TMemorySettingsStore store;
    TROIKindSets tl(TROIKind::TL);
    tl.Load(store);
    store.SetReadOnly(true);
    EXPECT_FALSE(tl.Store(store));
    EXPECT_TRUE(tl.Changed());
    store.SetReadOnly(false);
    EXPECT_TRUE(tl.Store(store));
}

}  // namespace
