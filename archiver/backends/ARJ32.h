// The back-end of ARJ archives through UNARJ32J.DLL. Only the library and the extraction command
// differ from LHA: packing, deleting, updating, self-extractors and memory extraction send
// LHA-form lines to the ARJ library.
#pragma once

#include <string>

#include "LHA32.h"

namespace arc {

class TArj32 : public TLha32 {
  public:
    // Loads UNARJ32J.DLL (not UNLHA32.DLL); ENoArchiverDLL when it is missing.
    TArj32();

    // The class's own binding ("ARJ 形式書庫", "UNARJ32J.DLL", "Unarj"), never shared with TLha32.
    static void LoadDLL();
    static void FreeDLL();

    // "x" into the destination directory, with the caller's response-file flag as it is.
    std::string ExtractCommand(HWND window, const std::string& archiveFileName,
                               const TArchiverOptions& options, const std::string& dir,
                               const TFileList& files, bool useResponseFile) override;
};

// True when UNARJ32J.DLL can open the file. Never raises.
bool IsArjArchive(const std::string& fileName);

}  // namespace arc
