// Helpers for window tests: bounded message pumping, and a watchdog that closes the boxes and
// dialogs the code under test shows, keeping what they said. Nothing here waits for a person:
// every wait has a time limit.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <iterator>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// Handles this thread's pending messages for ms milliseconds.
inline void PumpFor(DWORD ms) {
    const ULONGLONG until = ::GetTickCount64() + ms;
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(5);
    } while (::GetTickCount64() < until);
}

// Pumps messages until done() holds; false when it did not within timeoutMs.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
    const ULONGLONG until = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        if (::GetTickCount64() > until) return false;
        PumpFor(10);
    }
}

// Puts this thread's windows (and those of the programs it starts, see DesktopName) on a Wine
// desktop of their own: a virtual desktop, where Wine itself manages the windows' places and
// sizes, so that a size set is the size read back (on the bare X server a late answer of the X
// server can still move a window). Call it before the thread makes any window.
inline bool UseOwnDesktop(const char* name = "PelmiraTests") {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>("1024x768"), 9);
        ::RegCloseKey(key);
    }
    HDESK desktop = ::CreateDesktopA(name, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    return desktop && ::SetThreadDesktop(desktop);
}

// The name of this thread's desktop, for a program started to show its windows beside ours.
inline std::string DesktopName() {
    char name[256] = {};
    DWORD needed = 0;
    ::GetUserObjectInformationA(::GetThreadDesktop(::GetCurrentThreadId()), UOI_NAME, name, sizeof name,
                                &needed);
    return name;
}

// What one box or dialog showed: its caption and the texts of its static controls, in order.
struct ShownBox {
    std::string title;
    std::string text;  // the message of a message box (its static control 0xFFFF)
    std::vector<std::string> statics;
    bool hasStopIcon = false;
    int defaultButton = 0;  // the id of the default push button (the one Enter presses), 0 without one
};

// Told to a BoxWatchdog: press Enter in each box, which presses whichever button is the default.
inline constexpr int kEnterKey = 0;

// Presses `button` in every dialog window (class #32770) that this process shows, from a thread
// of its own, and keeps what each showed; kEnterKey presses Enter in it instead. Gives up after timeoutMs. A
// dialog that sets itself up after it shows (a browse dialog selects its folder) is pressed once `ready` says
// so, or after 5 s.
class BoxWatchdog {
  public:
    using TReady = std::function<bool(HWND)>;
    explicit BoxWatchdog(int button = IDOK, DWORD timeoutMs = 60000, TReady ready = nullptr)
        : button_(button),
          ready_(std::move(ready)),
          desktop_(::GetThreadDesktop(::GetCurrentThreadId())),
          thread_([this, timeoutMs] {
              ::SetThreadDesktop(desktop_);  // the boxes appear on the desktop of the thread that shows them
              Watch(timeoutMs);
          }) {}
    ~BoxWatchdog() { Stop(); }
    BoxWatchdog(const BoxWatchdog&) = delete;
    BoxWatchdog& operator=(const BoxWatchdog&) = delete;

    void Stop() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
    }
    std::vector<ShownBox> Boxes() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return boxes_;
    }
    // Waits (pumping this thread's messages) until n boxes were seen.
    bool WaitForBoxes(size_t n, DWORD timeoutMs = 10000) const {
        return PumpUntil([&] { return Boxes().size() >= n; }, timeoutMs);
    }

  private:
    static std::string TextOf(HWND w) {
        char buf[4096] = {};
        ::GetWindowTextA(w, buf, sizeof buf);
        return buf;
    }
    static BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
        char cls[64] = {};
        ::GetClassNameA(child, cls, sizeof cls);
        auto* box = reinterpret_cast<ShownBox*>(param);
        if (lstrcmpiA(cls, "Button") == 0 && !box->defaultButton &&
            (::GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            box->defaultButton = ::GetDlgCtrlID(child);
        if (lstrcmpiA(cls, "Static") == 0) {
            if (::SendMessageA(child, STM_GETICON, 0, 0) ==
                reinterpret_cast<LRESULT>(::LoadIcon(nullptr, IDI_HAND)))
                box->hasStopIcon = true;
            std::string t = TextOf(child);
            if (!t.empty()) box->statics.push_back(t);
        }
        return TRUE;
    }
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    };
    static BOOL CALLBACK FindDialogs(HWND w, LPARAM param) {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        char cls[64] = {};
        ::GetClassNameA(w, cls, sizeof cls);
        if (pid == s->pid && ::IsWindowVisible(w) && lstrcmpA(cls, "#32770") == 0) s->found.push_back(w);
        return TRUE;
    }
    // Enter as the keyboard gives it: to the control of the box that has the focus.
    static void PressEnter(HWND box) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        HWND to = ::GetGUIThreadInfo(::GetWindowThreadProcessId(box, nullptr), &info) && info.hwndFocus
                      ? info.hwndFocus
                      : box;
        ::PostMessageA(to, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        ::PostMessageA(to, WM_KEYUP, VK_RETURN, 0xC01C0001);
    }
    void Watch(DWORD timeoutMs) {
        const ULONGLONG until = ::GetTickCount64() + timeoutMs;
        std::set<HWND> pressed;
        while (!done_ && ::GetTickCount64() < until) {
            for (auto it = pressed.begin(); it != pressed.end();)
                it = ::IsWindow(*it) ? std::next(it) : pressed.erase(it);
            Search s{::GetCurrentProcessId(), {}};
            ::EnumWindows(&FindDialogs, reinterpret_cast<LPARAM>(&s));
            for (HWND w : s.found) {
                if (pressed.count(w)) continue;
                ::Sleep(100);  // let the dialog finish its set-up
                for (ULONGLONG limit = ::GetTickCount64() + 5000;
                     ready_ && !ready_(w) && ::GetTickCount64() < limit;)
                    ::Sleep(30);
                ShownBox box;
                box.title = TextOf(w);
                box.text = TextOf(::GetDlgItem(w, 0xFFFF));
                ::EnumChildWindows(w, &CollectStatic, reinterpret_cast<LPARAM>(&box));
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    boxes_.push_back(box);
                }
                pressed.insert(w);
                if (button_ == kEnterKey)
                    PressEnter(w);
                else
                    ::PostMessageA(w, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), 0);
            }
            ::Sleep(30);
        }
    }

    int button_;
    TReady ready_;
    HDESK desktop_;
    std::atomic<bool> done_{false};
    mutable std::mutex mutex_;
    std::vector<ShownBox> boxes_;
    std::thread thread_;
};

// Drops paths on a window as the shell does: a WM_DROPFILES message with an ANSI file list (the
// window frees it).
inline void DropFiles(HWND window, const std::vector<std::string>& paths) {
    std::string list;
    for (const auto& p : paths) list += p + '\0';
    list += '\0';
    HGLOBAL h = ::GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(h));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
    ::GlobalUnlock(h);
    ::SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(h), 0);
}

// Chooses an item of the next pop-up menu this process shows, from a thread of its own, as the
// keyboard does (arrow down to the item, Enter), and keeps the captions of the menu's items.
// item: position among the items that are not separators; -1 closes the menu with Escape.
class MenuWatchdog {
  public:
    explicit MenuWatchdog(int item, DWORD timeoutMs = 10000)
        : item_(item), desktop_(::GetThreadDesktop(::GetCurrentThreadId())), thread_([this, timeoutMs] {
              ::SetThreadDesktop(desktop_);
              Watch(timeoutMs);
          }) {}
    ~MenuWatchdog() { Stop(); }
    MenuWatchdog(const MenuWatchdog&) = delete;
    MenuWatchdog& operator=(const MenuWatchdog&) = delete;

    void Stop() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
    }
    // The captions of the menu seen (separators as empty texts); empty when none appeared.
    std::vector<std::string> Items() {
        Stop();
        return items_;
    }
    // Per item of Items(): whether it was grayed (or disabled).
    std::vector<bool> Grayed() {
        Stop();
        return grayed_;
    }

  private:
    struct Search {
        DWORD pid;
        HWND found;
    };
    static BOOL CALLBACK FindMenu(HWND w, LPARAM param) {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        char cls[64] = {};
        ::GetClassNameA(w, cls, sizeof cls);
        if (pid == s->pid && ::IsWindowVisible(w) && lstrcmpA(cls, "#32768") == 0) {
            s->found = w;
            return FALSE;
        }
        return TRUE;
    }
    void Key(HWND menu, WPARAM key) {
        ::PostMessageA(menu, WM_KEYDOWN, key, 0);
        ::PostMessageA(menu, WM_KEYUP, key, 0xC0000000);
        ::Sleep(30);
    }
    void Watch(DWORD timeoutMs) {
        constexpr UINT kGetMenu = 0x01E1;  // MN_GETHMENU
        const ULONGLONG until = ::GetTickCount64() + timeoutMs;
        while (!done_ && ::GetTickCount64() < until) {
            Search s{::GetCurrentProcessId(), nullptr};
            ::EnumWindows(&FindMenu, reinterpret_cast<LPARAM>(&s));
            if (!s.found) {
                ::Sleep(20);
                continue;
            }
            ::Sleep(100);  // let the menu finish opening
            HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(s.found, kGetMenu, 0, 0));
            for (int i = 0, n = menu ? ::GetMenuItemCount(menu) : 0; i < n; ++i) {
                char text[256] = {};
                ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
                items_.push_back(text);
                grayed_.push_back((::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) &
                                   (MF_GRAYED | MF_DISABLED)) != 0);
            }
            if (item_ < 0) {
                Key(s.found, VK_ESCAPE);
            } else {
                for (int i = 0; i <= item_; ++i) Key(s.found, VK_DOWN);
                Key(s.found, VK_RETURN);
            }
            return;
        }
    }

    int item_;
    HDESK desktop_;
    std::atomic<bool> done_{false};
    std::vector<std::string> items_;
    std::vector<bool> grayed_;
    std::thread thread_;
};

}  // namespace testing_support
