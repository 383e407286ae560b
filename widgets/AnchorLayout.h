// The layout of a page as a table: each control has a designed rectangle and the edges it keeps
// its distance to (anchors), or an alignment (stacked at the top or bottom, or taking what is
// left). When the page's size changes, the table is applied as a whole.
#pragma once

#include <windows.h>

#include <vector>

namespace widgets {

class TControl;

enum TAnchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
inline constexpr unsigned akTopLeft = akLeft | akTop;
inline constexpr unsigned akTopWide = akLeft | akTop | akRight;
inline constexpr unsigned akAll = akLeft | akTop | akRight | akBottom;

enum class TAlign { alNone, alTop, alBottom, alClient };

// Where a control designed at `design` within a parent of designSize goes when the parent has
// the size `size`: an edge anchored to a side keeps its distance to that side; with both sides of
// an axis anchored the control stretches; with neither it keeps its place.
RECT AnchoredRect(const RECT& design, SIZE designSize, SIZE size, unsigned anchors);

class TAnchorLayout {
  public:
    // The size of the parent the rectangles were designed for.
    void SetDesignSize(int width, int height) { design_ = {width, height}; }
    void Add(TControl& control, int x, int y, int width, int height, unsigned anchors = akTopLeft);
    // Stacked at the top or bottom edge (size: its height) or filling the rest (alClient).
    void AddAligned(TControl& control, TAlign align, int size = 0, int margin = 0);
    // New height of an aligned control, taken into account from the next Apply on.
    void SetAlignedSize(TControl& control, int size);
    void Apply(int width, int height);
    void Reapply();

  private:
    struct Item {
        TControl* control;
        RECT design;
        unsigned anchors;
        TAlign align;
        int size;
        int margin;
    };
    std::vector<Item> items_;
    SIZE design_{0, 0};
    SIZE last_{-1, -1};
};

}  // namespace widgets
