// UNLHA32.DLL as the programs see it: loaded by file name, every entry looked up by its plain
// name. A missing entry fails the test that needs it.
#pragma once

#include <windows.h>

#include <string>

#include "unlha32/UnlhaApi.h"

class UnlhaLibrary {
  public:
    static UnlhaLibrary& Get();

    bool loaded() const { return module_ != nullptr; }

    UnlhaFn Unlha = nullptr;
    UnlhaCheckArchiveFn CheckArchive = nullptr;
    UnlhaGetArchiveTypeFn GetArchiveType = nullptr;
    UnlhaOpenArchiveFn OpenArchive = nullptr;
    UnlhaCloseArchiveFn CloseArchive = nullptr;
    UnlhaFindFirstFn FindFirst = nullptr;
    UnlhaFindNextFn FindNext = nullptr;
    UnlhaGetTimeExFn GetWriteTimeEx = nullptr;
    UnlhaGetTimeExFn GetCreateTimeEx = nullptr;
    UnlhaGetTimeExFn GetAccessTimeEx = nullptr;
    UnlhaExtractMemFn ExtractMem = nullptr;
    UnlhaSetOwnerWindowExFn SetOwnerWindowEx = nullptr;
    UnlhaKillOwnerWindowExFn KillOwnerWindowEx = nullptr;
    UnlhaSetEnumMembersProc64Fn SetEnumMembersProc64 = nullptr;
    UnlhaClearEnumMembersProc64Fn ClearEnumMembersProc64 = nullptr;

    // Runs a command line; the text report lands in *report when given.
    int Run(const std::string& line, std::string* report = nullptr);

  private:
    UnlhaLibrary();
    HMODULE module_ = nullptr;
};
