#include "Archiver.h"

#include "ArchiverErrors.h"

namespace arc {

TArchiver::TArchiver(TBindingHolder& classBinding) : ClassBinding(classBinding) {
    ClassBinding.LoadDLL();
}

HARC TArchiver::OpenArchive(HWND window, const std::string& archiveFileName, DWORD mode) {
    return Dll().OpenArchive(window, ExpandFileName(archiveFileName), mode);
}

int TArchiver::FindFirst(HARC archive, TEntryRecord& entry, const std::string& wildcard) {
    return Dll().FindFirst(archive, wildcard, entry);
}

int TArchiver::FindNext(HARC archive, TEntryRecord& entry) {
    return Dll().FindNext(archive, entry);
}

int TArchiver::CloseArchive(HARC archive) {
    return Dll().CloseArchive(archive);
}

void TArchiver::DoEnumMember(TEnumMemberInfo64&, const TArchiverOptions&, bool&) {}

int TArchiver::Extract(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                       const std::string& destDir, const TFileList& files, bool useResponseFile,
                       std::string& cmdLine, std::string& output) {
    std::string line = ExtractCommand(window, archiveFileName, options, destDir, files, useResponseFile);
    cmdLine = line;
    return RunCommand(window, archiveFileName, line, output);
}

int TArchiver::Pack(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                    const std::string& baseDir, const TFileList& files, bool useResponseFile,
                    std::string& cmdLine, std::string& output) {
    std::string line = PackCommand(window, archiveFileName, options, baseDir, files, useResponseFile);
    cmdLine = line;
    return RunPackCommand(window, archiveFileName, line, output);
}

int TArchiver::Delete(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                      const std::string& baseDir, const TFileList& files, bool useResponseFile,
                      std::string& cmdLine, std::string& output) {
    std::string line = DeleteCommand(window, archiveFileName, options, baseDir, files, useResponseFile);
    cmdLine = line;
    return RunPackCommand(window, archiveFileName, line, output);
}

int TArchiver::Update(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                      const std::string& baseDir, const TFileList& files, bool useResponseFile,
                      std::string& cmdLine, std::string& output) {
    std::string line = UpdateCommand(window, archiveFileName, options, baseDir, files, useResponseFile);
    cmdLine = line;
    return RunPackCommand(window, archiveFileName, line, output);
}

int TArchiver::MakeSfx(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                       const std::string& outputDir, std::string& cmdLine, std::string& output) {
    std::string line = SfxCommand(window, archiveFileName, options, outputDir);
    cmdLine = line;
    return RunPackCommand(window, archiveFileName, line, output);
}

int TArchiver::ExtractMem(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                          const std::string& entryName, void* buffer, DWORD size, DWORD* written,
                          std::string& cmdLine) {
    std::string line = ExtractMemCommand(window, archiveFileName, options, entryName);
    cmdLine = line;
    return Dll().ExtractMem(window, line, buffer, size, nullptr, nullptr, written);
}

int TArchiver::CheckArchive(const std::string& fileName, int mode, int modeAddend) {
    return Dll().CheckArchive(fileName, mode + modeAddend);
}

std::string TArchiver::PackCommand(HWND, const std::string&, const TArchiverOptions&, const std::string&,
                                   const TFileList&, bool) {
    throw EArchiver("この形式では書庫ファイルの作成をサポートしておりません。");
}

std::string TArchiver::DeleteCommand(HWND, const std::string&, const TArchiverOptions&, const std::string&,
                                     const TFileList&, bool) {
    throw EArchiver("この形式の書庫ではファイルの削除をサポートしておりません。");
}

std::string TArchiver::UpdateCommand(HWND, const std::string&, const TArchiverOptions&, const std::string&,
                                     const TFileList&, bool) {
    throw EArchiver("この形式の書庫では書庫の更新をサポートしておりません。");
}

std::string TArchiver::SfxCommand(HWND, const std::string&, const TArchiverOptions&, const std::string&) {
    throw EArchiver("この形式では自己解凍書庫の作成をサポートしておりません。");
}

std::string TArchiver::ExtractMemCommand(HWND, const std::string&, const TArchiverOptions&,
                                         const std::string&) {
    throw EArchiver("この形式ではメモリ展開をサポートしておりません。");
}

bool TArchiver::SetOwnerWindow(HWND window, TArchiverProc callback) {
    OwnerWindow_ = window;
    return Dll().SetOwnerWindowEx(window, callback) != 0;
}

bool TArchiver::KillOwnerWindow(HWND window) {
    int result = Dll().KillOwnerWindowEx(window);
    OwnerWindow_ = nullptr;
    return result != 0;
}

int TArchiver::SetEnumMembersProc(TEnumMembersProc callback, DWORD recordSize) {
    return Dll().SetEnumMembersProc64(callback, recordSize);
}

int TArchiver::ClearEnumMembersProc() {
    return Dll().ClearEnumMembersProc64();
}

int TArchiver::RunCommand(HWND window, const std::string& archiveFileName, const std::string& cmdLine,
                          std::string& output) {
    return Dll().Execute(window, archiveFileName, cmdLine, output.data(), static_cast<DWORD>(output.size()));
}

int TArchiver::RunPackCommand(HWND window, const std::string& archiveFileName, const std::string& cmdLine,
                              std::string& output) {
    return Dll().ExecutePack(window, archiveFileName, cmdLine, output.data(),
                             static_cast<DWORD>(output.size()));
}

void TArchiver::AddArchiveAndDir(TCmdOpt& cmd, const std::string& archiveFileName, const std::string& dir) {
    cmd.AddFile("", archiveFileName);
    cmd.AddDir("", dir);
}

int TArchiver::AddFileList(TCmdOpt& cmd, const TArchiverOptions& options, const TFileList& files,
                           bool useResponseFile) {
    int count;
    if (useResponseFile && !options.ResFileName.empty() && !IsUnsetText(options.ResFileName)) {
        count = cmd.AddResponseFile(files, options.ResFileName);
    } else {
        count = cmd.AddFiles("", files);
    }
    cmd.Add(options.UserFileList);
    return count;
}

}  // namespace arc
