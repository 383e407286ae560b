#include "FileSystem.h"

#include <windows.h>

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

bool WriteFileAtomically(const std::string& path, const std::string& data) {
    std::string temp = path + ".~tmp";
    {
        FileHandle f(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f) return false;
        DWORD written = 0;
        bool ok = data.empty() ||
                  (::WriteFile(f.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                   written == data.size());
        ok = ok && ::FlushFileBuffers(f.get());
        if (!ok) {
            f.reset();
            ::DeleteFileA(temp.c_str());
            return false;
        }
    }
    if (!::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileA(temp.c_str());
        return false;
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
