#include "ArchiverDll.h"

#include <utility>

#include "ArchiverErrors.h"
#include "LocalDosTime.h"

namespace arc {

namespace {

// For a call whose slot no binding filled: a required entry is reported, an optional one
// answers 0.
[[noreturn]] void Unresolved(const char* entryName) {
    throw EEntryNotFound(EntryNotFoundMessage("", entryName));
}

}  // namespace

std::string FormatPlaceholders(const std::string& format, const std::string& arg0, const std::string& arg1) {
    std::string text;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format.compare(i, 4, "%0:s") == 0 || format.compare(i, 4, "%1:s") == 0) {
            text += format[i + 1] == '0' ? arg0 : arg1;
            i += 3;
        } else {
            text += format[i];
        }
    }
    return text;
}

std::string NoArchiverDllMessage(const std::string& description, const std::string& dllName) {
    return FormatPlaceholders("%0:s を扱うには %1:s が 必要です。", description, dllName);
}

std::string EntryNotFoundMessage(const std::string& moduleFileName, const std::string& entryName) {
    return FormatPlaceholders("%0:s に %1:s のエントリが見つかりません。", moduleFileName, entryName);
}

std::string ModuleFileName(HMODULE module) {
    if (!module) return std::string();
    // Older systems leave a truncated name without its NUL; the extra byte is always ours.
    char buffer[MAX_PATH + 1];
    DWORD n = ::GetModuleFileNameA(module, buffer, MAX_PATH);
    if (n > MAX_PATH) n = MAX_PATH;
    buffer[n] = '\0';
    return std::string(buffer, n);
}

// ---- TCustomArchiverDll ----

TCustomArchiverDll::TAnyEntry TCustomArchiverDll::LookupEntry(HMODULE module, const std::string& entryName,
                                                              bool required) {
    // A null module would make the lookup search the program itself.
    FARPROC found = module ? ::GetProcAddress(module, entryName.c_str()) : nullptr;
    if (found) return reinterpret_cast<TAnyEntry>(found);
    std::string moduleName = ModuleFileName(module);
    if (required) throw EEntryNotFound(EntryNotFoundMessage(moduleName, entryName));
    return nullptr;
}

void TCustomArchiverDll::Unload() {
    Entries = TEntryPoints();
}

int TCustomArchiverDll::Execute(HWND window, const std::string&, const std::string& cmdLine, char* output,
                                DWORD size) {
    if (!Entries.Main) Unresolved("main");
    return Entries.Main(window, cmdLine.c_str(), size == 0 ? nullptr : output, size);
}

int TCustomArchiverDll::ExecutePack(HWND window, const std::string& archiveFileName,
                                    const std::string& cmdLine, char* output, DWORD size) {
    return Execute(window, archiveFileName, cmdLine, output, size);
}

int TCustomArchiverDll::CheckArchive(const std::string& fileName, int mode) {
    if (!Entries.CheckArchive) Unresolved("CheckArchive");
    return Entries.CheckArchive(fileName.c_str(), mode);
}

int TCustomArchiverDll::CloseArchive(HARC archive) {
    if (!Entries.CloseArchive) Unresolved("CloseArchive");
    return Entries.CloseArchive(archive);
}

int TCustomArchiverDll::ExtractMem(HWND window, const std::string& cmdLine, void* buffer, DWORD size,
                                   void* time, WORD* attributes, DWORD* written) {
    if (!Entries.ExtractMem) Unresolved("ExtractMem");
    return Entries.ExtractMem(window, cmdLine.c_str(), static_cast<LPBYTE>(buffer), size, time, attributes,
                              written);
}

int TCustomArchiverDll::FindFirst(HARC archive, const std::string& wildcard, TEntryRecord& entry) {
    if (!Entries.FindFirst) Unresolved("FindFirst");
    int result = Entries.FindFirst(archive, wildcard.c_str(), &entry);
    if (result == 0) FillEntryTimes(archive, entry);
    return result;
}

int TCustomArchiverDll::FindNext(HARC archive, TEntryRecord& entry) {
    if (!Entries.FindNext) Unresolved("FindNext");
    int result = Entries.FindNext(archive, &entry);
    if (result == 0) FillEntryTimes(archive, entry);
    return result;
}

int TCustomArchiverDll::KillOwnerWindowEx(HWND window) {
    return Entries.KillOwnerWindowEx ? Entries.KillOwnerWindowEx(window) : 0;
}

HARC TCustomArchiverDll::OpenArchive(HWND window, const std::string& fileName, DWORD mode) {
    if (!Entries.OpenArchive) Unresolved("OpenArchive");
    return Entries.OpenArchive(window, fileName.c_str(), mode);
}

int TCustomArchiverDll::SetOwnerWindowEx(HWND window, TArchiverProc callback) {
    return Entries.SetOwnerWindowEx ? Entries.SetOwnerWindowEx(window, callback) : 0;
}

int TCustomArchiverDll::GetWriteTimeEx(HARC archive, FILETIME* time) {
    return Entries.GetWriteTimeEx ? Entries.GetWriteTimeEx(archive, time) : 0;
}

int TCustomArchiverDll::GetCreateTimeEx(HARC archive, FILETIME* time) {
    return Entries.GetCreateTimeEx ? Entries.GetCreateTimeEx(archive, time) : 0;
}

int TCustomArchiverDll::GetAccessTimeEx(HARC archive, FILETIME* time) {
    return Entries.GetAccessTimeEx ? Entries.GetAccessTimeEx(archive, time) : 0;
}

int TCustomArchiverDll::GetArchiveType(const std::string& fileName) {
    if (!Entries.GetArchiveType) Unresolved("GetArchiveType");
    return Entries.GetArchiveType(fileName.c_str());
}

int TCustomArchiverDll::SetEnumMembersProc64(TEnumMembersProc callback, DWORD recordSize) {
    return Entries.SetEnumMembersProc64 ? Entries.SetEnumMembersProc64(callback, recordSize) : 0;
}

int TCustomArchiverDll::ClearEnumMembersProc64() {
    return Entries.ClearEnumMembersProc64 ? Entries.ClearEnumMembersProc64() : 0;
}

void TCustomArchiverDll::FillEntryTimes(HARC archive, TEntryRecord& entry) {
    // The record is packed and its times are not aligned: go through a local.
    FILETIME dosTime{0, 0};
    if ((entry.DosDate != 0 || entry.DosTime != 0) &&
        !ostra::LocalDosToFileTime(entry.DosDate, entry.DosTime, dosTime))
        dosTime = FILETIME{0, 0};
    auto fill = [&](int (TCustomArchiverDll::*get)(HARC, FILETIME*), FILETIME& field) {
        FILETIME t{0, 0};
        if ((this->*get)(archive, &t) == 0) t = dosTime;
        field = t;
    };
    fill(&TCustomArchiverDll::GetWriteTimeEx, entry.LastWriteTime);
    fill(&TCustomArchiverDll::GetAccessTimeEx, entry.LastAccessTime);
    fill(&TCustomArchiverDll::GetCreateTimeEx, entry.CreationTime);
}

// ---- TArchiverDll ----

TArchiverDll::TArchiverDll(std::string description, std::string dllName, std::string prefix)
    : Description_(std::move(description)), DllName_(std::move(dllName)), Prefix_(std::move(prefix)) {}

TArchiverDll::~TArchiverDll() {
    TArchiverDll::Unload();
}

void TArchiverDll::Load() {
    if (!Module) Module.reset(::LoadLibraryA(DllName_.c_str()));
    if (!Module) throw ENoArchiverDLL(NoArchiverDllMessage(Description_, DllName_));
}

void TArchiverDll::Unload() {
    TCustomArchiverDll::Unload();
    Module.reset();
}

int TArchiverDll::Execute(HWND window, const std::string& archiveFileName, const std::string& cmdLine,
                          char* output, DWORD size) {
    Load();
    Resolve(Entries.Main, "", true);
    return TCustomArchiverDll::Execute(window, archiveFileName, cmdLine, output, size);
}

int TArchiverDll::CheckArchive(const std::string& fileName, int mode) {
    Load();
    Resolve(Entries.CheckArchive, "CheckArchive", true);
    return TCustomArchiverDll::CheckArchive(fileName, mode);
}

int TArchiverDll::CloseArchive(HARC archive) {
    Load();
    Resolve(Entries.CloseArchive, "CloseArchive", true);
    return TCustomArchiverDll::CloseArchive(archive);
}

int TArchiverDll::ExtractMem(HWND window, const std::string& cmdLine, void* buffer, DWORD size, void* time,
                             WORD* attributes, DWORD* written) {
    Resolve(Entries.ExtractMem, "ExtractMem", true);
    return TCustomArchiverDll::ExtractMem(window, cmdLine, buffer, size, time, attributes, written);
}

int TArchiverDll::FindFirst(HARC archive, const std::string& wildcard, TEntryRecord& entry) {
    Load();
    Resolve(Entries.FindFirst, "FindFirst", true);
    return TCustomArchiverDll::FindFirst(archive, wildcard, entry);
}

int TArchiverDll::FindNext(HARC archive, TEntryRecord& entry) {
    Resolve(Entries.FindNext, "FindNext", true);
    return TCustomArchiverDll::FindNext(archive, entry);
}

int TArchiverDll::KillOwnerWindowEx(HWND window) {
    if (!Resolve(Entries.KillOwnerWindowEx, "KillOwnerWindowEx", false)) return 0;
    return TCustomArchiverDll::KillOwnerWindowEx(window);
}

HARC TArchiverDll::OpenArchive(HWND window, const std::string& fileName, DWORD mode) {
    Load();
    Resolve(Entries.OpenArchive, "OpenArchive", true);
    return TCustomArchiverDll::OpenArchive(window, fileName, mode);
}

int TArchiverDll::SetOwnerWindowEx(HWND window, TArchiverProc callback) {
    if (!Resolve(Entries.SetOwnerWindowEx, "SetOwnerWindowEx", false)) return 0;
    return TCustomArchiverDll::SetOwnerWindowEx(window, callback);
}

int TArchiverDll::GetWriteTimeEx(HARC archive, FILETIME* time) {
    if (!Resolve(Entries.GetWriteTimeEx, "GetWriteTimeEx", false)) return 0;
    return TCustomArchiverDll::GetWriteTimeEx(archive, time);
}

int TArchiverDll::GetCreateTimeEx(HARC archive, FILETIME* time) {
    if (!Resolve(Entries.GetCreateTimeEx, "GetCreateTimeEx", false)) return 0;
    return TCustomArchiverDll::GetCreateTimeEx(archive, time);
}

int TArchiverDll::GetAccessTimeEx(HARC archive, FILETIME* time) {
    if (!Resolve(Entries.GetAccessTimeEx, "GetAccessTimeEx", false)) return 0;
    return TCustomArchiverDll::GetAccessTimeEx(archive, time);
}

int TArchiverDll::GetArchiveType(const std::string& fileName) {
    Load();
    Resolve(Entries.GetArchiveType, "GetArchiveType", true);
    return TCustomArchiverDll::GetArchiveType(fileName);
}

int TArchiverDll::SetEnumMembersProc64(TEnumMembersProc callback, DWORD recordSize) {
    Load();
    if (!Resolve(Entries.SetEnumMembersProc64, "SetEnumMembersProc64", false)) return 0;
    return TCustomArchiverDll::SetEnumMembersProc64(callback, recordSize);
}

int TArchiverDll::ClearEnumMembersProc64() {
    Load();
    if (!Resolve(Entries.ClearEnumMembersProc64, "ClearEnumMembersProc64", false)) return 0;
    return TCustomArchiverDll::ClearEnumMembersProc64();
}

// ---- TBindingHolder ----

TBindingHolder::TBindingHolder(std::vector<TFactory> alternatives, std::string noneLoadedMessage)
    : Alternatives(std::move(alternatives)), NoneLoadedMessage(std::move(noneLoadedMessage)) {}

void TBindingHolder::LoadDLL() {
    if (Alternatives.size() <= 1) {
        Dll().Load();
        return;
    }
    if (Binding) {
        try {
            Binding->Load();
            return;
        } catch (...) {
            Binding.reset();
        }
    }
    for (const TFactory& make : Alternatives) {
        Binding = make();
        try {
            Binding->Load();
            return;
        } catch (...) {
            Binding.reset();
        }
    }
    throw EArchiver(NoneLoadedMessage);
}

TCustomArchiverDll& TBindingHolder::Dll() {
    if (!Binding) Binding = Alternatives.front()();
    return *Binding;
}

}  // namespace arc
