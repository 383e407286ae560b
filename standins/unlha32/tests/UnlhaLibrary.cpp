#include "UnlhaLibrary.h"

namespace {
template <typename T>
void Resolve(HMODULE m, T& slot, const char* name) {
    slot = reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(m, name)));
}
}  // namespace

UnlhaLibrary& UnlhaLibrary::Get() {
    static UnlhaLibrary lib;
    return lib;
}

UnlhaLibrary::UnlhaLibrary() {
    module_ = ::LoadLibraryA("UNLHA32.DLL");  // kept for the life of the test process
    if (!module_) return;
    Resolve(module_, Unlha, "Unlha");
    Resolve(module_, CheckArchive, "UnlhaCheckArchive");
    Resolve(module_, GetArchiveType, "UnlhaGetArchiveType");
    Resolve(module_, OpenArchive, "UnlhaOpenArchive");
    Resolve(module_, CloseArchive, "UnlhaCloseArchive");
    Resolve(module_, FindFirst, "UnlhaFindFirst");
    Resolve(module_, FindNext, "UnlhaFindNext");
    Resolve(module_, GetWriteTimeEx, "UnlhaGetWriteTimeEx");
    Resolve(module_, GetCreateTimeEx, "UnlhaGetCreateTimeEx");
    Resolve(module_, GetAccessTimeEx, "UnlhaGetAccessTimeEx");
    Resolve(module_, ExtractMem, "UnlhaExtractMem");
    Resolve(module_, SetOwnerWindowEx, "UnlhaSetOwnerWindowEx");
    Resolve(module_, KillOwnerWindowEx, "UnlhaKillOwnerWindowEx");
    Resolve(module_, SetEnumMembersProc64, "UnlhaSetEnumMembersProc64");
    Resolve(module_, ClearEnumMembersProc64, "UnlhaClearEnumMembersProc64");
}

int UnlhaLibrary::Run(const std::string& line, std::string* report) {
    char buf[16384];
    int r = Unlha(nullptr, line.c_str(), buf, sizeof buf);
    if (report) *report = buf;
    return r;
}
