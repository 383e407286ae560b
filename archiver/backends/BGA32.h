// The back-end of BGA archives (".gza", ".bza") through BGA32.DLL.
#pragma once

#include <string>

#include "Archiver.h"

namespace arc {

class TBGA32 : public TArchiver {
  public:
    TBGA32();

    // The class's binding ("BGA 形式書庫", "BGA32.DLL", "Bga").
    static void LoadDLL();
    static void FreeDLL();

    // "x" into the destination, with the caller's response-file flag.
    std::string ExtractCommand(HWND window, const std::string& archiveFileName,
                               const TArchiverOptions& options, const std::string& dir,
                               const TFileList& files, bool useResponseFile) override;
    // "a" from the base directory, with the caller's response-file flag.
    std::string PackCommand(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                            const std::string& dir, const TFileList& files, bool useResponseFile) override;
    // "d", no directory; a response file when ruOnRemoveItem is in ResFileUsage.
    std::string DeleteCommand(HWND window, const std::string& archiveFileName,
                              const TArchiverOptions& options, const std::string& dir, const TFileList& files,
                              bool useResponseFile) override;
    // "s" into the given directory, no files; an (empty) response file when ruOnRemoveItem is in
    // ResFileUsage.
    std::string SfxCommand(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                           const std::string& dirOrName) override;

  protected:
    std::string BuildCommand(const std::string& word, const std::string& archiveFileName,
                             const TArchiverOptions& options, const std::string& dir, const TFileList& files,
                             bool useResponseFile);
};

// True when the file exists and BGA32.DLL can open it. Never raises.
bool IsBgaArchive(const std::string& fileName);

}  // namespace arc
