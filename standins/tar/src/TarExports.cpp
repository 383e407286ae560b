// The entries of TAR32.DLL. Every entry catches everything: no exception may leave the library
// into its caller.
#include <windows.h>

#include "TarCommands.h"

#define TARDLL_EXPORT extern "C" __declspec(dllexport)

using namespace tardll;

TARDLL_EXPORT int WINAPI Tar(HWND, LPCSTR commandLine, LPSTR output, DWORD size) {
    std::string report;
    int result = kErrInternal;
    try {
        result = RunTar(commandLine ? commandLine : "", report);
    } catch (...) {
    }
    if (output && size > 0) {
        const size_t n = report.size() < size - 1 ? report.size() : size - 1;
        report.copy(output, n);
        output[n] = '\0';
    }
    return result;
}

TARDLL_EXPORT BOOL WINAPI TarCheckArchive(LPCSTR fileName, int) {
    try {
        return fileName && CheckTarArchive(fileName) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}

TARDLL_EXPORT int WINAPI TarGetArchiveType(LPCSTR fileName) {
    try {
        return fileName ? ArchiveType(fileName) : kTypeUnknown;
    } catch (...) {
        return kTypeUnknown;
    }
}

TARDLL_EXPORT HANDLE WINAPI TarOpenArchive(HWND, LPCSTR fileName, DWORD) {
    try {
        return fileName ? OpenListing(fileName) : nullptr;
    } catch (...) {
        return nullptr;
    }
}

TARDLL_EXPORT int WINAPI TarCloseArchive(HANDLE archive) {
    try {
        return CloseListing(archive);
    } catch (...) {
        return kErrInternal;
    }
}

TARDLL_EXPORT int WINAPI TarFindFirst(HANDLE archive, LPCSTR wildcard, EntryInfo* entry) {
    try {
        return FindFirstEntry(archive, wildcard ? wildcard : "", entry);
    } catch (...) {
        return kErrInternal;
    }
}

TARDLL_EXPORT int WINAPI TarFindNext(HANDLE archive, EntryInfo* entry) {
    try {
        return FindNextEntry(archive, entry);
    } catch (...) {
        return kErrInternal;
    }
}

TARDLL_EXPORT BOOL WINAPI TarGetWriteTimeEx(HANDLE archive, FILETIME* time) {
    try {
        return CurrentWriteTime(archive, time) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}
