// A toolbar of one fixed row: glyph buttons (with or without a caption), toggles that stay down,
// separators, and a hint per button.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Control.h"
#include "GdiHandles.h"
#include "Hints.h"

namespace widgets {

enum class TToolKind { Button, Toggle, Separator };

struct TToolButton {
    int id = 0;
    int glyph = -1;  // index into the glyph strip, -1 for none
    std::string caption;
    std::string hint;
    TToolKind kind = TToolKind::Button;
    int width = 23;
};

class TToolBar : public TControl {
  public:
    // glyphs: name of a bitmap resource holding 16 × 16 glyphs side by side; magenta is transparent.
    bool Create(HWND parent, THints& hints, const char* glyphs);
    void Add(const TToolButton& button);

    bool Down(int id) const;
    void SetDown(int id, bool down);
    bool ButtonEnabled(int id) const;
    void SetButtonEnabled(int id, bool enabled);
    std::string ButtonCaption(int id) const;
    void SetButtonCaption(int id, const std::string& caption);
    int ButtonWidth(int id) const;
    void SetButtonWidth(int id, int width);
    RECT ButtonRect(int id) const;
    // Height of the row, for the window's layout.
    int RowHeight() const;

    void SetBounds(int x, int y, int width, int height) override;

    // A button was pressed (a toggle has already changed its state).
    std::function<void(int id)> OnClick;
    bool HandleCommand(WPARAM wp) override;

  private:
    void UpdateHintRects();
    THints* hints_ = nullptr;
    ImageListHandle glyphs_;
    std::vector<TToolButton> buttons_;
};

}  // namespace widgets
