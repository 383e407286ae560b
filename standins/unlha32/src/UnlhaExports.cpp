// The exported entries. Nothing may escape them but a result: every one catches everything.
#include "unlha32/UnlhaApi.h"

#include <string>

#include "ArchiveCheck.h"
#include "ArchiveHandleTable.h"
#include "CallbackRegistry.h"
#include "CommandRunner.h"
#include "ProgressDialog.h"

using unlha::ArchiveHandleTable;
using unlha::CallbackRegistry;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    // The progress window's class points into this module: it must not outlive an unload, or a
    // later load would find the class and call into freed code.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr)
        ::UnregisterClassA(unlha::ProgressDialog::kClassName, instance);
    return TRUE;
}

UNLHA_API int WINAPI Unlha(HWND window, LPCSTR commandLine, LPSTR outputBuffer, DWORD size) {
    unlha::OutputReport report(outputBuffer, size);
    return unlha::CommandRunner::Run(window, commandLine, report);
}

UNLHA_API BOOL WINAPI UnlhaCheckArchive(LPCSTR name, int mode) {
    if (!name) return FALSE;
    return unlha::ArchiveCheck::Check(name, mode) ? TRUE : FALSE;
}

UNLHA_API int WINAPI UnlhaGetArchiveType(LPCSTR name) {
    if (!name) return UNLHA_TYPE_UNKNOWN;
    return unlha::ArchiveCheck::Type(name);
}

UNLHA_API HARC WINAPI UnlhaOpenArchive(HWND, LPCSTR name, DWORD) {
    if (!name) return nullptr;
    try {
        return ArchiveHandleTable::Instance().Open(name);
    } catch (...) {
        return nullptr;
    }
}

UNLHA_API int WINAPI UnlhaCloseArchive(HARC archive) {
    try {
        return ArchiveHandleTable::Instance().Close(archive) ? UNLHA_OK : UNLHA_ERR_BAD_HANDLE;
    } catch (...) {
        return UNLHA_ERR_INTERNAL;
    }
}

UNLHA_API int WINAPI UnlhaFindFirst(HARC archive, LPCSTR wildcard, UnlhaEntryInfo* entry) {
    try {
        auto cursor = ArchiveHandleTable::Instance().Find(archive);
        if (!cursor) return UNLHA_ERR_BAD_HANDLE;
        return cursor->FindFirst(wildcard ? wildcard : "", entry);
    } catch (...) {
        return UNLHA_ERR_INTERNAL;
    }
}

UNLHA_API int WINAPI UnlhaFindNext(HARC archive, UnlhaEntryInfo* entry) {
    try {
        auto cursor = ArchiveHandleTable::Instance().Find(archive);
        if (!cursor) return UNLHA_ERR_BAD_HANDLE;
        return cursor->FindNext(entry);
    } catch (...) {
        return UNLHA_ERR_INTERNAL;
    }
}

namespace {
template <typename F>
BOOL CurrentTime(HARC archive, FILETIME* time, F get) {
    try {
        auto cursor = ArchiveHandleTable::Instance().Find(archive);
        return cursor && get(*cursor, time) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}
}  // namespace

UNLHA_API BOOL WINAPI UnlhaGetWriteTimeEx(HARC archive, FILETIME* time) {
    return CurrentTime(archive, time, [](unlha::ArchiveCursor& c, FILETIME* t) { return c.WriteTime(t); });
}

UNLHA_API BOOL WINAPI UnlhaGetCreateTimeEx(HARC archive, FILETIME* time) {
    return CurrentTime(archive, time, [](unlha::ArchiveCursor& c, FILETIME* t) { return c.CreationTime(t); });
}

UNLHA_API BOOL WINAPI UnlhaGetAccessTimeEx(HARC archive, FILETIME* time) {
    return CurrentTime(archive, time, [](unlha::ArchiveCursor& c, FILETIME* t) { return c.AccessTime(t); });
}

UNLHA_API int WINAPI UnlhaExtractMem(HWND window, LPCSTR commandLine, LPBYTE buffer, DWORD size, DWORD* time,
                                     LPWORD attributes, LPDWORD written) {
    return unlha::CommandRunner::RunExtractMem(window, commandLine, buffer, size, time, attributes, written);
}

UNLHA_API BOOL WINAPI UnlhaSetOwnerWindowEx(HWND window, UnlhaOwnerCallback callback) {
    // Progress goes through the registered message only; a callback is not provided.
    if (callback) return FALSE;
    return CallbackRegistry::Instance().SetOwner(window) ? TRUE : FALSE;
}

UNLHA_API BOOL WINAPI UnlhaKillOwnerWindowEx(HWND window) {
    return CallbackRegistry::Instance().KillOwner(window) ? TRUE : FALSE;
}

UNLHA_API BOOL WINAPI UnlhaSetEnumMembersProc64(UnlhaEnumMembersProc proc, DWORD recordSize) {
    if (recordSize != UNLHA_MEMBER_RECORD_SIZE) return FALSE;
    return CallbackRegistry::Instance().SetEnumProc(proc) ? TRUE : FALSE;
}

UNLHA_API BOOL WINAPI UnlhaClearEnumMembersProc64() {
    CallbackRegistry::Instance().ClearEnumProc();
    return TRUE;
}
