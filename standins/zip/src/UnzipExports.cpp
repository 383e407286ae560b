// The entries of UNZIP32.DLL: extraction, listing and the archive check. Every entry catches
// everything: no exception may leave the library into its caller.
#include <windows.h>

#include "UnzipCommands.h"
#include "ZipResult.h"
#include "ZipSupport.h"

#define ZIPDLL_EXPORT extern "C" __declspec(dllexport)

using namespace zipdll;

namespace {

template <typename F>
int Guarded(F body, int fallback = kErrInternal) {
    try {
        return body();
    } catch (const CommandError& e) {
        return e.Code;
    } catch (...) {
        return fallback;
    }
}

std::string Text(LPCSTR s) {
    return s ? s : "";
}

}  // namespace

ZIPDLL_EXPORT int WINAPI UnZip(HWND, LPCSTR commandLine, LPSTR output, DWORD size) {
    std::string report;
    const int result = Guarded([&] {
        try {
            return RunUnzip(Text(commandLine), report);
        } catch (const CommandError& e) {
            ReportLine(report, e.what());
            throw;
        }
    });
    DeliverReport(report, output, size);
    return result;
}

ZIPDLL_EXPORT BOOL WINAPI UnZipCheckArchive(LPCSTR fileName, int mode) {
    return Guarded([&] { return CheckZipArchive(Text(fileName), mode) ? TRUE : FALSE; }, FALSE);
}

ZIPDLL_EXPORT HANDLE WINAPI UnZipOpenArchive(HWND, LPCSTR fileName, DWORD) {
    try {
        return OpenListing(Text(fileName));
    } catch (...) {
        return nullptr;
    }
}

ZIPDLL_EXPORT int WINAPI UnZipCloseArchive(HANDLE archive) {
    return Guarded([&] { return CloseListing(archive); });
}

ZIPDLL_EXPORT int WINAPI UnZipFindFirst(HANDLE archive, LPCSTR wildcard, EntryInfo* entry) {
    return Guarded([&] { return FindFirstEntry(archive, Text(wildcard), entry); });
}

ZIPDLL_EXPORT int WINAPI UnZipFindNext(HANDLE archive, EntryInfo* entry) {
    return Guarded([&] { return FindNextEntry(archive, entry); });
}

// Spelled with a small z, as callers ask for it.
ZIPDLL_EXPORT BOOL WINAPI UnzipGetWriteTimeEx(HANDLE archive, FILETIME* time) {
    return Guarded([&] { return CurrentWriteTime(archive, time) ? TRUE : FALSE; }, FALSE);
}

ZIPDLL_EXPORT int WINAPI UnZipExtractMem(HWND, LPCSTR commandLine, LPBYTE buffer, DWORD size, DWORD* time,
                                         LPWORD attributes, LPDWORD written) {
    return Guarded(
        [&] { return ExtractToMemory(Text(commandLine), buffer, size, time, attributes, written); });
}

// Only a null callback is taken: progress goes through "wm_arcextract" to the window.
ZIPDLL_EXPORT BOOL WINAPI UnZipSetOwnerWindowEx(HWND window, void* callback) {
    if (callback || (window && !::IsWindow(window))) return FALSE;
    SetOwner(window);
    return TRUE;
}

ZIPDLL_EXPORT BOOL WINAPI UnZipKillOwnerWindowEx(HWND window) {
    if (!window || window != Owner()) return FALSE;
    SetOwner(nullptr);
    return TRUE;
}
