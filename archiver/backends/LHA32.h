// The back-end of LHA archives (".lzh") through UNLHA32.DLL. It turns every operation into an
// LHA command line; running it is left to the framework.
#pragma once

#include <string>

#include "Archiver.h"

namespace arc {

// UNLHA32.DLL's check mode that reads every header, decodes every entry and compares its CRC.
constexpr int kLhaFullCheck = 0x08;

class TLha32 : public TArchiver {
  public:
    // Loads the library; ENoArchiverDLL when it is missing.
    TLha32();

    // The class's binding ("LHA 形式書庫", "UNLHA32.DLL", "Unlha"): created on first use, then
    // loaded. A missing library raises ENoArchiverDLL; the binding stays and a later call tries
    // again.
    static void LoadDLL();
    static void FreeDLL();

    // "x" into the destination directory; a response file when ruOnUnpack is in ResFileUsage.
    std::string ExtractCommand(HWND window, const std::string& archiveFileName,
                               const TArchiverOptions& options, const std::string& dir,
                               const TFileList& files, bool useResponseFile) override;
    // "u" from the base directory; a response file when ruOnPack is in ResFileUsage.
    std::string PackCommand(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                            const std::string& dir, const TFileList& files, bool useResponseFile) override;
    // "d", no directory; a response file when ruOnRemoveItem is in ResFileUsage.
    std::string DeleteCommand(HWND window, const std::string& archiveFileName,
                              const TArchiverOptions& options, const std::string& dir, const TFileList& files,
                              bool useResponseFile) override;
    // "f" from the base directory; a response file when ruOnUpdate is in ResFileUsage.
    std::string UpdateCommand(HWND window, const std::string& archiveFileName,
                              const TArchiverOptions& options, const std::string& dir, const TFileList& files,
                              bool useResponseFile) override;
    // "s" into the given directory, no files.
    std::string SfxCommand(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                           const std::string& dirOrName) override;
    // No command word, no directory, the one entry name.
    std::string ExtractMemCommand(HWND window, const std::string& archiveFileName,
                                  const TArchiverOptions& options, const std::string& entryName) override;

  protected:
    // For derived back-ends, which bind their own library instead.
    explicit TLha32(TBindingHolder& classBinding) : TArchiver(classBinding) {}

    // word + " -+", every switch in the published order, the user options, the archive and the
    // directory, the files and the user file list. Raises EAssertionFailed when jso is unset, or
    // jse for the word "x".
    std::string BuildCommand(const std::string& word, const std::string& archiveFileName,
                             const TArchiverOptions& options, const std::string& dir, const TFileList& files,
                             bool useResponseFile);
};

// True when UNLHA32.DLL takes the file for an LHA archive and can open it. Never raises: a
// missing library or file answers false.
bool IsLhaArchive(const std::string& fileName);

}  // namespace arc
