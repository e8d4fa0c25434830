#include "record_store/layout_flow.h"

#include <gtest/gtest.h>

namespace {

TEST(LayoutFlow, EditsWithoutPositionsFlowLeftToRightAndWrap) {
    // Box 300 wide: the limit is 275. Edits 100 wide, 21 high, labels 13 high above them.
    TFlowLayout flow(300);
    const TLayoutRect expected[] = {
        {4, 16, 100, 21}, {112, 16, 100, 21},  // 220 + 100 passes 275: the third wraps
        {4, 54, 100, 21}, {112, 54, 100, 21}, {4, 92, 100, 21},
    };
    for (const TLayoutRect& e : expected) {
        const TFlowPlacement p = flow.Place(0, 0, 100, 21, 30, 13, TLabelPosition::Top);
        EXPECT_EQ(p.edit, e);
        EXPECT_EQ(p.label, (TLayoutRect{e.left, e.top - 15, 30, 13}));
    }
}

TEST(LayoutFlow, AdvanceWrapsWhenXPassesTheLimit) {
    // 4 + 270 fits below 275, but the next x (282) passes it.
    TFlowLayout flow(300);
    EXPECT_EQ(flow.Place(0, 0, 270, 20, 10, 10, TLabelPosition::Top).edit,
              (TLayoutRect{4, 16, 270, 20}));
    EXPECT_EQ(flow.X(), 4);
    EXPECT_EQ(flow.Y(), 16 + 20 + 10 + 4);
}

TEST(LayoutFlow, GivenPositionMovesTheFlowThere) {
    TFlowLayout flow(600);
    EXPECT_EQ(flow.Place(200, 100, 50, 20, 10, 10, TLabelPosition::Top).edit,
              (TLayoutRect{200, 100, 50, 20}));
    EXPECT_EQ(flow.Place(0, 0, 50, 20, 10, 10, TLabelPosition::Top).edit,
              (TLayoutRect{258, 100, 50, 20}));
    // Only one of left and top given: placed by the flow.
    EXPECT_EQ(flow.Place(500, 0, 50, 20, 10, 10, TLabelPosition::Top).edit.left, 316);
}

TEST(LayoutFlow, LabelPlaces) {
    struct Case {
        TLabelPosition position;
        TLayoutRect label;
    } cases[] = {
        {TLabelPosition::Top, {100, 83, 40, 15}},
        {TLabelPosition::Bottom, {100, 123, 40, 15}},
        {TLabelPosition::Left, {58, 103, 40, 15}},
        {TLabelPosition::Right, {182, 103, 40, 15}},
    };
    for (const Case& c : cases) {
        TFlowLayout flow(600);
        const TFlowPlacement p = flow.Place(100, 100, 80, 21, 40, 15, c.position);
        EXPECT_EQ(p.label, c.label) << LabelPositionWord(c.position);
        // The word written back for that place is the one the label was placed by.
        EXPECT_EQ(LabelPositionOf(p.label, p.edit), c.position) << LabelPositionWord(c.position);
    }
}

TEST(LayoutFlow, SnapToTheFourPixelGrid) {
    const std::pair<int, int> cases[] = {{37, 40}, {35, 36}, {36, 40}, {0, 4}, {3, 4}, {-3, 0}};
    for (auto [in, out] : cases) EXPECT_EQ(SnapToGrid(in), out) << in;
}

TEST(LayoutFlow, DefaultEditCharacters) {
    EXPECT_EQ(DefaultEditCharacters(TLayoutFieldKind::Text, 42, 4), 42);
    EXPECT_EQ(DefaultEditCharacters(TLayoutFieldKind::Integer, 4, 4), 5);
    EXPECT_EQ(DefaultEditCharacters(TLayoutFieldKind::Boolean, 1, 4), 5);
    EXPECT_EQ(DefaultEditCharacters(TLayoutFieldKind::Float, 8, 6), 11);
    EXPECT_EQ(DefaultEditCharacters(TLayoutFieldKind::Date, 2, 4), 8);
    EXPECT_EQ(DefaultEditCharacters(TLayoutFieldKind::DateTime, 8, 4), 20);
    EXPECT_EQ(DefaultEditCharacters(TLayoutFieldKind::Other, 800, 4), 15);
}

}  // namespace
