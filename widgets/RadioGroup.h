// A captioned group of radio buttons laid out in columns; one item index (-1: none chosen).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "StdControls.h"

namespace widgets {

// A value above the last item chooses the last one, a value below -1 chooses none (-1).
int ClampItemIndex(int index, int count);

class TRadioGroup : public TControl {
  public:
    bool Create(HWND parent, const std::string& caption, const std::vector<std::string>& items, int columns);

    int ItemIndex() const;
    // Sets the choice without raising OnClick; see ClampItemIndex for values out of range.
    void SetItemIndex(int index);
    int ItemCount() const { return static_cast<int>(buttons_.size()); }
    // The radio buttons, for hints and tests.
    HWND ButtonHandle(int index) const { return buttons_[static_cast<size_t>(index)]->Handle(); }

    void SetBounds(int x, int y, int width, int height) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void SetFont(HFONT font) override;

    TNotifyEvent OnClick;

  private:
    class TRadioButton : public TControl {
      public:
        bool Create(HWND parent, const std::string& caption, bool first, TRadioGroup* group);
        bool HandleCommand(WPARAM wp) override;

      private:
        TRadioGroup* group_ = nullptr;
    };
    int columns_ = 1;
    std::vector<std::unique_ptr<TRadioButton>> buttons_;
};

}  // namespace widgets
