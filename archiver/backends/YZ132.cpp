#include "YZ132.h"

#include <cstring>

#include "ArchiverErrors.h"
#include "BackendProbe.h"
#include "FileSystem.h"
#include "SelfExtractor.h"

namespace arc {

namespace {

const char kDescription[] = "YZ1 形式書庫";
const char* const kLibraryNames[] = {"YYZ32.DLL", "YZ1.DLL"};
constexpr int kPasswordAttempts = 4;
constexpr DWORD kPasswordSize = 256;

TClassBinding<TYZ1Dll>& Binding() {
    static TClassBinding<TYZ1Dll> binding(
        {[] {
             return std::unique_ptr<TCustomArchiverDll>(new TYZ1Dll(kDescription, kLibraryNames[0], "Yz1"));
         },
         [] {
             return std::unique_ptr<TCustomArchiverDll>(new TYZ1Dll(kDescription, kLibraryNames[1], "Yz1"));
         }},
        std::string("Yz1 形式書庫を扱うには ") + kLibraryNames[0] + " か " + kLibraryNames[1] +
            " が必要です。");
    return binding;
}

// Y from m; when it is 2, C becomes 2 as well.
int YFromM(int m) {
    switch (m) {
        case 0:
        case 2:
            return 2;
        case 1:
            return 1;
        case 9:
            return 0;
        default:
            return -1;
    }
}

}  // namespace

// ---- TYZ1Dll ----

TYZ1Dll::~TYZ1Dll() {
    TYZ1Dll::Unload();
}

void TYZ1Dll::Unload() {
    SetDefaultPasswordEntry = nullptr;
    PasswordDialogEntry = nullptr;
    TArchiverDll::Unload();
}

HARC TYZ1Dll::OpenArchive(HWND window, const std::string& fileName, DWORD mode) {
    PasswordWindow_ = window;
    return TArchiverDll::OpenArchive(window, fileName, mode);
}

int TYZ1Dll::FindFirst(HARC archive, const std::string& wildcard, TEntryRecord& entry) {
    int result = 0;
    char password[kPasswordSize];
    for (int attempt = 0; attempt < kPasswordAttempts; ++attempt) {
        result = TArchiverDll::FindFirst(archive, wildcard, entry);
        if (result != kPasswordNeeded) break;
        std::memset(password, 0, sizeof password);
        int answer = Resolve(PasswordDialogEntry, "PasswordDialog", false)
                         ? PasswordDialogEntry(PasswordWindow_, password, kPasswordSize)
                         : -1;
        if (answer < 0) break;
        password[kPasswordSize - 1] = '\0';
        if (Resolve(SetDefaultPasswordEntry, "SetDefaultPassword", false))
            SetDefaultPasswordEntry(archive, password);
    }
    // No copy of the password outlives the search.
    ::SecureZeroMemory(password, sizeof password);
    return result;
}

// ---- TYZ1 ----

TYZ1::TYZ1() : TArchiver(Binding()) {}

void TYZ1::LoadDLL() {
    Binding().LoadDLL();
}

void TYZ1::FreeDLL() {
    Binding().FreeDLL();
}

std::string TYZ1::BuildCommand(const std::string& word, const std::string& archiveFileName,
                               const TArchiverOptions& options, const std::string& dir,
                               const TFileList& files, bool useResponseFile) {
    int c = options.c;
    const int y = YFromM(options.m);
    if (y == 2) c = 2;
    TCmdOpt cmd;
    cmd.Add("-+");
    cmd.AddNumber("c", c);
    cmd.AddNumber("y", y);
    cmd.AddFlag("i", options.n > 0 || OwnerWindowSet());
    cmd.AddNumber("z", options.p);
    cmd.AddNumber("x", options.x);
    cmd.Add(options.UserOptions);
    AddArchiveAndDir(cmd, archiveFileName, dir);
    AddFileList(cmd, options, files, useResponseFile);
    return word + cmd.CmdLine;
}

std::string TYZ1::ExtractCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                 const std::string& dir, const TFileList& files, bool useResponseFile) {
    return BuildCommand("x", archiveFileName, options, dir, files, useResponseFile);
}

std::string TYZ1::PackCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                              const std::string& dir, const TFileList& files, bool useResponseFile) {
    return BuildCommand("c", archiveFileName, options, dir, files, useResponseFile);
}

int TYZ1::MakeSfx(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                  const std::string& outputDir, std::string&, std::string&) {
    std::string stub;
    if (options.gw <= 0) {
        stub = FindSfxStub("yzdos16.sfx");
        if (stub.empty())
            throw EArchiver(std::string("yz1 書庫からのDOS自己解凍書庫の作成には ") + "yzdos16.sfx" +
                            " が必要です。");
    } else {
        stub = FindSfxStub("yzw32cui.sfx");
        if (stub.empty()) stub = FindSfxStub("yzdec.exe");
        if (stub.empty())
            throw EArchiver(
                "yz1 書庫からのWin32自己解凍書庫の作成には yzw32cui.sfx か yzdec.exe が必要です。");
    }
    WriteSelfExtractor(stub, archiveFileName, SfxOutputName(archiveFileName, outputDir, ".exe"),
                       TSfxTrailer::BigEndianSize);
    return 0;
}

bool IsYz1Archive(const std::string& fileName) {
    try {
        TYZ1::LoadDLL();
        if (!ostra::FileExists(ostra::ExpandFileName(fileName))) return false;
    } catch (...) {
        return false;
    }
    return OpensAsArchive(Binding(), fileName);
}

}  // namespace arc
