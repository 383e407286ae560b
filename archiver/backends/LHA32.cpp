#include "LHA32.h"

#include "ArchiverErrors.h"

namespace arc {

namespace {

// Modes of the format probe: a quick check of the archive, then an open for listing only.
constexpr int kProbeCheckMode = 16;
constexpr DWORD kProbeOpenMode = 0x800002;

TClassBinding<>& Binding() {
    static TClassBinding<> binding("LHA 形式書庫", "UNLHA32.DLL", "Unlha");
    return binding;
}

bool Uses(const TArchiverOptions& options, TResFileUse use) {
    return options.ResFileUsage.count(use) != 0;
}

// Built from these switches, a line would do something other than the caller means: extraction
// needs jse, and every line jso.
void Require(bool condition, const char* message, int line) {
    if (!condition)
        throw EAssertionFailed(std::string(message) + " (LHA32.cpp, line " + std::to_string(line) + ")");
}

}  // namespace

TLha32::TLha32() : TArchiver(Binding()) {}

void TLha32::LoadDLL() {
    Binding().LoadDLL();
}

void TLha32::FreeDLL() {
    Binding().FreeDLL();
}

std::string TLha32::BuildCommand(const std::string& word, const std::string& archiveFileName,
                                 const TArchiverOptions& options, const std::string& dir,
                                 const TFileList& files, bool useResponseFile) {
    TCmdOpt cmd;
    cmd.Add("-+");
    if (word == "x") Require(options.jse != -1, "jse オプションが設定されていません。", __LINE__);
    Require(options.jso != -1, "jso オプションが設定されていません。", __LINE__);

    for (const TSwitchInfo& sw : ArchiverSwitches()) {
        const std::string name = sw.Name;
        if (auto* number = std::get_if<int8_t TArchiverOptions::*>(&sw.Member)) {
            // With an owner window the library's own progress display is wanted.
            if (name == "n" && OwnerWindowSet())
                cmd.AddNumber("n", 1);
            else
                cmd.AddNumber(name, options.*(*number));
        } else if (auto* text = std::get_if<std::string TArchiverOptions::*>(&sw.Member)) {
            if (name == "w")
                cmd.AddDir("w", options.*(*text));
            else
                cmd.AddPathOption(name, options.*(*text));
        } else {
            cmd.AddFiles(name, TFileList{options.*std::get<TStrings TArchiverOptions::*>(sw.Member)});
        }
    }
    cmd.Add(options.UserOptions);
    AddArchiveAndDir(cmd, archiveFileName, dir);
    AddFileList(cmd, options, files, useResponseFile);
    return word + cmd.CmdLine;
}

std::string TLha32::ExtractCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                   const std::string& dir, const TFileList& files, bool) {
    return BuildCommand("x", archiveFileName, options, dir, files, Uses(options, TResFileUse::ruOnUnpack));
}

std::string TLha32::PackCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                const std::string& dir, const TFileList& files, bool) {
    return BuildCommand("u", archiveFileName, options, dir, files, Uses(options, TResFileUse::ruOnPack));
}

std::string TLha32::DeleteCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                  const std::string&, const TFileList& files, bool) {
    return BuildCommand("d", archiveFileName, options, "", files, Uses(options, TResFileUse::ruOnRemoveItem));
}

std::string TLha32::UpdateCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                  const std::string& dir, const TFileList& files, bool) {
    return BuildCommand("f", archiveFileName, options, dir, files, Uses(options, TResFileUse::ruOnUpdate));
}

std::string TLha32::SfxCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                               const std::string& dirOrName) {
    return BuildCommand("s", archiveFileName, options, dirOrName, TFileList{}, false);
}

std::string TLha32::ExtractMemCommand(HWND, const std::string& archiveFileName,
                                      const TArchiverOptions& options, const std::string& entryName) {
    return BuildCommand("", archiveFileName, options, "", TFileList{entryName}, false);
}

bool IsLhaArchive(const std::string& fileName) {
    try {
        TLha32::LoadDLL();
        const std::string full = ExpandFileName(fileName);
        TCustomArchiverDll& dll = Binding().Dll();
        if (dll.CheckArchive(full, kProbeCheckMode) == 0) return false;
        HARC archive = dll.OpenArchive(nullptr, full, kProbeOpenMode);
        if (!archive) return false;  // nothing opened, nothing to close
        dll.CloseArchive(archive);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace arc
