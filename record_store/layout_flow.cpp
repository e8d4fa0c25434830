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
    const int limit = boxWidth_ - kRightMargin;
    auto wrap = [&] {
        x_ = kStartX;
        y_ = y_ + editHeight + labelHeight + 4;
    };
    if (left > 0 && top > 0) {
        x_ = left;
        y_ = top;
    } else if (limit < x_ + editWidth) {
        wrap();
    }
    TFlowPlacement p;
    p.edit = {x_, y_, editWidth, editHeight};
    p.label.width = labelWidth;
    p.label.height = labelHeight;
    switch (position) {
        case TLabelPosition::Bottom:
            p.label.left = x_;
            p.label.top = y_ + editHeight + 2;
            break;
        case TLabelPosition::Left:
            p.label.left = x_ - 2 - labelWidth;
            p.label.top = y_ + (editHeight - labelHeight) / 2;
            break;
        case TLabelPosition::Right:
            p.label.left = x_ + editWidth + 2;
            p.label.top = y_ + (editHeight - labelHeight) / 2;
            break;
        case TLabelPosition::Top:
            p.label.left = x_;
            p.label.top = y_ - labelHeight - 2;
            break;
    }
    x_ = x_ + editWidth + 8;
    if (x_ > limit) wrap();
    return p;
}

int SnapToGrid(int value) {
    return (value + 4) / 4 * 4;
}

TLabelPosition LabelPositionOf(const TLayoutRect& label, const TLayoutRect& edit) {
    if (edit.left - label.width >= label.left) return TLabelPosition::Left;
    if (label.left >= edit.left + edit.width) return TLabelPosition::Right;
    if (label.top < edit.Bottom()) return TLabelPosition::Top;
    return TLabelPosition::Bottom;
}
