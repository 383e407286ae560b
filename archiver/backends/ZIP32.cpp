#include "ZIP32.h"

#include "ArchiverErrors.h"
#include "BackendProbe.h"
#include "FileSystem.h"
#include "SelfExtractor.h"
#include "TextRoutines.h"

namespace arc {

namespace {

constexpr int kProbeCheckMode = 24;

TClassBinding<TZipDll>& Binding() {
    static TClassBinding<TZipDll> binding([] { return std::unique_ptr<TCustomArchiverDll>(new TZipDll); });
    return binding;
}

}  // namespace

// ---- TZipDll ----

TZipDll::~TZipDll() {
    TZipDll::Unload();
}

void TZipDll::Load() {
    if (!Unzip) Unzip.reset(::LoadLibraryA("UNZIP32.DLL"));
    if (!Zip32j) Zip32j.reset(::LoadLibraryA("ZIP32J.DLL"));
    if (!Lmzip) Lmzip.reset(::LoadLibraryA("LMZIP32.DLL"));
}

void TZipDll::Unload() {
    Unzip.reset();
    Lmzip.reset();
    Zip32j.reset();
    ZipEntry = nullptr;
    UnzipEntry = nullptr;
    TCustomArchiverDll::Unload();
}

template <typename F>
bool TZipDll::ResolveZipEntry(F& slot, const char* name, bool required, HMODULE first, HMODULE second,
                              HMODULE third) {
    for (HMODULE module : {first, second, third}) {
        if (!module) continue;
        std::string asked = name;
        // LMZIP32 spells its entries "Unzip...".
        if (module == Lmzip.get() && asked.size() > 2 && asked[2] == 'Z') asked[2] = 'z';
        if (FARPROC found = ::GetProcAddress(module, asked.c_str())) {
            slot = reinterpret_cast<F>(reinterpret_cast<void (*)()>(found));
            return true;
        }
    }
    if (required)
        throw EEntryNotFound(FormatPlaceholders("%0:s のエントリが DLL に見つかりませんでした。", name));
    return false;
}

int TZipDll::Execute(HWND window, const std::string&, const std::string& cmdLine, char* output, DWORD size) {
    Load();
    ResolveZipEntry(UnzipEntry, "UnZip", true, Unzip.get(), Lmzip.get(), nullptr);
    return UnzipEntry(window, cmdLine.c_str(), size == 0 ? nullptr : output, size);
}

int TZipDll::ExecutePack(HWND window, const std::string&, const std::string& cmdLine, char* output,
                         DWORD size) {
    Load();
    ResolveZipEntry(ZipEntry, "Zip", true, Zip32j.get(), Lmzip.get(), nullptr);
    return ZipEntry(window, cmdLine.c_str(), size == 0 ? nullptr : output, size);
}

int TZipDll::CheckArchive(const std::string& fileName, int mode) {
    Load();
    ResolveZipEntry(Entries.CheckArchive, "UnZipCheckArchive", true, Unzip.get(), Lmzip.get(), Zip32j.get());
    return TCustomArchiverDll::CheckArchive(fileName, mode);
}

int TZipDll::CloseArchive(HARC archive) {
    Load();
    ResolveListing(Entries.CloseArchive, "UnZipCloseArchive", true);
    return TCustomArchiverDll::CloseArchive(archive);
}

int TZipDll::ExtractMem(HWND window, const std::string& cmdLine, void* buffer, DWORD size, void* time,
                        WORD* attributes, DWORD* written) {
    ResolveZipEntry(Entries.ExtractMem, "UnZipExtractMem", true, Unzip.get(), Lmzip.get(), Zip32j.get());
    return TCustomArchiverDll::ExtractMem(window, cmdLine, buffer, size, time, attributes, written);
}

int TZipDll::FindFirst(HARC archive, const std::string& wildcard, TEntryRecord& entry) {
    Load();
    ResolveListing(Entries.FindFirst, "UnZipFindFirst", true);
    return TCustomArchiverDll::FindFirst(archive, wildcard, entry);
}

int TZipDll::FindNext(HARC archive, TEntryRecord& entry) {
    ResolveListing(Entries.FindNext, "UnZipFindNext", true);
    return TCustomArchiverDll::FindNext(archive, entry);
}

HARC TZipDll::OpenArchive(HWND window, const std::string& fileName, DWORD mode) {
    Load();
    ResolveListing(Entries.OpenArchive, "UnZipOpenArchive", true);
    return TCustomArchiverDll::OpenArchive(window, fileName, mode);
}

int TZipDll::SetOwnerWindowEx(HWND window, TArchiverProc callback) {
    ResolveEntry(Entries.SetOwnerWindowEx, Unzip.get(), "UnZipSetOwnerWindowEx", true);
    return TCustomArchiverDll::SetOwnerWindowEx(window, callback);
}

int TZipDll::KillOwnerWindowEx(HWND window) {
    ResolveEntry(Entries.KillOwnerWindowEx, Unzip.get(), "UnZipKillOwnerWindowEx", true);
    return TCustomArchiverDll::KillOwnerWindowEx(window);
}

int TZipDll::GetWriteTimeEx(HARC archive, FILETIME* time) {
    // The libraries spell this one entry with a small z.
    if (!ResolveListing(Entries.GetWriteTimeEx, "UnzipGetWriteTimeEx", false)) return 0;
    return TCustomArchiverDll::GetWriteTimeEx(archive, time);
}

int TZipDll::GetCreateTimeEx(HARC archive, FILETIME* time) {
    if (!ResolveListing(Entries.GetCreateTimeEx, "UnZipGetCreateTimeEx", false)) return 0;
    return TCustomArchiverDll::GetCreateTimeEx(archive, time);
}

int TZipDll::GetAccessTimeEx(HARC archive, FILETIME* time) {
    if (!ResolveListing(Entries.GetAccessTimeEx, "UnZipGetAccessTimeEx", false)) return 0;
    return TCustomArchiverDll::GetAccessTimeEx(archive, time);
}

// ---- TZip32 ----

TZip32::TZip32() : TArchiver(Binding()) {}

void TZip32::LoadDLL() {
    Binding().LoadDLL();
}

void TZip32::FreeDLL() {
    Binding().FreeDLL();
}

TZipDll& TZip32::ZipDll() {
    return Binding().Dll();
}

std::string TZip32::ExtractCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                   const std::string& dir, const TFileList& files, bool useResponseFile) {
    if (!ZipDll().UnzipModule() && !ZipDll().LmzipModule())
        throw EArchiver("ZIP 形式書庫の解凍には UNZIP32.DLL または LMZIP32.DLL が必要です。");
    return BuildUnzipCommand("-x", archiveFileName, options, dir, files, useResponseFile);
}

std::string TZip32::PackCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                const std::string& dir, const TFileList& files, bool useResponseFile) {
    if (ZipDll().Zip32jModule())
        return BuildZip32jCommand("", archiveFileName, options, dir, files, useResponseFile);
    if (ZipDll().LmzipModule())
        return BuildLmzipPackCommand("-ru", archiveFileName, options, "", files, useResponseFile);
    throw EArchiver("ZIP 形式書庫の作成には ZIP32J.DLL または LMZIP32.DLL が必要です。");
}

std::string TZip32::DeleteCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                  const std::string&, const TFileList& files, bool useResponseFile) {
    return BuildZip32jCommand("-d", archiveFileName, options, "", files, useResponseFile);
}

std::string TZip32::UpdateCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                  const std::string& dir, const TFileList& files, bool useResponseFile) {
    return BuildZip32jCommand("-f", archiveFileName, options, dir, files, useResponseFile);
}

std::string TZip32::SfxCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                               const std::string& dirOrName) {
    if (!ZipDll().Zip32jModule()) throw ESfxNoRequiredFile("zip", "", "ZIP32J.DLL");
    const bool win32 = options.gw > 0;
    const std::string stubName = win32 ? "sfx32gui.dat" : "sfx16.dat";
    const std::string stub = FindSfxStub(stubName);
    if (stub.empty()) throw ESfxNoRequiredFile("zip", win32 ? "Win32" : "DOS", stubName);
    const std::string output = SfxOutputName(archiveFileName, dirOrName, ".EXE");
    WriteSelfExtractor(stub, archiveFileName, output, TSfxTrailer::None);
    // Quoted: a folder or file name may hold blanks.
    return "-A \"" + output + "\"";
}

std::string TZip32::ExtractMemCommand(HWND, const std::string& archiveFileName,
                                      const TArchiverOptions& options, const std::string& entryName) {
    return BuildUnzipCommand("", archiveFileName, options, "", TFileList{entryName}, false);
}

std::string TZip32::BuildUnzipCommand(const std::string& word, const std::string& archiveFileName,
                                      const TArchiverOptions& options, const std::string& dir,
                                      const TFileList& files, bool useResponseFile) {
    TCmdOpt cmd;
    cmd.NameConverter = &ZipNameConverter;
    if (options.c == 1) cmd.Add("-o");
    if (options.n > 0 || OwnerWindowSet()) cmd.Add("--i");
    if (options.x == 0) cmd.Add("-j");
    cmd.Add(options.UserOptions);
    AddArchiveAndDir(cmd, archiveFileName, dir);
    AddFileList(cmd, options, files, useResponseFile);
    return word + cmd.CmdLine;
}

std::string TZip32::BuildZip32jCommand(const std::string& word, const std::string& archiveFileName,
                                       const TArchiverOptions& options, const std::string& dir,
                                       const TFileList& files, bool useResponseFile) {
    TCmdOpt cmd;
    cmd.NameConverter = &ZipNameConverter;
    if (options.a > 0) cmd.Add("-S");
    if (options.a < 2) cmd.Add("-D");
    if (options.l > 0) cmd.Add("-v");
    if (options.n > 0) cmd.Add("-q");
    if (options.r > 0) cmd.Add("-r");
    if (options.n > 0) cmd.Add("-o");
    if (options.u > 0) cmd.Add("-u");
    if (options.x == 0) cmd.Add("-j");
    if (options.jc > 0) cmd.Add("-FF");
    if (options.ji > 0) cmd.Add("-k");
    cmd.AddNumber("", options.jm);  // the compression level
    if (options.gd > 0) cmd.Add("-J");
    cmd.Add(options.UserOptions);
    AddArchiveAndDir(cmd, archiveFileName, dir);
    AddFileList(cmd, options, files, useResponseFile);
    return word + cmd.CmdLine;
}

std::string TZip32::BuildLmzipPackCommand(const std::string& word, const std::string& archiveFileName,
                                          const TArchiverOptions& options, const std::string& dir,
                                          const TFileList& files, bool useResponseFile) {
    TCmdOpt cmd;
    if (options.c == 1) cmd.Add("-o");
    if (options.x == 0) cmd.Add("-j");
    cmd.Add(options.UserOptions);
    AddArchiveAndDir(cmd, archiveFileName, dir);
    AddFileList(cmd, options, files, useResponseFile);
    return word + cmd.CmdLine;
}

std::string ZipNameConverter(const std::string& name) {
    std::string out;
    size_t i = 0;
    if (!name.empty() && name[0] == '-') {
        out = "[-]";
        i = 1;
    }
    while (i < name.size()) {
        if (ostra::IsLeadByte(name, i) && i + 1 < name.size()) {
            out.append(name, i, 2);
            i += 2;
            continue;
        }
        const char c = name[i++];
        if (c == '\\')
            out += '/';
        else if (c == '[')
            out += "[[]";
        else
            out += c;
    }
    return out;
}

bool IsZipArchive(const std::string& fileName) {
    bool checked = false;
    try {
        TZip32::LoadDLL();
        checked = Binding().Dll().CheckArchive(ExpandFileName(fileName), kProbeCheckMode) != 0;
    } catch (...) {
        checked = false;
    }
    if (!checked) return false;
    try {
        TZip32::LoadDLL();
        const std::string full = ExpandFileName(fileName);
        if (!ostra::FileExists(full)) return false;
        TZipDll& dll = Binding().Dll();
        HARC archive = dll.OpenArchive(nullptr, full, kProbeOpenMode);
        if (!archive) return false;
        dll.CloseArchive(archive);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace arc
