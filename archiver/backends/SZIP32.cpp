#include "SZIP32.h"

#include "ArchiverErrors.h"
#include "SelfExtractor.h"
#include "WinHandles.h"

namespace arc {

namespace {

TClassBinding<>& Binding() {
    static TClassBinding<> binding("7z 形式書庫", "7-zip32.dll", "SevenZip");
    return binding;
}

bool Uses(const TArchiverOptions& options, TResFileUse use) {
    return options.ResFileUsage.count(use) != 0;
}

// The folder 7-Zip says it is installed in; empty when it says nothing.
std::string SevenZipFolder() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\7-ZIP", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::string();
    ostra::RegKey owned(key);
    char value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH, type = 0;
    if (::RegQueryValueExA(key, "Path", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::string();
    value[size < sizeof value ? size : sizeof value - 1] = '\0';
    return value;
}

}  // namespace

const char* const TSevenZip32::SfxModule = "7z.sfx";

TSevenZip32::TSevenZip32() : TArchiver(Binding()) {}

void TSevenZip32::LoadDLL() {
    Binding().LoadDLL();
}

void TSevenZip32::FreeDLL() {
    Binding().FreeDLL();
}

std::string TSevenZip32::BuildCommand(const std::string& word, const std::string& archiveFileName,
                                      const TArchiverOptions& options, const std::string& dir,
                                      const TFileList& files, bool useResponseFile) {
    TCmdOpt cmd;
    if (word == "x") {
        if (options.m == 2)
            cmd.Add("-aou");
        else if (options.jn > 0)
            cmd.Add("-aos");
        else if (options.c > 0)
            cmd.Add("-aoa");
    }
    cmd.Add("-ms=off");
    if (options.n > 0) cmd.Add("-hide");
    if (options.r == 0)
        cmd.Add("-r-");
    else if (options.r > 1)
        cmd.Add("-r");
    cmd.AddDir("w", options.w);
    if (options.y > 0) cmd.Add("-y");
    cmd.AddFiles("x!", TFileList{options.jx});
    cmd.AddDir("o", dir);
    cmd.Add(options.UserOptions);
    cmd.AddFile("", archiveFileName);
    AddFileList(cmd, options, files, useResponseFile);
    const std::string finalWord = (word == "x" && options.x == 0) ? "e" : word;
    return finalWord + cmd.CmdLine;
}

std::string TSevenZip32::ExtractCommand(HWND, const std::string& archiveFileName,
                                        const TArchiverOptions& options, const std::string& dir,
                                        const TFileList& files, bool) {
    return BuildCommand("x", archiveFileName, options, dir, files, Uses(options, TResFileUse::ruOnUnpack));
}

std::string TSevenZip32::PackCommand(HWND, const std::string& archiveFileName,
                                     const TArchiverOptions& options, const std::string& dir,
                                     const TFileList& files, bool) {
    return BuildCommand("u", archiveFileName, options, dir, files, Uses(options, TResFileUse::ruOnPack));
}

std::string TSevenZip32::DeleteCommand(HWND, const std::string& archiveFileName,
                                       const TArchiverOptions& options, const std::string&,
                                       const TFileList& files, bool) {
    return BuildCommand("d", archiveFileName, options, "", files, Uses(options, TResFileUse::ruOnRemoveItem));
}

int TSevenZip32::MakeSfx(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                         const std::string& outputDir, std::string&, std::string&) {
    const std::string folder = SevenZipFolder();
    if (options.gw <= 0) throw EArchiver("16bit SFX を作成することはできません。");
    std::string module = folder.empty() ? std::string() : FindSfxStub(SfxModule, folder);
    if (module.empty()) module = FindSfxStub(SfxModule);
    if (module.empty()) throw ESfxNoRequiredFile("7z", "", SfxModule);
    WriteSelfExtractor(module, archiveFileName, SfxOutputName(archiveFileName, outputDir, ".exe"),
                       TSfxTrailer::None);
    return 0;
}

}  // namespace arc
