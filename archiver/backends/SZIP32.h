// The back-end of 7z archives through 7-zip32.dll; self-extractors are made without the library.
// 7z archives are told by their extension only: there is no probe.
#pragma once

#include <string>

#include "Archiver.h"

namespace arc {

class TSevenZip32 : public TArchiver {
  public:
    TSevenZip32();

    // The class's binding ("7z 形式書庫", "7-zip32.dll", "SevenZip").
    static void LoadDLL();
    static void FreeDLL();

    // The self-extractor module's name.
    static const char* const SfxModule;

    // SfxModule (from the folder 7-Zip is installed in, else the system search path) + archive as
    // a ".exe" (in outputDir when given). Only 32-bit ones: gw must be set above 0. Returns 0
    // without calling the library and leaves cmdLine alone.
    int MakeSfx(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                const std::string& outputDir, std::string& cmdLine, std::string& output) override;
    // "x" ("e", without the stored folders, when x is 0) into the destination; a response file
    // when ruOnUnpack is in ResFileUsage.
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

  protected:
    // The switches, the directory as an -o switch, the user options, the archive, the files.
    std::string BuildCommand(const std::string& word, const std::string& archiveFileName,
                             const TArchiverOptions& options, const std::string& dir, const TFileList& files,
                             bool useResponseFile);
};

}  // namespace arc
