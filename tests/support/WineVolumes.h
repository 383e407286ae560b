// Places that a user's machine has and a test must make: a second drive letter for a folder (on
// Windows a subst drive or a drive mapped to a local share; under Wine a second dosdevices entry)
// and a small volume that fills up (a tmpfs mounted over a folder, which needs root). Both are
// made through Unix programs that Wine starts; a test skips, saying why, when one cannot be had.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "TestSupport.h"

namespace testing_support {

// The Unix path of a Windows path under Wine; empty elsewhere.
inline std::string UnixPathOf(const std::string& path) {
    using TGetUnixName = char*(CDECL*)(const wchar_t*);
    const auto get = reinterpret_cast<TGetUnixName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (!get) return std::string();
    char* unix = get(Wide(path).c_str());
    if (!unix) return std::string();
    std::string result = unix;
    ::HeapFree(::GetProcessHeap(), 0, unix);
    while (result.size() > 1 && result.back() == '/') result.pop_back();
    return result;
}

// The desktop's trash under Wine, where the shell's delete with FOF_ALLOWUNDO moves what it
// removes: its "files" folder as a Windows path with a backslash; empty when it cannot be told.
inline std::string WineTrashFiles() {
    char buf[MAX_PATH];
    std::string data;
    const DWORD n = ::GetEnvironmentVariableA("XDG_DATA_HOME", buf, sizeof buf);
    if (n > 0 && n < sizeof buf && buf[0] == '/') {
        data = "Z:" + std::string(buf);
        for (char& c : data)
            if (c == '/') c = '\\';
    } else {
        // Wine passes the Unix home folder on as "\??\Z:\home\name".
        const DWORD h = ::GetEnvironmentVariableA("WINEHOMEDIR", buf, sizeof buf);
        if (h == 0 || h >= sizeof buf) return std::string();
        data = buf;
        if (data.compare(0, 4, "\\??\\") == 0) data.erase(0, 4);
        data += "\\.local\\share";
    }
    return data + "\\Trash\\files\\";
}

// The file index of an existing file or folder (0 when it cannot be opened). Wine's volume serial
// depends on the drive letter a path came through, so it is left out.
inline uint64_t FileIdOf(const std::string& path) {
    HANDLE h = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = ::GetFileInformationByHandle(h, &info) != 0;
    ::CloseHandle(h);
    return ok ? (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow : 0;
}

// The final path of an existing file or folder, without its "\\?\" prefix; empty when it cannot
// be opened.
inline std::string FinalPathOf(const std::string& path) {
    HANDLE h = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    char buffer[MAX_PATH * 2] = {};
    const DWORD n = ::GetFinalPathNameByHandleA(h, buffer, sizeof buffer, FILE_NAME_NORMALIZED);
    ::CloseHandle(h);
    std::string result = n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
    if (result.starts_with("\\\\?\\")) result.erase(0, 4);
    return result;
}

// A new drive letter whose root is folder (an existing folder, with a trailing backslash).
class SecondDriveLetter {
  public:
    explicit SecondDriveLetter(const std::string& folder) {
        char prefix[MAX_PATH] = {};
        const std::string unix = UnixPathOf(folder);
        if (unix.empty() || !::GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH)) return;
        const uint64_t id = FileIdOf(folder);
        // Another test may take the same letter at the same moment: a letter counts as ours only
        // when it leads to our folder.
        for (char letter = 'P'; letter <= 'Y' && !Made_; ++letter) {
            if (::GetLogicalDrives() & (1u << (letter - 'A'))) continue;
            Root_ = std::string(1, letter) + ":\\";
            Link_ = std::string(prefix) + "/dosdevices/" + char(letter + ('a' - 'A')) + ":";
            if (!StartUnixProgram("/bin/ln -s " + unix + " " + Link_, "C:\\") ||
                !WaitForAttributes(Root_, true))
                continue;
            Made_ = id != 0 && FileIdOf(Root_) == id;
        }
        // Wine's way back from a Unix path to a drive letter learns of new letters only about a
        // second later: until then a final path may come through either letter, and a test that
        // compares two of them would see the switch midway.
        const DWORD until = ::GetTickCount() + 3000;
        while (Made_ && !FinalPathOf(Root_).starts_with(Root_.substr(0, 2)) && ::GetTickCount() < until)
            ::Sleep(50);
    }
    ~SecondDriveLetter() {
        if (Made_ && StartUnixProgram("/bin/rm -f " + Link_, "C:\\")) WaitForAttributes(Root_, false);
    }
    SecondDriveLetter(const SecondDriveLetter&) = delete;
    SecondDriveLetter& operator=(const SecondDriveLetter&) = delete;
    bool Made() const { return Made_; }
    // "Q:\", the folder under its new letter.
    const std::string& Root() const { return Root_; }

  private:
    std::string Root_, Link_;
    bool Made_ = false;
};

// A volume of about size bytes (a tmpfs) mounted over folder (an existing empty folder, with a
// trailing backslash), unmounted at the end. Mounting needs root.
class SmallVolume {
  public:
    SmallVolume(const std::string& folder, uint64_t size) : Folder_(folder), Unix_(UnixPathOf(folder)) {
        if (Unix_.empty()) return;
        StartUnixProgram("/usr/bin/mount -t tmpfs -o size=" + std::to_string(size) + " pelmira-test " + Unix_,
                         "C:\\");
        const DWORD until = ::GetTickCount() + 10000;
        while (!Made_ && ::GetTickCount() < until) {
            Made_ = Total() <= size + 65536;
            if (!Made_) ::Sleep(20);
        }
    }
    ~SmallVolume() {
        if (!Made_) return;
        // The files go first: a busy tmpfs would stay mounted.
        RemoveTreeContents();
        StartUnixProgram("/usr/bin/umount " + Unix_, "C:\\");
        const DWORD until = ::GetTickCount() + 10000;
        while (Total() < (uint64_t(1) << 30) && ::GetTickCount() < until) ::Sleep(20);
    }
    SmallVolume(const SmallVolume&) = delete;
    SmallVolume& operator=(const SmallVolume&) = delete;
    bool Made() const { return Made_; }
    uint64_t Free() const {
        ULARGE_INTEGER free{}, total{};
        ::GetDiskFreeSpaceExA(Folder_.c_str(), &free, &total, nullptr);
        return free.QuadPart;
    }

  private:
    uint64_t Total() const {
        ULARGE_INTEGER free{}, total{};
        if (!::GetDiskFreeSpaceExA(Folder_.c_str(), &free, &total, nullptr)) return ~uint64_t(0);
        return total.QuadPart;
    }
    void RemoveTreeContents() {
        WIN32_FIND_DATAA fd;
        HANDLE h = ::FindFirstFileA((Folder_ + "*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return;
        do {
            const std::string n = fd.cFileName;
            if (n == "." || n == "..") continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(Folder_ + n);
            else {
                ::SetFileAttributesA((Folder_ + n).c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA((Folder_ + n).c_str());
            }
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    std::string Folder_, Unix_;
    bool Made_ = false;
};

}  // namespace testing_support
