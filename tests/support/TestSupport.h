// Helpers for tests that work on real folders and files under Wine.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace testing_support {

// Deletes a folder tree; used for cleanup only.
inline void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string n = fd.cFileName;
            if (n == "." || n == "..") continue;
            std::string p = dir + "\\" + n;
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(p);
            } else {
                ::SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (!::DeleteFileA(p.c_str())) ::RemoveDirectoryA(p.c_str());
            }
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    ::SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryA(dir.c_str());
}

// A fresh, empty folder for one test, removed with everything in it afterwards. Path() ends with
// a backslash.
class TempDir {
  public:
    explicit TempDir(const char* tag = "pelmira") {
        char base[MAX_PATH];
        ::GetTempPathA(MAX_PATH, base);
        static unsigned counter = 0;
        for (int tries = 0; tries < 100000; ++tries) {
            Path_ = std::string(base) + tag + "_" + std::to_string(::GetCurrentProcessId()) + "_" +
                    std::to_string(++counter) + "\\";
            if (::CreateDirectoryA(Path_.c_str(), nullptr)) break;
        }
    }
    ~TempDir() { RemoveTree(Path_.substr(0, Path_.size() - 1)); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return Path_; }
    std::string operator/(const std::string& rel) const { return Path_ + rel; }

  private:
    std::string Path_;
};

// True when the X display that the test command starts is there (Z: is the Unix root). Wine gives
// a socket no attributes, but lists it. The build names the display (PELMIRA_TEST_DISPLAY).
#ifndef PELMIRA_TEST_DISPLAY
#define PELMIRA_TEST_DISPLAY "99"
#endif
inline bool HasTestDisplay() {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA("Z:\\tmp\\.X11-unix\\X" PELMIRA_TEST_DISPLAY, &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::FindClose(h);
    return true;
}

// The UTF-16 form of an ANSI path, for files whose names the code page cannot hold.
inline std::wstring Wide(const std::string& s) {
    const int n = ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(n > 0 ? n : 0, L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// "\\?\" and the UTF-16 form of a full ANSI path: names past MAX_PATH, or ending in a dot or a
// blank, reached as they are; rest (UTF-16) is appended.
inline std::wstring LongWide(const std::string& path, const std::wstring& rest = L"") {
    return L"\\\\?\\" + Wide(path) + rest;
}

// Writes a file by its wide path (any name, any length); false when it cannot be made.
inline bool WriteWideFile(const std::wstring& path, const std::string& data) {
    HANDLE h =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD w = 0;
    BOOL ok = data.empty() || ::WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &w, nullptr);
    ::CloseHandle(h);
    return ok && w == data.size();
}

inline std::string ReadWideFile(const std::wstring& path) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string data;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
    ::CloseHandle(h);
    return data;
}

// Makes the folder (a wide path with "\\?\") with every missing level, one component at a time.
inline bool MakeWideFolders(const std::wstring& path) {
    for (size_t p = path.find(L'\\', 7); p != std::wstring::npos; p = path.find(L'\\', p + 1))
        ::CreateDirectoryW(path.substr(0, p).c_str(), nullptr);
    return ::CreateDirectoryW(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

inline bool WriteFileBytes(const std::string& path, const std::string& data) {
    HANDLE h =
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD w = 0;
    BOOL ok = data.empty() || ::WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &w, nullptr);
    ::CloseHandle(h);
    return ok && w == data.size();
}

inline std::string ReadFileBytes(const std::string& path) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string data;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
    ::CloseHandle(h);
    return data;
}

inline uint64_t FileSizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return 0;
    return (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

inline bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A calendar time, as the tests write them.
inline SYSTEMTIME TimeOf(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int ms = 0) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    st.wMilliseconds = static_cast<WORD>(ms);
    return st;
}

// Sets the last-write time from a local calendar time.
inline bool SetLocalWriteTime(const std::string& path, int year, int month, int day, int hour, int minute,
                              int second, int ms = 0) {
    const SYSTEMTIME st = TimeOf(year, month, day, hour, minute, second, ms);
    FILETIME local, utc;
    if (!::SystemTimeToFileTime(&st, &local) || !::LocalFileTimeToFileTime(&local, &utc)) return false;
    HANDLE h = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BOOL ok = ::SetFileTime(h, nullptr, nullptr, &utc);
    ::CloseHandle(h);
    return ok != 0;
}

inline uint64_t WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return 0;
    return (static_cast<uint64_t>(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime;
}

// Runs a Unix program through Wine (which starts ELF files as Unix processes) in folder dir.
// Wine hands back no process handle to wait on, so the caller polls for the effect, bounded by
// time.
inline bool StartUnixProgram(const std::string& commandLine, const std::string& dir) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = commandLine;
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi))
        return false;
    if (pi.hThread) ::CloseHandle(pi.hThread);
    if (pi.hProcess) ::CloseHandle(pi.hProcess);
    return true;
}

inline bool WaitForAttributes(const std::string& path, bool present, DWORD timeoutMs = 10000) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if ((::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) == present) return true;
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(10);
    }
}

// A Unix symbolic link (Wine shows it as a folder with FILE_ATTRIBUTE_REPARSE_POINT) named name
// in folder dir, pointing at the relative target. Win32 can neither make nor remove such a link
// under Wine, so /bin/ln and /bin/rm do it. Declare it after the TempDir that holds it, so that
// the link is gone before the tree is removed.
class UnixFolderLink {
  public:
    UnixFolderLink(const std::string& dir, const std::string& name, const std::string& target)
        : Dir_(dir), Path_(dir + name), Name_(name) {
        Made_ = StartUnixProgram("/bin/ln -s " + target + " " + name, dir) && WaitForAttributes(Path_, true);
    }
    ~UnixFolderLink() {
        if (Made_ && StartUnixProgram("/bin/rm -f " + Name_, Dir_)) WaitForAttributes(Path_, false);
    }
    UnixFolderLink(const UnixFolderLink&) = delete;
    UnixFolderLink& operator=(const UnixFolderLink&) = delete;
    // True when the link exists and shows as a folder reparse point.
    bool Made() const {
        DWORD a = ::GetFileAttributesA(Path_.c_str());
        return Made_ && a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) &&
               (a & FILE_ATTRIBUTE_REPARSE_POINT);
    }

  private:
    std::string Dir_, Path_, Name_;
    bool Made_ = false;
};

}  // namespace testing_support
