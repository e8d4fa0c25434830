#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(MemorySettingsStore, ValuesKeepTheirTypeAndConvertOnRead) {
    TMemorySettingsStore store;
    EXPECT_TRUE(store.WriteString("", "Data directory", "/lab/"));
    EXPECT_TRUE(store.WriteInteger("TLROIs", "LastSet", 3));
    EXPECT_TRUE(store.WriteString("TLROIs", "Count", "12"));
    EXPECT_TRUE(store.WriteString("TLROIs", "Bad", "12x"));

    EXPECT_EQ(store.ReadString("", "Data directory"), "/lab/");
    EXPECT_EQ(store.ReadInteger("TLROIs", "LastSet"), 3);
    EXPECT_EQ(store.ReadString("TLROIs", "LastSet"), "3");
    EXPECT_EQ(store.ReadInteger("TLROIs", "Count"), 12);
    EXPECT_EQ(store.ReadInteger("TLROIs", "Bad"), std::nullopt);
    EXPECT_EQ(store.ReadString("TLROIs", "Missing"), std::nullopt);
    EXPECT_EQ(store.ReadString("Nowhere", "LastSet"), std::nullopt);
}

TEST(MemorySettingsStore, SubKeysAreListedOnceEvenWhenNamesShareAPrefix) {
    // "Set1" and "Set10" sort around "Set1\\Deeper": the child "Set1" must still appear once.
    TMemorySettingsStore store;
    store.WriteInteger("TLROIs\\Set1", "ROI0", 1);
    store.WriteInteger("TLROIs\\Set10", "ROI0", 1);
    store.WriteInteger("TLROIs\\Set1\\Deeper", "x", 1);
    store.WriteInteger("OSLROIs\\Set1", "ROI0", 1);

    auto keys = store.SubKeys("TLROIs");
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_NE(std::find(keys.begin(), keys.end(), "Set1"), keys.end());
    EXPECT_NE(std::find(keys.begin(), keys.end(), "Set10"), keys.end());
    EXPECT_EQ(store.SubKeys("").size(), 2u);
    EXPECT_EQ(store.SubKeys("\\TLROIs\\"), keys);
}

TEST(MemorySettingsStore, DeleteKeyRemovesItsSubtreeOnly) {
    TMemorySettingsStore store;
    store.WriteInteger("TLROIs\\Set1", "ROI0", 1);
    store.WriteInteger("TLROIs\\Set1\\Deeper", "x", 1);
    store.WriteInteger("TLROIs\\Set10", "ROI0", 2);

    EXPECT_TRUE(store.DeleteKey("TLROIs\\Set1"));
    EXPECT_FALSE(store.KeyExists("TLROIs\\Set1"));
    EXPECT_FALSE(store.KeyExists("TLROIs\\Set1\\Deeper"));
    EXPECT_TRUE(store.KeyExists("TLROIs\\Set10"));
    EXPECT_TRUE(store.KeyExists("TLROIs"));
    EXPECT_EQ(store.ValueNames("TLROIs\\Set10"), std::vector<std::string>{"ROI0"});
}

TEST(MemorySettingsStore, ReadOnlyStoreRefusesEveryWrite) {
    TMemorySettingsStore store;
    store.WriteInteger("TLROIs", "LastSet", 1);
    store.SetReadOnly(true);
    EXPECT_FALSE(store.WriteInteger("TLROIs", "LastSet", 2));
    EXPECT_FALSE(store.WriteString("TLROIs", "Name", "x"));
    EXPECT_FALSE(store.DeleteKey("TLROIs"));
    EXPECT_EQ(store.ReadInteger("TLROIs", "LastSet"), 1);
}
