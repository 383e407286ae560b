#include "CAB32.h"

#include "BackendProbe.h"

namespace arc {

namespace {

TClassBinding<>& Binding() {
    static TClassBinding<> binding("CAB 形式書庫", "CAB32.DLL", "Cab");
    return binding;
}

bool Uses(const TArchiverOptions& options, TResFileUse use) {
    return options.ResFileUsage.count(use) != 0;
}

}  // namespace

TCab32::TCab32() : TArchiver(Binding()) {}

void TCab32::LoadDLL() {
    Binding().LoadDLL();
}

void TCab32::FreeDLL() {
    Binding().FreeDLL();
}

std::string TCab32::BuildCommand(const std::string& word, const std::string& archiveFileName,
                                 const TArchiverOptions& options, const std::string& dir,
                                 const TFileList& files, bool useResponseFile) {
    TCmdOpt cmd;
    if (options.c == 1) cmd.Add("-o");
    if (options.n > 0 || OwnerWindowSet()) cmd.Add("-i");
    if (options.r > 0) cmd.Add("-r");
    cmd.AddDir("h", options.w);
    if (options.x == 0) cmd.Add("-j");
    if (options.ji > 0) cmd.Add("-q");
    cmd.Add(options.UserOptions);
    AddArchiveAndDir(cmd, archiveFileName, dir);
    AddFileList(cmd, options, files, useResponseFile);
    return word + cmd.CmdLine;
}

std::string TCab32::ExtractCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                   const std::string& dir, const TFileList& files, bool) {
    return BuildCommand("-x", archiveFileName, options, dir, files, Uses(options, TResFileUse::ruOnUnpack));
}

std::string TCab32::PackCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                const std::string& dir, const TFileList& files, bool) {
    return BuildCommand("-a", archiveFileName, options, dir, files, Uses(options, TResFileUse::ruOnPack));
}

std::string TCab32::SfxCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                               const std::string& dirOrName) {
    return BuildCommand("-f", archiveFileName, options, dirOrName, TFileList{}, false);
}

std::string TCab32::ExtractMemCommand(HWND, const std::string& archiveFileName,
                                      const TArchiverOptions& options, const std::string& entryName) {
    return BuildCommand("", archiveFileName, options, "", TFileList{entryName}, false);
}

bool IsCabArchive(const std::string& fileName) {
    return OpensAsArchive(Binding(), fileName);
}

}  // namespace arc
