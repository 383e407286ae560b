#include "BGA32.h"

#include "BackendProbe.h"
#include "FileSystem.h"

namespace arc {

namespace {

TClassBinding<>& Binding() {
    static TClassBinding<> binding("BGA 形式書庫", "BGA32.DLL", "Bga");
    return binding;
}

bool RemovesWithResponseFile(const TArchiverOptions& options) {
    return options.ResFileUsage.count(TResFileUse::ruOnRemoveItem) != 0;
}

}  // namespace

TBGA32::TBGA32() : TArchiver(Binding()) {}

void TBGA32::LoadDLL() {
    Binding().LoadDLL();
}

void TBGA32::FreeDLL() {
    Binding().FreeDLL();
}

std::string TBGA32::BuildCommand(const std::string& word, const std::string& archiveFileName,
                                 const TArchiverOptions& options, const std::string& dir,
                                 const TFileList& files, bool useResponseFile) {
    TCmdOpt cmd;
    cmd.AddFlag("a", options.a > 0);
    cmd.Add(options.c > 0 ? "-o" : "-n");
    cmd.AddFlag("i", options.n > 0 || OwnerWindowSet());
    cmd.AddFlag("r", options.r > 0);
    cmd.AddFlag("j", options.x < 1);
    cmd.AddNumber("l", options.jm);
    cmd.Add(options.UserOptions);
    AddArchiveAndDir(cmd, archiveFileName, dir);
    AddFileList(cmd, options, files, useResponseFile);
    return word + cmd.CmdLine;
}

std::string TBGA32::ExtractCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                   const std::string& dir, const TFileList& files, bool useResponseFile) {
    return BuildCommand("x", archiveFileName, options, dir, files, useResponseFile);
}

std::string TBGA32::PackCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                const std::string& dir, const TFileList& files, bool useResponseFile) {
    return BuildCommand("a", archiveFileName, options, dir, files, useResponseFile);
}

std::string TBGA32::DeleteCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                  const std::string&, const TFileList& files, bool) {
    return BuildCommand("d", archiveFileName, options, "", files, RemovesWithResponseFile(options));
}

std::string TBGA32::SfxCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                               const std::string& dirOrName) {
    return BuildCommand("s", archiveFileName, options, dirOrName, TFileList{},
                        RemovesWithResponseFile(options));
}

bool IsBgaArchive(const std::string& fileName) {
    try {
        if (!ostra::FileExists(ostra::ExpandFileName(fileName))) return false;
    } catch (...) {
        return false;
    }
    return OpensAsArchive(Binding(), fileName);
}

}  // namespace arc
