#include "TestFiles.h"

#include <algorithm>
#include <atomic>
#include <random>

namespace {

std::vector<std::string> SplitDirs(const std::string& path) {
    std::vector<std::string> dirs;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (::IsDBCSLeadByte(static_cast<BYTE>(path[i]))) {
            ++i;
            continue;
        }
        if (path[i] == '\\' && i > 2) dirs.push_back(path.substr(0, i));
    }
    return dirs;
}

void Walk(const std::string& base, const std::string& rel, std::vector<std::string>& out) {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((base + rel + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::string n = fd.cFileName;
        if (n == "." || n == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            Walk(base, rel + n + "\\", out);
        else
            out.push_back(rel + n);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
}

}  // namespace

TestFolder::TestFolder() {
    static std::atomic<int> counter{0};
    char tmp[MAX_PATH];
    ::GetTempPathA(sizeof tmp, tmp);
    // Process ids come back quickly under Wine: take only a folder this process made itself.
    do {
        path_ = std::string(tmp) + "unlha32-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(counter++) + "\\";
    } while (!::CreateDirectoryA(path_.c_str(), nullptr) && counter < 100000);
}

TestFolder::~TestFolder() {
    RemoveTree(path_);
}

namespace {
// d ends with a backslash.
void RemoveTreeBelow(const std::string& d) {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((d + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string n = fd.cFileName;
            if (n == "." || n == "..") continue;
            // A name may end in a trail byte 0x5C: always add the separator, never test for one.
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTreeBelow(d + n + "\\");
            } else {
                ::SetFileAttributesA((d + n).c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA((d + n).c_str());
            }
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryA(d.c_str());
}
}  // namespace

void RemoveTree(const std::string& dir) {
    if (dir.empty()) return;
    // Whether dir already ends in a backslash, read as whole characters.
    bool endsWithBackslash = false;
    for (size_t i = 0; i < dir.size(); ++i) {
        endsWithBackslash = dir[i] == '\\';
        if (::IsDBCSLeadByte(static_cast<BYTE>(dir[i]))) {
            ++i;
            endsWithBackslash = false;
        }
    }
    RemoveTreeBelow(endsWithBackslash ? dir : dir + "\\");
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    for (const std::string& d : SplitDirs(path)) ::CreateDirectoryA(d.c_str(), nullptr);
    HANDLE h =
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD wrote = 0;
    if (!bytes.empty()) ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    ::CloseHandle(h);
}

std::string ReadBytes(const std::string& path) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    LARGE_INTEGER size;
    ::GetFileSizeEx(h, &size);
    std::string s(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!s.empty()) ::ReadFile(h, s.data(), static_cast<DWORD>(s.size()), &got, nullptr);
    ::CloseHandle(h);
    return s;
}

bool FileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FilesBelow(const std::string& dir) {
    std::vector<std::string> out;
    Walk(dir.back() == '\\' ? dir : dir + "\\", "", out);
    std::sort(out.begin(), out.end());
    return out;
}

std::string RandomBytes(std::size_t n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
}

std::string RepetitiveText(std::size_t n) {
    std::string s;
    for (int i = 0; s.size() < n; ++i)
        s += "line " + std::to_string(i % 97) + ": the quick brown fox jumps over the lazy dog\r\n";
    s.resize(n);
    return s;
}

FILETIME WriteTimeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d);
    return d.ftLastWriteTime;
}

void SetWriteTime(const std::string& path, const FILETIME& t) {
    HANDLE h = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    ::SetFileTime(h, nullptr, nullptr, &t);
    ::CloseHandle(h);
}

FILETIME LocalTime(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    FILETIME local, utc;
    ::SystemTimeToFileTime(&st, &local);
    ::LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

std::uint64_t Ticks(const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

std::vector<Listed> ListArchive(const std::string& archive, const std::string& wildcard) {
    UnlhaLibrary& lib = UnlhaLibrary::Get();
    std::vector<Listed> out;
    HARC h = lib.OpenArchive(nullptr, archive.c_str(), 0);
    if (!h) return out;
    UnlhaEntryInfo info;
    for (int r = lib.FindFirst(h, wildcard.c_str(), &info); r == 0; r = lib.FindNext(h, &info)) {
        Listed l;
        l.name = info.fileName;
        l.originalSize = info.originalSize;
        l.compressedSize = info.compressedSize;
        l.method = info.method;
        l.dosDate = info.dosDate;
        l.dosTime = info.dosTime;
        l.haveWriteTime = lib.GetWriteTimeEx(h, &l.writeTime) != 0;
        out.push_back(l);
    }
    lib.CloseArchive(h);
    return out;
}

std::string BackendLine(const std::string& word, const std::vector<std::string>& switches,
                        const std::string& archive, const std::string& dir,
                        const std::vector<std::string>& names) {
    std::string s = word + " -+";
    for (const std::string& sw : switches) s += " " + sw;
    s += " ";  // UserOptions, empty
    s += " \"" + archive + "\"";
    if (!dir.empty()) s += " \"" + dir + (dir.back() == '\\' ? "" : "\\") + "\"";
    for (const std::string& n : names) s += " \"" + n + "\"";
    s += " ";  // UserFileList, empty
    return s;
}
