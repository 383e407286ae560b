// A test library under UNLHA32.DLL's name that writes damaged archives: every entry is handed on
// to the real library, loaded from the same folder as UNLHA32R.DLL, and after a pack command
// that succeeded, one byte in the middle of the archive is flipped. The headers stay readable
// (a large stored entry fills most of the archive), so the archive lists every file; only a read
// that decodes every entry and checks its CRC finds the damage.
#include <windows.h>

#include <string>

#define EXPORT extern "C" __declspec(dllexport)

namespace {

HMODULE Real() {
    static HMODULE real = [] {
        char path[MAX_PATH];
        HMODULE self = nullptr;
        ::GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&Real), &self);
        DWORD n = ::GetModuleFileNameA(self, path, MAX_PATH);
        std::string dir(path, n);
        dir.erase(dir.find_last_of('\\') + 1);
        return ::LoadLibraryA((dir + "UNLHA32R.DLL").c_str());
    }();
    return real;
}

template <typename F>
F Entry(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(Real(), name)));
}

// The first quoted item of the command line that ends in ".lzh": the archive.
std::string ArchiveOf(const std::string& cmd) {
    for (size_t open = cmd.find('"'); open != std::string::npos; open = cmd.find('"', open + 1)) {
        const size_t close = cmd.find('"', open + 1);
        if (close == std::string::npos) break;
        const std::string item = cmd.substr(open + 1, close - open - 1);
        if (item.size() > 4 && item.compare(item.size() - 4, 4, ".lzh") == 0) return item;
        open = close;
    }
    return std::string();
}

void Damage(const std::string& archive) {
    HANDLE h =
        ::CreateFileA(archive.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER size{}, middle{};
    ::GetFileSizeEx(h, &size);
    middle.QuadPart = size.QuadPart / 2;
    unsigned char b = 0;
    DWORD n = 0;
    if (::SetFilePointerEx(h, middle, nullptr, FILE_BEGIN) && ::ReadFile(h, &b, 1, &n, nullptr) && n == 1) {
        b ^= 0x40;
        ::SetFilePointerEx(h, middle, nullptr, FILE_BEGIN);
        ::WriteFile(h, &b, 1, &n, nullptr);
    }
    ::CloseHandle(h);
}

}  // namespace

EXPORT int WINAPI Unlha(HWND window, LPCSTR cmdLine, LPSTR output, DWORD size) {
    const int result =
        Entry<int(WINAPI*)(HWND, LPCSTR, LPSTR, DWORD)>("Unlha")(window, cmdLine, output, size);
    const std::string cmd = cmdLine ? cmdLine : "";
    if (result == 0 && cmd.compare(0, 2, "u ") == 0) Damage(ArchiveOf(cmd));
    return result;
}
EXPORT BOOL WINAPI UnlhaCheckArchive(LPCSTR name, int mode) {
    return Entry<BOOL(WINAPI*)(LPCSTR, int)>("UnlhaCheckArchive")(name, mode);
}
EXPORT HANDLE WINAPI UnlhaOpenArchive(HWND window, LPCSTR name, DWORD mode) {
    return Entry<HANDLE(WINAPI*)(HWND, LPCSTR, DWORD)>("UnlhaOpenArchive")(window, name, mode);
}
EXPORT int WINAPI UnlhaCloseArchive(HANDLE archive) {
    return Entry<int(WINAPI*)(HANDLE)>("UnlhaCloseArchive")(archive);
}
EXPORT int WINAPI UnlhaFindFirst(HANDLE archive, LPCSTR wildcard, void* entry) {
    return Entry<int(WINAPI*)(HANDLE, LPCSTR, void*)>("UnlhaFindFirst")(archive, wildcard, entry);
}
EXPORT int WINAPI UnlhaFindNext(HANDLE archive, void* entry) {
    return Entry<int(WINAPI*)(HANDLE, void*)>("UnlhaFindNext")(archive, entry);
}
EXPORT int WINAPI UnlhaGetArchiveType(LPCSTR name) {
    return Entry<int(WINAPI*)(LPCSTR)>("UnlhaGetArchiveType")(name);
}
