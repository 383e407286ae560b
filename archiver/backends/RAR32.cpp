#include "RAR32.h"

#include "BackendProbe.h"

namespace arc {

namespace {

TClassBinding<>& Binding() {
    static TClassBinding<> binding("RAR 形式書庫", "UNRAR32.DLL", "Unrar");
    return binding;
}

}  // namespace

TRar32::TRar32() : TArchiver(Binding()) {}

void TRar32::LoadDLL() {
    Binding().LoadDLL();
}

void TRar32::FreeDLL() {
    Binding().FreeDLL();
}

std::string TRar32::BuildCommand(const std::string& word, const std::string& archiveFileName,
                                 const TArchiverOptions& options, const std::string& dir,
                                 const TFileList& files, bool useResponseFile) {
    TCmdOpt cmd;
    if (options.c < 1) cmd.Add("-u");
    if (options.m > 0) cmd.Add("-y");
    if (options.p > 0) cmd.Add("-s");
    cmd.Add(options.UserOptions);
    AddArchiveAndDir(cmd, archiveFileName, dir);
    AddFileList(cmd, options, files, useResponseFile);
    return word + cmd.CmdLine;
}

std::string TRar32::ExtractCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                   const std::string& dir, const TFileList& files, bool) {
    return BuildCommand(options.x == 0 ? "-e" : "-x", archiveFileName, options, dir, files,
                        options.ResFileUsage.count(TResFileUse::ruOnUnpack) != 0);
}

std::string TRar32::ExtractMemCommand(HWND, const std::string& archiveFileName,
                                      const TArchiverOptions& options, const std::string& entryName) {
    return BuildCommand("", archiveFileName, options, "", TFileList{entryName}, false);
}

bool IsRarArchive(const std::string& fileName) {
    return OpensAsArchive(Binding(), fileName);
}

}  // namespace arc
