// Helpers for the archive component tests: small file trees on disk and the current directory.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace archive_test {

// Writes every file below base (relative names; base and folders made as needed) with its own name as
// contents.
inline void MakeTree(const std::string& base, const std::vector<std::string>& files) {
    ::CreateDirectoryA(base.c_str(), nullptr);
    for (const std::string& rel : files) {
        for (size_t p = rel.find('\\'); p != std::string::npos; p = rel.find('\\', p + 1))
            ::CreateDirectoryA((base + rel.substr(0, p)).c_str(), nullptr);
        testing_support::WriteFileBytes(base + rel, "data of " + rel);
    }
}

inline std::string CurrentDir() {
    char buf[MAX_PATH * 2];
    DWORD n = ::GetCurrentDirectoryA(sizeof buf, buf);
    return std::string(buf, n);
}

// Puts the current directory back when a test ends.
class CurrentDirKeeper {
  public:
    CurrentDirKeeper() : Saved(CurrentDir()) {}
    ~CurrentDirKeeper() { ::SetCurrentDirectoryA(Saved.c_str()); }
    CurrentDirKeeper(const CurrentDirKeeper&) = delete;
    CurrentDirKeeper& operator=(const CurrentDirKeeper&) = delete;

  private:
    std::string Saved;
};

// Every file below base (relative names, sorted as the file system lists them per folder).
inline std::vector<std::string> FilesBelow(const std::string& base, const std::string& rel = "") {
    std::vector<std::string> out;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((base + rel + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        std::string n = fd.cFileName;
        if (n == "." || n == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (auto& s : FilesBelow(base, rel + n + "\\")) out.push_back(s);
        } else {
            out.push_back(rel + n);
        }
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
    return out;
}

// The Unix path of a Windows path, through Wine's own export; empty outside Wine.
inline std::string UnixPath(const std::string& winPath) {
    using Fn = char*(CDECL*)(const wchar_t*);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!fn) return std::string();
    wchar_t wide[MAX_PATH * 2];
    int n = ::MultiByteToWideChar(CP_ACP, 0, winPath.c_str(), -1, wide, MAX_PATH * 2);
    if (n <= 0) return std::string();
    char* unix = fn(wide);
    if (!unix) return std::string();
    std::string out = unix;
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return out;
}

// Runs a shell command on the Unix side of Wine (start /unix) and collects what it printed. The
// command runs detached, so completion is seen through a marker file, waited for at most
// timeoutMs. False when it could not be started or did not finish in time.
inline bool RunUnixCommand(const std::string& workDir, const std::string& command, std::string& output,
                           DWORD timeoutMs = 30000) {
    const std::string script = workDir + "run.sh", out = workDir + "run.out", done = workDir + "run.done";
    ::DeleteFileA(out.c_str());
    ::DeleteFileA(done.c_str());
    const std::string uOut = UnixPath(out), uDone = UnixPath(done), uScript = UnixPath(script);
    if (uOut.empty() || uDone.empty() || uScript.empty()) return false;
    if (!testing_support::WriteFileBytes(
            script, "#!/bin/sh\n(" + command + ") > '" + uOut + "' 2>&1\necho $? > '" + uDone + "'\n"))
        return false;
    char system[MAX_PATH];
    ::GetSystemDirectoryA(system, MAX_PATH);
    std::string line = std::string(system) + "\\start.exe /unix /bin/sh " + uScript;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &si, &pi))
        return false;
    ::CloseHandle(pi.hThread);
    ::WaitForSingleObject(pi.hProcess, timeoutMs);
    ::CloseHandle(pi.hProcess);
    for (DWORD waited = 0; !testing_support::Exists(done); waited += 50) {
        if (waited >= timeoutMs) return false;
        ::Sleep(50);
    }
    output = testing_support::ReadFileBytes(out);
    return true;
}

// The names "lhasa l" lists for an archive (the last column of every entry line), or a text
// beginning with "<" that says what went wrong.
inline std::vector<std::string> LhasaNames(const std::string& workDir, const std::string& archive) {
    std::string text;
    if (!RunUnixCommand(workDir, "lhasa l '" + UnixPath(archive) + "'", text)) return {"<lhasa did not run>"};
    std::vector<std::string> names;
    int rulers = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.rfind("----------", 0) == 0) {
            ++rulers;
            continue;
        }
        if (rulers != 1) continue;
        size_t last = line.find_last_of(' ');
        names.push_back(last == std::string::npos ? line : line.substr(last + 1));
    }
    if (rulers < 2) return {"<unexpected lhasa output: " + text + ">"};
    return names;
}

}  // namespace archive_test
