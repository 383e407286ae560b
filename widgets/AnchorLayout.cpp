#include "AnchorLayout.h"

#include "Control.h"

namespace widgets {

RECT AnchoredRect(const RECT& design, SIZE designSize, SIZE size, unsigned anchors) {
    RECT r = design;
    const LONG dx = size.cx - designSize.cx, dy = size.cy - designSize.cy;
    if (anchors & akRight) {
        if (!(anchors & akLeft)) r.left += dx;
        r.right += dx;
    }
    if (anchors & akBottom) {
        if (!(anchors & akTop)) r.top += dy;
        r.bottom += dy;
    }
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

void TAnchorLayout::Add(TControl& control, int x, int y, int width, int height, unsigned anchors) {
    items_.push_back({&control, {x, y, x + width, y + height}, anchors, TAlign::alNone, 0, 0});
}

void TAnchorLayout::AddAligned(TControl& control, TAlign align, int size, int margin) {
    items_.push_back({&control, {}, 0, align, size, margin});
}

void TAnchorLayout::SetAlignedSize(TControl& control, int size) {
    for (auto& i : items_)
        if (i.control == &control) i.size = size;
}

void TAnchorLayout::Reapply() {
    if (last_.cx >= 0) Apply(last_.cx, last_.cy);
}

void TAnchorLayout::Apply(int width, int height) {
    last_ = {width, height};
    // Aligned controls first, in table order, as they share the page among them.
    int top = 0, bottom = height;
    for (auto& i : items_) {
        if (i.align == TAlign::alTop) {
            i.control->SetBounds(i.margin, top + i.margin, width - 2 * i.margin, i.size);
            top += i.size + 2 * i.margin;
        } else if (i.align == TAlign::alBottom) {
            bottom -= i.size + 2 * i.margin;
            i.control->SetBounds(i.margin, bottom + i.margin, width - 2 * i.margin, i.size);
        }
    }
    for (auto& i : items_) {
        if (i.align == TAlign::alClient) {
            const int h = bottom - top - 2 * i.margin;
            i.control->SetBounds(i.margin, top + i.margin, width - 2 * i.margin, h > 0 ? h : 0);
        } else if (i.align == TAlign::alNone) {
            RECT r = AnchoredRect(i.design, design_, {width, height}, i.anchors);
            i.control->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
        }
    }
}

}  // namespace widgets
