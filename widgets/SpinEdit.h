// A small edit for a whole number, with up and down arrows at its right end (an up-down control
// bound to the edit): digits only, kept within a range.
#pragma once

#include "StdControls.h"

namespace widgets {

class TSpinEdit : public TEdit {
  public:
    ~TSpinEdit() override;
    bool Create(HWND parent, int minValue, int maxValue);
    HWND UpDownHandle() const { return upDown_; }

    // The number shown, within the range (an empty or out-of-range text reads as the nearest end).
    int Value() const;
    void SetValue(int value);

    void SetBounds(int x, int y, int width, int height) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;

  private:
    HWND upDown_ = nullptr;
    int min_ = 0, max_ = 0;
};

}  // namespace widgets
