// The back-ends of tar archives and their compressed forms through TAR32.DLL: TTar32 for plain
// tar, TTgz32 for gzip and TBZ232 for bzip2. All three share TTar32's binding and command
// builder; self-extractors are made without the library.
#pragma once

#include <string>

#include "Archiver.h"
#include "ArchiverType.h"

namespace arc {

class TTar32 : public TArchiver {
  public:
    TTar32();

    // The binding of all three classes ("tar/tgz/taz/bz2 形式書庫", "TAR32.DLL", "Tar").
    static void LoadDLL();
    static void FreeDLL();

    // Copies "kmtarsef.exe" and the archive into a ".EXE" (in outputDir when given); returns 0
    // without calling the library and leaves cmdLine alone. BZ2 archives cannot be made so.
    int MakeSfx(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                const std::string& outputDir, std::string& cmdLine, std::string& output) override;
    // "x" into the destination; a response file when ruOnUnpack is in ResFileUsage.
    std::string ExtractCommand(HWND window, const std::string& archiveFileName,
                               const TArchiverOptions& options, const std::string& dir,
                               const TFileList& files, bool useResponseFile) override;
    // "c" from the base directory; a response file when ruOnPack is in ResFileUsage.
    std::string PackCommand(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                            const std::string& dir, const TFileList& files, bool useResponseFile) override;
    // No word, no directory, the one entry name.
    std::string ExtractMemCommand(HWND window, const std::string& archiveFileName,
                                  const TArchiverOptions& options, const std::string& entryName) override;

  protected:
    // The switches, the user options, then the archive as an -f item and the directory as an -o
    // item (each switch and its quoted value separated by a blank), then the files.
    std::string BuildCommand(const std::string& word, const std::string& archiveFileName,
                             const TArchiverOptions& options, const std::string& dir, const TFileList& files,
                             bool useResponseFile);
};

// gzip-compressed tar: -z, or -z and the level in jm.
class TTgz32 : public TTar32 {};

// bzip2-compressed tar: -B, or -B and the level in jm.
class TBZ232 : public TTar32 {};

// The library's type of the file: atTar, atTgz, atBZ2, or atNone (also when TAR32.DLL is missing
// or fails). Never raises.
TArchiverType GetTarArchiverType(const std::string& fileName);

}  // namespace arc
