// The entries of UNLHA32.DLL. All use the Windows standard calling convention and ANSI
// (Shift-JIS) texts; on i686 they are exported without decoration ("Unlha", not "Unlha@16").
// Callers that load the library at run time use the pointer types at the end.
#pragma once

#include <windows.h>

#include "unlha32/UnlhaRecords.h"
#include "unlha32/UnlhaResult.h"

typedef HANDLE HARC;

// Member callback: one pointer to a UnlhaMemberInfo; nonzero goes on, zero stops the command.
typedef BOOL(WINAPI* UnlhaEnumMembersProc)(LPVOID member);
// Owner-window callback; only a null one is accepted (progress goes through "wm_arcextract").
typedef BOOL(CALLBACK* UnlhaOwnerCallback)(HWND, UINT, UINT, LPVOID);

#ifdef UNLHA32_BUILD
#define UNLHA_API extern "C" __declspec(dllexport)
#else
#define UNLHA_API extern "C" __declspec(dllimport)
#endif

// Runs one command line (words u a f d x e t s; see Command.h). Text output goes to
// outputBuffer (at most size bytes, NUL included) when size is not 0.
UNLHA_API int WINAPI Unlha(HWND window, LPCSTR commandLine, LPSTR outputBuffer, DWORD size);
// Nonzero when name is an LHA archive; mode bits UNLHA_CHECK_*.
UNLHA_API BOOL WINAPI UnlhaCheckArchive(LPCSTR name, int mode);
// UNLHA_TYPE_LHA or UNLHA_TYPE_UNKNOWN.
UNLHA_API int WINAPI UnlhaGetArchiveType(LPCSTR name);
// Opens an archive for listing; 0 on failure. mode is accepted and ignored.
UNLHA_API HARC WINAPI UnlhaOpenArchive(HWND window, LPCSTR name, DWORD mode);
UNLHA_API int WINAPI UnlhaCloseArchive(HARC archive);
// 0 while an entry was filled, UNLHA_FIND_END after the last one, an error code otherwise.
// The wildcard applies to the whole stored name; "", "*" and "*.*" match every entry.
UNLHA_API int WINAPI UnlhaFindFirst(HARC archive, LPCSTR wildcard, UnlhaEntryInfo* entry);
UNLHA_API int WINAPI UnlhaFindNext(HARC archive, UnlhaEntryInfo* entry);
// Time stamps of the entry found last (UTC FILETIME); nonzero when written.
UNLHA_API BOOL WINAPI UnlhaGetWriteTimeEx(HARC archive, FILETIME* time);
UNLHA_API BOOL WINAPI UnlhaGetCreateTimeEx(HARC archive, FILETIME* time);
UNLHA_API BOOL WINAPI UnlhaGetAccessTimeEx(HARC archive, FILETIME* time);
// Extracts the one entry named on the command line into buffer. time receives the entry's
// Unix time, attributes its MS-DOS attributes, written the bytes stored (each may be null).
UNLHA_API int WINAPI UnlhaExtractMem(HWND window, LPCSTR commandLine, LPBYTE buffer, DWORD size, DWORD* time,
                                     LPWORD attributes, LPDWORD written);
UNLHA_API BOOL WINAPI UnlhaSetOwnerWindowEx(HWND window, UnlhaOwnerCallback callback);
UNLHA_API BOOL WINAPI UnlhaKillOwnerWindowEx(HWND window);
UNLHA_API BOOL WINAPI UnlhaSetEnumMembersProc64(UnlhaEnumMembersProc proc, DWORD recordSize);
UNLHA_API BOOL WINAPI UnlhaClearEnumMembersProc64();

typedef int(WINAPI* UnlhaFn)(HWND, LPCSTR, LPSTR, DWORD);
typedef BOOL(WINAPI* UnlhaCheckArchiveFn)(LPCSTR, int);
typedef int(WINAPI* UnlhaGetArchiveTypeFn)(LPCSTR);
typedef HARC(WINAPI* UnlhaOpenArchiveFn)(HWND, LPCSTR, DWORD);
typedef int(WINAPI* UnlhaCloseArchiveFn)(HARC);
typedef int(WINAPI* UnlhaFindFirstFn)(HARC, LPCSTR, UnlhaEntryInfo*);
typedef int(WINAPI* UnlhaFindNextFn)(HARC, UnlhaEntryInfo*);
typedef BOOL(WINAPI* UnlhaGetTimeExFn)(HARC, FILETIME*);
typedef int(WINAPI* UnlhaExtractMemFn)(HWND, LPCSTR, LPBYTE, DWORD, DWORD*, LPWORD, LPDWORD);
typedef BOOL(WINAPI* UnlhaSetOwnerWindowExFn)(HWND, UnlhaOwnerCallback);
typedef BOOL(WINAPI* UnlhaKillOwnerWindowExFn)(HWND);
typedef BOOL(WINAPI* UnlhaSetEnumMembersProc64Fn)(UnlhaEnumMembersProc, DWORD);
typedef BOOL(WINAPI* UnlhaClearEnumMembersProc64Fn)();
