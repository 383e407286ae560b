// Wrappers of the standard controls: label, push button, check box, group box, edit.
#pragma once

#include "Control.h"

namespace widgets {

class TLabel : public TControl {
  public:
    bool Create(HWND parent, const std::string& caption, DWORD style = SS_LEFT);
};

class TButton : public TControl {
  public:
    bool Create(HWND parent, const std::string& caption, DWORD style = BS_PUSHBUTTON);
    TNotifyEvent OnClick;
    bool HandleCommand(WPARAM wp) override;
};

class TCheckBox : public TControl {
  public:
    // multiLine: the caption wraps when the box is narrower than its text.
    bool Create(HWND parent, const std::string& caption, bool multiLine = false);
    bool Checked() const;
    // Sets the state without raising OnClick.
    void SetChecked(bool checked);
    TNotifyEvent OnClick;
    bool HandleCommand(WPARAM wp) override;
};

class TGroupBox : public TControl {
  public:
    bool Create(HWND parent, const std::string& caption);
};

class TEdit : public TControl {
  public:
    bool Create(HWND parent, const std::string& text = "", DWORD style = ES_AUTOHSCROLL);
    TNotifyEvent OnChange;
    bool HandleCommand(WPARAM wp) override;
};

}  // namespace widgets
