// Hints shown in a tooltip when the pointer rests on a control. A hint may hold line breaks
// ("\r\n"; a lone "\r" breaks the line too) and a short part ended by "|": the tooltip shows the
// short part, or the whole text when there is no "|".
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

namespace widgets {

// The part of a hint the tooltip shows, with its line breaks made CR LF.
std::string ShortHint(const std::string& hint);

class THints {
  public:
    // The application's hint timing: shown after the pointer rested 100 ms, for 30 s.
    static constexpr int kInitialDelayMs = 100;
    static constexpr int kShowTimeMs = 30000;

    THints() = default;
    ~THints();
    THints(const THints&) = delete;
    THints& operator=(const THints&) = delete;

    bool Create(HWND owner);
    HWND Handle() const { return tip_; }

    // A hint for a whole control window (a later call replaces the text).
    void Set(HWND control, const std::string& hint);
    // A hint for a part of a window (a toolbar button), identified by id.
    void SetPart(HWND window, UINT id, const RECT& rect, const std::string& hint);
    void MovePart(HWND window, UINT id, const RECT& rect);

    // The hint as it was given, empty when the control has none.
    std::string Hint(HWND control, UINT id = 0) const;
    // The text the tooltip holds for the control.
    std::string ShownText(HWND control, UINT id = 0) const;

  private:
    HWND tip_ = nullptr;
    HWND owner_ = nullptr;
    std::map<std::pair<HWND, UINT>, std::string> hints_;
};

}  // namespace widgets
