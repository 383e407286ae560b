// The back-end of CAB archives through CAB32.DLL.
#pragma once

#include <string>

#include "Archiver.h"

namespace arc {

class TCab32 : public TArchiver {
  public:
    TCab32();

    // The class's binding ("CAB 形式書庫", "CAB32.DLL", "Cab").
    static void LoadDLL();
    static void FreeDLL();

    // "-x" into the destination; a response file when ruOnUnpack is in ResFileUsage.
    std::string ExtractCommand(HWND window, const std::string& archiveFileName,
                               const TArchiverOptions& options, const std::string& dir,
                               const TFileList& files, bool useResponseFile) override;
    // "-a" from the base directory; a response file when ruOnPack is in ResFileUsage.
    std::string PackCommand(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                            const std::string& dir, const TFileList& files, bool useResponseFile) override;
    // "-f" into the given directory, no files.
    std::string SfxCommand(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                           const std::string& dirOrName) override;
    // No word, no directory, the one entry name.
    std::string ExtractMemCommand(HWND window, const std::string& archiveFileName,
                                  const TArchiverOptions& options, const std::string& entryName) override;

  protected:
    std::string BuildCommand(const std::string& word, const std::string& archiveFileName,
                             const TArchiverOptions& options, const std::string& dir, const TFileList& files,
                             bool useResponseFile);
};

// True when CAB32.DLL can open the file. Never raises.
bool IsCabArchive(const std::string& fileName);

}  // namespace arc
