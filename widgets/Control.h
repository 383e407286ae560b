// The base of every control wrapper: it owns one child window, finds itself again from the
// window handle (a window property), and turns the notifications its parent hands on, and its
// own keys, into events.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace widgets {

using TNotifyEvent = std::function<void()>;
// A key went down (virtual-key code); the handler may set key to 0 to swallow it.
using TKeyEvent = std::function<void(WORD& key)>;
// A character was typed; the handler may set it to 0 to swallow it.
using TKeyPressEvent = std::function<void(char& key)>;
// A context menu was asked for on the control (right click or the menu key): the point in
// screen coordinates where it is to appear.
using TContextMenuEvent = std::function<void(POINT at)>;

class TControl {
  public:
    TControl() = default;
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    HWND Handle() const { return hwnd_; }
    static TControl* FromHandle(HWND hwnd);

    // Position and size in the parent's client coordinates.
    virtual void SetBounds(int x, int y, int width, int height);
    RECT Bounds() const;
    int Width() const;
    int Height() const;
    void SetHeight(int height);

    virtual void SetVisible(bool visible);
    bool Visible() const;
    virtual void SetEnabled(bool enabled);
    bool Enabled() const;
    virtual void SetFont(HFONT font);

    std::string Text() const;
    void SetText(const std::string& text);
    void SetFocus();

    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    // Raised by the control itself, before the request travels up to its parents (where a
    // parent in between may hand it on as its own).
    TContextMenuEvent OnContextMenu;

    // Called by the parent window for WM_COMMAND and WM_NOTIFY of this control; true when handled.
    virtual bool HandleCommand(WPARAM wp);
    virtual bool HandleNotify(NMHDR* nm, LRESULT& result);

  protected:
    // Creates the child window and binds it to this wrapper.
    bool CreateControl(DWORD exStyle, const char* className, const std::string& text, DWORD style,
                       HWND parent, int id = 0);
    // Binds a window made elsewhere (a tooltip, a part of a compound control) to this wrapper.
    void Bind(HWND hwnd);
    // Routes the control's own keyboard messages to OnKeyDown and OnKeyPress.
    void HookKeys();
    // Where a context menu asked for from the keyboard appears, in client coordinates: near the
    // top left corner, or where a control shows its current row.
    virtual POINT KeyboardMenuPoint() const { return {4, 4}; }
    // The control's own messages, once HookKeys ran; true when handled (result set).
    virtual bool HandleOwnMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result);

  private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR data);
    HWND hwnd_ = nullptr;
    bool hooked_ = false;
};

}  // namespace widgets
