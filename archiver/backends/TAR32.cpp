#include "TAR32.h"

#include "ArchiverErrors.h"
#include "SelfExtractor.h"

namespace arc {

namespace {

TClassBinding<>& Binding() {
    static TClassBinding<> binding("tar/tgz/taz/bz2 形式書庫", "TAR32.DLL", "Tar");
    return binding;
}

bool Uses(const TArchiverOptions& options, TResFileUse use) {
    return options.ResFileUsage.count(use) != 0;
}

}  // namespace

TTar32::TTar32() : TArchiver(Binding()) {}

void TTar32::LoadDLL() {
    Binding().LoadDLL();
}

void TTar32::FreeDLL() {
    Binding().FreeDLL();
}

std::string TTar32::BuildCommand(const std::string& word, const std::string& archiveFileName,
                                 const TArchiverOptions& options, const std::string& dir,
                                 const TFileList& files, bool useResponseFile) {
    TCmdOpt cmd;
    cmd.SeparateValue = true;
    if (options.a > 0)
        cmd.Add("-AH");
    else if (options.a == 0)
        cmd.Add("-I");
    if (!OwnerWindowSet() && options.n > 0) cmd.Add("--display-dialog=0");
    if (options.o > 0) cmd.Add("-g");
    cmd.AddNumber("-check-all-path=", options.p);
    cmd.AddNumber("-use-directory=", options.x);
    if (dynamic_cast<const TTgz32*>(this)) {
        if (options.jm < 1)
            cmd.Add("-z");
        else
            cmd.AddNumber("z", options.jm);
    }
    if (dynamic_cast<const TBZ232*>(this)) {
        if (options.jm < 1)
            cmd.Add("-B");
        else
            cmd.AddNumber("B", options.jm);
    }
    cmd.Add(options.UserOptions);
    if (!archiveFileName.empty()) cmd.AddFile("f", archiveFileName);
    if (!dir.empty()) cmd.AddDir("o", dir);
    AddFileList(cmd, options, files, useResponseFile);
    return word + cmd.CmdLine;
}

int TTar32::MakeSfx(HWND, const std::string& archiveFileName, const TArchiverOptions&,
                    const std::string& outputDir, std::string&, std::string&) {
    if (dynamic_cast<const TBZ232*>(this)) throw EArchiver("BZ2 形式書庫は自己解凍形式にできません。");
    const std::string stub = FindSfxStub("kmtarsef.exe");
    if (stub.empty()) throw ESfxNoRequiredFile("tar/tgz", "", "kmtarsef.exe");
    WriteSelfExtractor(stub, archiveFileName, SfxOutputName(archiveFileName, outputDir, ".EXE"),
                       TSfxTrailer::None);
    return 0;
}

std::string TTar32::ExtractCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                   const std::string& dir, const TFileList& files, bool) {
    return BuildCommand("x", archiveFileName, options, dir, files, Uses(options, TResFileUse::ruOnUnpack));
}

std::string TTar32::PackCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                const std::string& dir, const TFileList& files, bool) {
    return BuildCommand("c", archiveFileName, options, dir, files, Uses(options, TResFileUse::ruOnPack));
}

std::string TTar32::ExtractMemCommand(HWND, const std::string& archiveFileName,
                                      const TArchiverOptions& options, const std::string& entryName) {
    return BuildCommand("", archiveFileName, options, "", TFileList{entryName}, false);
}

TArchiverType GetTarArchiverType(const std::string& fileName) {
    try {
        TTar32::LoadDLL();
        switch (Binding().Dll().GetArchiveType(fileName)) {
            case 1:
                return TArchiverType::atTar;
            case 2:
            case 3:
            case 4:
            case 5:
                return TArchiverType::atTgz;
            case 6:
            case 7:
                return TArchiverType::atBZ2;
            default:
                return TArchiverType::atNone;
        }
    } catch (...) {
        return TArchiverType::atNone;
    }
}

}  // namespace arc
