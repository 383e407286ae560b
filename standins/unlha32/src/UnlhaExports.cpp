// The exported entries. Nothing may escape them but a result: every one runs its body through
// Shielded, which catches everything.
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

namespace {
// Runs body and turns whatever it throws into fallback: no exception may reach the caller.
template <typename R, typename F>
R Shielded(R fallback, F body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}
}  // namespace

UNLHA_API int WINAPI Unlha(HWND window, LPCSTR commandLine, LPSTR outputBuffer, DWORD size) {
    return Shielded<int>(UNLHA_ERR_INTERNAL, [&] {
        unlha::OutputReport report(outputBuffer, size);
        return unlha::CommandRunner::Run(window, commandLine, report);
    });
}

UNLHA_API BOOL WINAPI UnlhaCheckArchive(LPCSTR name, int mode) {
    return Shielded<BOOL>(FALSE, [&] {
        if (!name) return FALSE;
        return unlha::ArchiveCheck::Check(name, mode) ? TRUE : FALSE;
    });
}

UNLHA_API int WINAPI UnlhaGetArchiveType(LPCSTR name) {
    return Shielded<int>(UNLHA_TYPE_UNKNOWN, [&] {
        if (!name) return UNLHA_TYPE_UNKNOWN;
        return unlha::ArchiveCheck::Type(name);
    });
}

UNLHA_API HARC WINAPI UnlhaOpenArchive(HWND, LPCSTR name, DWORD) {
    return Shielded<HARC>(nullptr, [&]() -> HARC {
        if (!name) return nullptr;
        return ArchiveHandleTable::Instance().Open(name);
    });
}

UNLHA_API int WINAPI UnlhaCloseArchive(HARC archive) {
    return Shielded<int>(UNLHA_ERR_INTERNAL, [&] {
        return ArchiveHandleTable::Instance().Close(archive) ? UNLHA_OK : UNLHA_ERR_BAD_HANDLE;
    });
}

UNLHA_API int WINAPI UnlhaFindFirst(HARC archive, LPCSTR wildcard, UnlhaEntryInfo* entry) {
    return Shielded<int>(UNLHA_ERR_INTERNAL, [&] {
        auto cursor = ArchiveHandleTable::Instance().Find(archive);
        if (!cursor) return UNLHA_ERR_BAD_HANDLE;
        return cursor->FindFirst(wildcard ? wildcard : "", entry);
    });
}

UNLHA_API int WINAPI UnlhaFindNext(HARC archive, UnlhaEntryInfo* entry) {
    return Shielded<int>(UNLHA_ERR_INTERNAL, [&] {
        auto cursor = ArchiveHandleTable::Instance().Find(archive);
        if (!cursor) return UNLHA_ERR_BAD_HANDLE;
        return cursor->FindNext(entry);
    });
}

namespace {
template <typename F>
BOOL CurrentTime(HARC archive, FILETIME* time, F get) {
    return Shielded<BOOL>(FALSE, [&] {
        auto cursor = ArchiveHandleTable::Instance().Find(archive);
        return cursor && get(*cursor, time) ? TRUE : FALSE;
    });
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
    return Shielded<int>(UNLHA_ERR_INTERNAL, [&] {
        return unlha::CommandRunner::RunExtractMem(window, commandLine, buffer, size, time, attributes,
                                                   written);
    });
}

UNLHA_API BOOL WINAPI UnlhaSetOwnerWindowEx(HWND window, UnlhaOwnerCallback callback) {
    return Shielded<BOOL>(FALSE, [&] {
        // Progress goes through the registered message only; a callback is not provided.
        if (callback) return FALSE;
        return CallbackRegistry::Instance().SetOwner(window) ? TRUE : FALSE;
    });
}

UNLHA_API BOOL WINAPI UnlhaKillOwnerWindowEx(HWND window) {
    return Shielded<BOOL>(FALSE,
                          [&] { return CallbackRegistry::Instance().KillOwner(window) ? TRUE : FALSE; });
}

UNLHA_API BOOL WINAPI UnlhaSetEnumMembersProc64(UnlhaEnumMembersProc proc, DWORD recordSize) {
    return Shielded<BOOL>(FALSE, [&] {
        if (recordSize != UNLHA_MEMBER_RECORD_SIZE) return FALSE;
        return CallbackRegistry::Instance().SetEnumProc(proc) ? TRUE : FALSE;
    });
}

UNLHA_API BOOL WINAPI UnlhaClearEnumMembersProc64() {
    return Shielded<BOOL>(FALSE, [] {
        CallbackRegistry::Instance().ClearEnumProc();
        return TRUE;
    });
}
