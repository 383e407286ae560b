// The back-end of RAR archives through UNRAR32.DLL: extraction only.
#pragma once

#include <string>

#include "Archiver.h"

namespace arc {

class TRar32 : public TArchiver {
  public:
    TRar32();

    // The class's binding ("RAR 形式書庫", "UNRAR32.DLL", "Unrar").
    static void LoadDLL();
    static void FreeDLL();

    // "-x" into the destination ("-e", without the stored folders, when x is 0); a response file
    // when ruOnUnpack is in ResFileUsage.
    std::string ExtractCommand(HWND window, const std::string& archiveFileName,
                               const TArchiverOptions& options, const std::string& dir,
                               const TFileList& files, bool useResponseFile) override;
    // No word, no directory, the one entry name.
    std::string ExtractMemCommand(HWND window, const std::string& archiveFileName,
                                  const TArchiverOptions& options, const std::string& entryName) override;

  protected:
    std::string BuildCommand(const std::string& word, const std::string& archiveFileName,
                             const TArchiverOptions& options, const std::string& dir, const TFileList& files,
                             bool useResponseFile);
};

// True when UNRAR32.DLL can open the file. Never raises.
bool IsRarArchive(const std::string& fileName);

}  // namespace arc
