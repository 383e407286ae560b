// The abstract base of every archive-format back-end. Each operation is two steps: the back-end
// builds a command line, then it goes to the back-end's library binding. The back-ends supply the
// binding (one per back-end class, kept at class level) and the command-line builders. Each
// back-end class also offers its binding as the class-level LoadDLL and FreeDLL, which the format
// probes and the tests call.
#pragma once

#include <windows.h>

#include <string>

#include "ArchiverApi.h"
#include "ArchiverDll.h"
#include "ArchiverOptions.h"
#include "CmdOpt.h"
#include "FileList.h"
#include "FileSystem.h"

namespace arc {

// The full path of a file name, relative names taken from the current directory.
using ostra::ExpandFileName;

class TArchiver {
  public:
    // Every back-end hands its class's binding to this constructor, which loads it (ENoArchiverDLL
    // or the holder's own error when the library is missing). There is no other way to make a
    // back-end, so the binding that EnsureDLL loads and Dll returns is always the class's own.
    explicit TArchiver(TBindingHolder& classBinding);
    TArchiver(const TArchiver&) = delete;
    TArchiver& operator=(const TArchiver&) = delete;
    // Releases nothing: the class's binding outlives its objects.
    virtual ~TArchiver() = default;

    // The back-end class's binding.
    TCustomArchiverDll& Dll() { return ClassBinding.Dll(); }
    // Makes sure the class's library is loaded.
    void EnsureDLL() { ClassBinding.LoadDLL(); }

    // The name is expanded to a full path first.
    virtual HARC OpenArchive(HWND window, const std::string& archiveFileName, DWORD mode);
    virtual int FindFirst(HARC archive, TEntryRecord& entry, const std::string& wildcard);
    virtual int FindNext(HARC archive, TEntryRecord& entry);
    virtual int CloseArchive(HARC archive);
    // Called for every member the library reports; does nothing here.
    virtual void DoEnumMember(TEnumMemberInfo64& member, const TArchiverOptions& options, bool& abort);

    // These build the command line, store it in cmdLine (left alone when building fails) and run
    // it. output is the library's text output; its current length is the buffer size (0: none).
    virtual int Extract(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                        const std::string& destDir, const TFileList& files, bool useResponseFile,
                        std::string& cmdLine, std::string& output);
    virtual int Pack(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                     const std::string& baseDir, const TFileList& files, bool useResponseFile,
                     std::string& cmdLine, std::string& output);
    virtual int Delete(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                       const std::string& baseDir, const TFileList& files, bool useResponseFile,
                       std::string& cmdLine, std::string& output);
    virtual int Update(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                       const std::string& baseDir, const TFileList& files, bool useResponseFile,
                       std::string& cmdLine, std::string& output);
    virtual int MakeSfx(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                        const std::string& outputDir, std::string& cmdLine, std::string& output);
    virtual int ExtractMem(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                           const std::string& entryName, void* buffer, DWORD size, DWORD* written,
                           std::string& cmdLine);
    virtual int CheckArchive(const std::string& fileName, int mode, int modeAddend);

    // Command-line builders. The base refuses every one but extraction, which each back-end must
    // build.
    virtual std::string ExtractCommand(HWND window, const std::string& archiveFileName,
                                       const TArchiverOptions& options, const std::string& dir,
                                       const TFileList& files, bool useResponseFile) = 0;
    virtual std::string PackCommand(HWND window, const std::string& archiveFileName,
                                    const TArchiverOptions& options, const std::string& dir,
                                    const TFileList& files, bool useResponseFile);
    virtual std::string DeleteCommand(HWND window, const std::string& archiveFileName,
                                      const TArchiverOptions& options, const std::string& dir,
                                      const TFileList& files, bool useResponseFile);
    virtual std::string UpdateCommand(HWND window, const std::string& archiveFileName,
                                      const TArchiverOptions& options, const std::string& dir,
                                      const TFileList& files, bool useResponseFile);
    virtual std::string SfxCommand(HWND window, const std::string& archiveFileName,
                                   const TArchiverOptions& options, const std::string& dirOrName);
    virtual std::string ExtractMemCommand(HWND window, const std::string& archiveFileName,
                                          const TArchiverOptions& options, const std::string& entryName);

    // Keeps the window, then registers it with the library; true when the library accepted it.
    virtual bool SetOwnerWindow(HWND window, TArchiverProc callback);
    virtual bool KillOwnerWindow(HWND window);
    virtual int SetEnumMembersProc(TEnumMembersProc callback, DWORD recordSize);
    virtual int ClearEnumMembersProc();

    HWND OwnerWindow() const { return OwnerWindow_; }

  protected:
    int RunCommand(HWND window, const std::string& archiveFileName, const std::string& cmdLine,
                   std::string& output);
    int RunPackCommand(HWND window, const std::string& archiveFileName, const std::string& cmdLine,
                       std::string& output);
    // True when an owner window is set: the library's own progress display is wanted.
    bool OwnerWindowSet() const { return OwnerWindow_ != nullptr; }
    // The quoted archive name, then the quoted directory with a trailing backslash (when given).
    static void AddArchiveAndDir(TCmdOpt& cmd, const std::string& archiveFileName, const std::string& dir);
    // The files inline, or through the options' response file when useResponseFile is set and
    // one is named; then the options' user file list. Returns the number of files.
    static int AddFileList(TCmdOpt& cmd, const TArchiverOptions& options, const TFileList& files,
                           bool useResponseFile);

  private:
    TBindingHolder& ClassBinding;
    HWND OwnerWindow_ = nullptr;
};

}  // namespace arc
