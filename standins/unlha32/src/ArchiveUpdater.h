// The commands that write an archive: u and a (add new entries, replace those of the same
// name, keep the rest), f (replace entries whose file on disk is newer, add nothing) and d
// (remove entries). The new archive is written to a temporary file and moved over the old one
// only when it is complete, so a failure or a cancel leaves the old archive as it was.
//
// u replaces an entry by its file whatever their time stamps: the callers hand over the files
// that are current, and a restored older copy must win over what the archive holds.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "Command.h"
#include "OutputReport.h"

namespace lha {
class Writer;
}

namespace unlha {

class OperationMonitor;
class TempFile;
struct PackItem;

class ArchiveUpdater {
  public:
    ArchiveUpdater(HWND window, const Command& cmd, OutputReport& report);
    int Run();

  private:
    // False when the file could not be opened (it is left out and noted).
    bool PackOne(lha::Writer& writer, const PackItem& item, OperationMonitor& monitor);
    void Note(int code);
    void ReplaceArchive(TempFile& temp, const std::string& archive);

    HWND window_;
    const Command& cmd_;
    OutputReport& report_;
    int result_ = 0;
    unsigned packed_ = 0;
};

}  // namespace unlha
