// NCF templates: recognising a disk's scheme against the tolerances, and "Apply to all"
// resolving the chosen TL pair on every disk by its place in the disk's own blocks.
#include <gtest/gtest.h>

#include "analysis/single_aliquot_ncf.h"

namespace {

enum TKind { kTL, kNatural, kNorm, kOsl };

// A disk of the given measurements (kind, dose) with their table entries.
void AddDisk(TPlatter& platter, TLookupTable& table, std::int32_t number,
             const std::vector<std::pair<TKind, double>>& measurements) {
    TDiskList& disk = platter.Disks[number];
    disk.Disk = number;
    for (const auto& [kind, dose] : measurements) {
        TLookupRecord e;
        e.Ordinal = static_cast<std::int32_t>(table.size());
        e.NormRecord = kind == kNorm;
        table.push_back(e);
        TDiskElement el;
        el.Ordinal = e.Ordinal;
        el.Dose = dose;
        el.IsTL = kind == kTL;
        el.Natural = kind == kNatural;
        disk.Elements.push_back(el);
    }
}

// TL 2, TL 3, natural, TL 2, TL 3, reference 5; later normalisations of 10; a last shine.
std::vector<std::pair<TKind, double>> Scheme(double secondFirstDose = 2, double later = 10) {
    return {{kTL, 2},  {kTL, 3},       {kNatural, 0}, {kTL, secondFirstDose}, {kTL, 3}, {kNorm, 5},
            {kOsl, 0}, {kNorm, later}, {kOsl, 0},     {kNorm, later},         {kOsl, 0}};
}

}  // namespace

TEST(NcfSchemeTest, RecognisedWithinTheTolerances) {
    TPlatter platter;
    TLookupTable table;
    AddDisk(platter, table, 1, Scheme());
    AddDisk(platter, table, 2, Scheme(2.1));      // |2 - 2.1| above 0.01 x 2
    AddDisk(platter, table, 3, Scheme(2, 11));    // |2 + 3 + 5 - 11| above 0.06 x 11
    AddDisk(platter, table, 4, Scheme(2, 10.5));  // within 0.06
    RecognizeNcfSchemes(platter, table, TNcfTolerances{});
    const TDiskList& d1 = *platter.Find(1);
    ASSERT_TRUE(d1.NcfFound);
    EXPECT_EQ(d1.NcfFirstTL, 0);
    EXPECT_EQ(d1.NcfNatural, 2);
    EXPECT_EQ(d1.NcfSecondTL, 3);
    EXPECT_EQ(d1.NcfReference, 5);
    EXPECT_DOUBLE_EQ(d1.NcfDoseSum, 5);
    // (5 + 2) x (2 / 2) / 10
    EXPECT_DOUBLE_EQ(d1.NcfScale, 0.7);
    EXPECT_FALSE(platter.Find(2)->NcfFound);
    EXPECT_EQ(platter.Find(2)->NcfReference, -1);
    EXPECT_FALSE(platter.Find(3)->NcfFound);
    EXPECT_TRUE(platter.Find(4)->NcfFound);
    // A wider first tolerance takes disk 2 in.
    RecognizeNcfSchemes(platter, table, TNcfTolerances{0.1, 0.06});
    EXPECT_TRUE(platter.Find(2)->NcfFound);
}

TEST(NcfSchemeTest, ApplyToAllResolvesThePairOnEachDisk) {
    TPlatter platter;
    TLookupTable table;
    AddDisk(platter, table, 1, Scheme());
    // Disk 2: one undosed TL first, so every element sits one place later.
    auto shifted = Scheme();
    shifted.insert(shifted.begin(), {kTL, 0});
    AddDisk(platter, table, 2, shifted);
    // Disk 3: a first block of one TL only.
    auto shorter = Scheme();
    shorter.erase(shorter.begin() + 1);
    shorter[0].second = 2;
    shorter[3].second = 3;
    AddDisk(platter, table, 3, shorter);
    RecognizeNcfSchemes(platter, table, TNcfTolerances{0.01, 0.5});
    ASSERT_TRUE(platter.Find(2)->NcfFound);
    ASSERT_TRUE(platter.Find(3)->NcfFound);

    // On disk 1 the numerator TL 3 after the natural (element 4), the denominator TL 3 before
    // it (element 1).
    const std::vector<std::int32_t> unfit = ApplyNcfTemplate(platter, 1, 4, 1, true);
    EXPECT_EQ(unfit, std::vector<std::int32_t>{3});
    EXPECT_EQ(platter.Find(1)->NcfSecondTL, 4);
    EXPECT_EQ(platter.Find(1)->NcfFirstTL, 1);
    // (5 + 3) x (3 / 3) / 5
    EXPECT_DOUBLE_EQ(platter.Find(1)->NcfScale, 1.6);
    // Disk 2 gets its own elements 5 and 2, not disk 1's indices.
    EXPECT_EQ(platter.Find(2)->NcfSecondTL, 5);
    EXPECT_EQ(platter.Find(2)->NcfFirstTL, 2);
    EXPECT_DOUBLE_EQ(platter.Find(2)->NcfScale, 1.6);
    // Disk 3 has no second TL before its natural: left without a pair.
    EXPECT_EQ(platter.Find(3)->NcfSecondTL, -1);
    EXPECT_DOUBLE_EQ(platter.Find(3)->NcfScale, 1.0);

    // "1.00" on the current disk clears its pair only.
    EXPECT_TRUE(ApplyNcfTemplate(platter, 2, std::nullopt, std::nullopt, false).empty());
    EXPECT_EQ(platter.Find(2)->NcfSecondTL, -1);
    EXPECT_EQ(platter.Find(1)->NcfSecondTL, 4);
}
