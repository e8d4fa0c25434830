#pragma once
// Placing the edit controls and labels of the general record form: controls without a position
// flow left to right from (4, 16) and wrap at the box width less a right margin of 25 pixels.
#include "record_store/layout_file.h"

struct TLayoutRect {
    int left = 0, top = 0, width = 0, height = 0;
    // In 64 bits: places and sizes each lie within the layout file's bounds.
    int64_t Right() const { return int64_t{left} + width; }
    int64_t Bottom() const { return int64_t{top} + height; }
    bool operator==(const TLayoutRect&) const = default;
};

// Value kinds that decide an edit's default width.
enum class TLayoutFieldKind { Text, Integer, Word, Boolean, Float, Date, Time, DateTime, Other };

// Characters an edit is made wide enough for: the field size for text fields, 5 for integer,
// word and boolean fields, precision + 5 for floats, 8 for dates and times, 20 for date-times,
// 15 otherwise.
int DefaultEditCharacters(TLayoutFieldKind kind, int size, int precision);

struct TFlowPlacement {
    TLayoutRect edit;
    TLayoutRect label;
};

class TFlowLayout {
public:
    static constexpr int kStartX = 4;
    static constexpr int kStartY = 16;
    static constexpr int kRightMargin = 25;

    explicit TFlowLayout(int boxWidth) : boxWidth_(boxWidth) {}

    // Places one edit (its size already known) and its label, then advances the flow.
    // `left` and `top` both positive put the edit there and move the flow position there.
    TFlowPlacement Place(int left, int top, int editWidth, int editHeight, int labelWidth,
                         int labelHeight, TLabelPosition position);

    int X() const { return x_; }
    int Y() const { return y_; }

private:
    int boxWidth_;
    int x_ = kStartX;
    int y_ = kStartY;
};

// A dragged control's new coordinate on the 4-pixel grid: (value + 4) div 4 * 4.
int SnapToGrid(int value);

// Where a label lies relative to its edit, as written into the layout file: LEFT when wholly
// left of it, RIGHT when wholly right of it, else TOP when its top is above the edit's bottom,
// else BOTTOM.
TLabelPosition LabelPositionOf(const TLayoutRect& label, const TLayoutRect& edit);
