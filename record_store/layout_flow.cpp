#include "record_store/layout_flow.h"

int DefaultEditCharacters(TLayoutFieldKind kind, int size, int precision) {
    switch (kind) {
        case TLayoutFieldKind::Text:
            return size;
        case TLayoutFieldKind::Integer:
        case TLayoutFieldKind::Word:
        case TLayoutFieldKind::Boolean:
            return 5;
        case TLayoutFieldKind::Float:
            return precision + 5;
        case TLayoutFieldKind::Date:
        case TLayoutFieldKind::Time:
            return 8;
        case TLayoutFieldKind::DateTime:
            return 20;
        case TLayoutFieldKind::Other:
            break;
    }
    return 15;
}

TFlowPlacement TFlowLayout::Place(int left, int top, int editWidth, int editHeight, int labelWidth,
                                  int labelHeight, TLabelPosition position) {
    // Worked out in 64 bits and kept within the layout file's bounds.
    const int64_t limit = int64_t{boxWidth_} - kRightMargin;
    auto wrap = [&] {
        x_ = kStartX;
        y_ = ClampLayoutNumber(int64_t{y_} + editHeight + labelHeight + 4);
    };
    if (left > 0 && top > 0) {
        x_ = left;
        y_ = top;
    } else if (limit < int64_t{x_} + editWidth) {
        wrap();
    }
    const int64_t x = x_, y = y_;
    int64_t labelLeft = x, labelTop = y;
    switch (position) {
        case TLabelPosition::Bottom:
            labelTop = y + editHeight + 2;
            break;
        case TLabelPosition::Left:
            labelLeft = x - 2 - labelWidth;
            labelTop = y + (int64_t{editHeight} - labelHeight) / 2;
            break;
        case TLabelPosition::Right:
            labelLeft = x + editWidth + 2;
            labelTop = y + (int64_t{editHeight} - labelHeight) / 2;
            break;
        case TLabelPosition::Top:
            labelTop = y - labelHeight - 2;
            break;
    }
    TFlowPlacement p;
    p.edit = {x_, y_, editWidth, editHeight};
    p.label = {ClampLayoutNumber(labelLeft), ClampLayoutNumber(labelTop), labelWidth, labelHeight};
    x_ = ClampLayoutNumber(x + editWidth + 8);
    if (x_ > limit) wrap();
    return p;
}

int SnapToGrid(int value) {
    return ClampLayoutNumber((int64_t{value} + 4) / 4 * 4);
}

TLabelPosition LabelPositionOf(const TLayoutRect& label, const TLayoutRect& edit) {
    if (edit.left - label.width >= label.left) return TLabelPosition::Left;
    if (label.left >= edit.left + edit.width) return TLabelPosition::Right;
    if (label.top < edit.Bottom()) return TLabelPosition::Top;
    return TLabelPosition::Bottom;
}
