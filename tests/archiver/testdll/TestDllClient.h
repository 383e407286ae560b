// Access from the tests to the test archiver libraries of this folder: where they are, their
// call log and their settings, and archives of their text format.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TextRoutines.h"

namespace testdll {

// Folder of the test libraries (bin\testdll), with a trailing backslash. Test programs live in
// bin or in a folder below it.
inline std::string Dir() {
    for (const char* rel : {"testdll\\", "..\\testdll\\"}) {
        std::string candidate = ostra::AppDir() + rel;
        char full[MAX_PATH];
        DWORD n = ::GetFullPathNameA(candidate.c_str(), MAX_PATH, full, nullptr);
        if (n > 0 && n < MAX_PATH && ::GetFileAttributesA(full) != INVALID_FILE_ATTRIBUTES) return full;
    }
    return ostra::AppDir() + "testdll\\";
}

// Every entry, prefix "Tarc".
inline std::string FullDll() {
    return Dir() + "TESTARC.DLL";
}
// Without GetCreateTimeEx, SetOwnerWindowEx, KillOwnerWindowEx, the member enumeration entries
// and ExtractMem; prefix "Tarc".
inline std::string LeanDll() {
    return Dir() + "TESTLEAN.DLL";
}
// Every entry, prefix "Unarj", under the ARJ library's name.
inline std::string UnarjDll() {
    return Dir() + "UNARJ32J.DLL";
}

// Folder holding the test library under the LHA library's name (UNLHA32.DLL, prefix "Unlha").
inline std::string LhaDir() {
    return Dir() + "lha\\";
}

// Folder holding the test library under the names of the other formats' libraries: CAB32,
// TAR32, UNRAR32, BGA32, YYZ32, YZ1, 7-zip32, UNZIP32, ZIP32J and LMZIP32 (".DLL").
inline std::string FormatsDir() {
    return Dir() + "formats\\";
}

// Where the test library under the given library file name is.
inline std::string PathOf(const std::string& dllName) {
    if (::lstrcmpiA(dllName.c_str(), "UNLHA32.DLL") == 0) return LhaDir() + dllName;
    if (::lstrcmpiA(dllName.c_str(), "UNARJ32J.DLL") == 0) return Dir() + dllName;
    return FormatsDir() + dllName;
}

// The control entries of one loaded test library (not owned).
class Client {
  public:
    explicit Client(HMODULE module) : Module(module) {}

    // Every call since the last Clear, one line each.
    std::string Log() const {
        auto fn = Entry<DWORD(WINAPI*)(LPSTR, DWORD)>("TestDllLog");
        if (!fn) return "<no library>";
        std::string text(fn(nullptr, 0) + 1, '\0');
        fn(text.data(), static_cast<DWORD>(text.size()));
        text.resize(text.size() - 1);
        return text;
    }
    void Clear() const {
        if (auto fn = Entry<void(WINAPI*)()>("TestDllClearLog")) fn();
    }
    // "result": answer of the main entry and ExtractMem; "archivetype": of GetArchiveType.
    void Set(const char* key, int value) const {
        if (auto fn = Entry<void(WINAPI*)(LPCSTR, int)>("TestDllSet")) fn(key, value);
    }
    // "password": what the password dialog of the YZ1 libraries hands over.
    void SetText(const char* key, const std::string& value) const {
        if (auto fn = Entry<void(WINAPI*)(LPCSTR, LPCSTR)>("TestDllSetText")) fn(key, value.c_str());
    }
    bool Loaded() const { return Module != nullptr; }

  private:
    template <typename F>
    F Entry(const char* name) const {
        if (!Module) return nullptr;
        return reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(Module, name)));
    }
    HMODULE Module;
};

// One entry of a test archive: name|original|compressed|DOS date|DOS time|write|access|create
// (times in decimal or "-"). header follows "TARC" on the first line (for example
// " only=CAB32,BGA32 type=2").
inline bool WriteArchive(const std::string& path, const std::vector<std::string>& lines,
                         const std::string& header = std::string()) {
    std::string text = "TARC" + header + "\r\n";
    for (const std::string& l : lines) text += l + "\r\n";
    HANDLE h =
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD w = 0;
    BOOL ok = ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &w, nullptr);
    ::CloseHandle(h);
    return ok && w == text.size();
}

}  // namespace testdll
