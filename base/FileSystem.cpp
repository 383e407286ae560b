#include "FileSystem.h"

#include <windows.h>

#include <cctype>

#include "TempFile.h"
#include "TextRoutines.h"
#include "WinHandles.h"

namespace ostra {

bool FileExists(const std::string& path) {
    DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDir(const std::string& path) {
    return ::CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool ForceDirectories(const std::string& path) {
    std::string dir = RemoveBackslash(path);
    if (dir.empty()) return false;
    if (DirectoryExists(dir)) return true;
    std::string parent = ExtractFilePath(dir);
    // Stop at a drive ("C:\", "C:") or when no shorter parent exists.
    if (!parent.empty() && parent.size() < dir.size() && !DirectoryExists(parent)) {
        std::string p = RemoveBackslash(parent);
        if (!p.empty() && p.back() != ':' && p != dir) ForceDirectories(p);
    }
    return CreateDir(dir) || DirectoryExists(dir);
}

std::string ExpandFileName(const std::string& fileName) {
    if (fileName.empty()) return fileName;
    DWORD size = ::GetFullPathNameA(fileName.c_str(), 0, nullptr, nullptr);
    if (size == 0) return fileName;
    std::string full(size, '\0');
    DWORD n = ::GetFullPathNameA(fileName.c_str(), size, full.data(), nullptr);
    if (n == 0 || n >= size) return fileName;
    full.resize(n);
    return full;
}

std::string FullLongPath(const std::string& path) {
    std::string full = ExpandFileName(path);
    if (full.empty()) return full;
    char buf[MAX_PATH];
    const DWORD n = ::GetLongPathNameA(full.c_str(), buf, MAX_PATH);  // only for a path that exists
    if (n > 0 && n < MAX_PATH) full.assign(buf, n);
    return full;
}

bool IsAbsolutePath(const std::string& path) {
    if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
        path[2] == '\\')
        return true;
    return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

bool IsInsideFolder(const std::string& path, const std::string& folder) {
    if (path.empty() || folder.empty()) return false;
    const std::string p = AnsiLowerCase(AddBackslash(path));
    const std::string f = AnsiLowerCase(AddBackslash(folder));
    return p.compare(0, f.size(), f) == 0;
}

std::string ComparablePath(const std::string& path) {
    return path.empty() ? path : AnsiLowerCase(AddBackslash(FullLongPath(path)));
}

bool IsLinkToElsewhere(DWORD attributes, DWORD reparseTag) {
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    // The tags of folders that hold their own files; every other tag (Wine reports none) may
    // stand for another place.
    if ((reparseTag & 0xFFFF0FFF) == 0x9000001A) return false;  // cloud-file placeholders (OneDrive)
    switch (reparseTag) {
        case 0x80000013:  // deduplicated
        case 0x80000017:  // compressed by the overlay filter
        case 0x80000021:  // OneDrive
        case 0xC0000004:  // hierarchical storage
        case 0x80000006:  // hierarchical storage, second form
            return false;
        default:
            return true;
    }
}

bool WriteFileAtomically(const std::string& path, const std::string& data) {
    TTempFile temp(path + ".~tmp");
    {
        FileHandle f(::CreateFileA(temp.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f) {
            temp.Keep();  // not made by us: whatever holds that name stays
            return false;
        }
        if (!WriteAll(f.get(), data) || !::FlushFileBuffers(f.get())) return false;
    }
    return temp.MoveTo(path);
}

bool WriteAll(HANDLE file, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const DWORD chunk =
            static_cast<DWORD>(data.size() - done < (1u << 20) ? data.size() - done : 1u << 20);
        DWORD written = 0;
        if (!::WriteFile(file, data.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& data) {
    data.clear();
    FileHandle f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(f.get(), &size) || size.QuadPart > 0x7fffffff) return false;
    data.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < data.size()) {
        DWORD got = 0;
        if (!::ReadFile(f.get(), data.data() + done, static_cast<DWORD>(data.size() - done), &got, nullptr))
            return false;
        if (got == 0) break;
        done += got;
    }
    data.resize(done);
    return true;
}

}  // namespace ostra
