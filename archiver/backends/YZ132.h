// The back-end of YZ1 archives through YYZ32.DLL or YZ1.DLL (prefix "Yz1"), which asks the user
// for the password of an encrypted archive; self-extractors are made without the library.
#pragma once

#include <string>

#include "Archiver.h"

namespace arc {

// The binding of a YZ1 library: listing asks for a password when the library wants one.
class TYZ1Dll : public TArchiverDll {
  public:
    using TArchiverDll::TArchiverDll;
    ~TYZ1Dll() override;

    void Unload() override;
    // Keeps window as the owner of the password dialog.
    HARC OpenArchive(HWND window, const std::string& fileName, DWORD mode) override;
    // Up to four searches: after each that asks for a password, the dialog, then the password is
    // set. Ends early when the dialog is cancelled or the library is missing it. The result is
    // the last search's.
    int FindFirst(HARC archive, const std::string& wildcard, TEntryRecord& entry) override;

    HWND PasswordWindow() const { return PasswordWindow_; }

  private:
    HWND PasswordWindow_ = nullptr;
    TSetDefaultPasswordEntry SetDefaultPasswordEntry = nullptr;
    TPasswordDialogEntry PasswordDialogEntry = nullptr;
};

class TYZ1 : public TArchiver {
  public:
    // EArchiver when neither library loads.
    TYZ1();

    // The class's binding: YYZ32.DLL, else YZ1.DLL.
    static void LoadDLL();
    static void FreeDLL();

    // Stub + archive + the archive's size (4 bytes, big-endian) as a ".exe" (in outputDir when
    // given): a DOS stub when gw is 0 or unset, else a Win32 one. Returns 0 without calling the
    // library and leaves cmdLine alone.
    int MakeSfx(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                const std::string& outputDir, std::string& cmdLine, std::string& output) override;
    // "x" into the destination, with the caller's response-file flag.
    std::string ExtractCommand(HWND window, const std::string& archiveFileName,
                               const TArchiverOptions& options, const std::string& dir,
                               const TFileList& files, bool useResponseFile) override;
    // "c" from the base directory, with the caller's response-file flag.
    std::string PackCommand(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                            const std::string& dir, const TFileList& files, bool useResponseFile) override;

  protected:
    std::string BuildCommand(const std::string& word, const std::string& archiveFileName,
                             const TArchiverOptions& options, const std::string& dir, const TFileList& files,
                             bool useResponseFile);
};

// True when a YZ1 library loads, the file exists and the library can open it. Never raises.
bool IsYz1Archive(const std::string& fileName);

}  // namespace arc
