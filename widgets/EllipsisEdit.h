// An edit with a small "..." button at its right end; the button raises OnEllipsisClick.
#pragma once

#include "StdControls.h"

namespace widgets {

class TEllipsisEdit : public TEdit {
  public:
    bool Create(HWND parent, const std::string& text = "");
    HWND ButtonHandle() const { return button_.Handle(); }

    void SetBounds(int x, int y, int width, int height) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void SetFont(HFONT font) override;

    TNotifyEvent OnEllipsisClick;

  private:
    TButton button_;
};

}  // namespace widgets
