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
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Command.h"
#include "OutputReport.h"

namespace lha {
class Reader;
class Writer;
}  // namespace lha

namespace unlha {

class OperationMonitor;
class PackAhead;
class TempFile;
struct PackItem;

class ArchiveUpdater {
  public:
    // threads: files packed at once, and the threads packing a large file (0: one per core; 1:
    // everything on the caller's thread). The archive is the same byte for byte whatever the number.
    ArchiveUpdater(HWND window, const Command& cmd, OutputReport& report, int threads = 0);
    ~ArchiveUpdater();
    int Run();
    // Files whose data came packed from the worker threads (for the tests).
    unsigned PackedAhead() const { return packedAhead_; }

  private:
    // False when the file could not be opened (it is left out and noted).
    bool PackOne(lha::Writer& writer, const PackItem& item, OperationMonitor& monitor);
    void StartPackingAhead(const std::vector<PackItem>& items,
                           const std::unordered_map<std::string, std::size_t>& byName, lha::Reader* reader);
    void Note(int code);
    void ReplaceArchive(TempFile& temp, const std::string& archive);

    HWND window_;
    const Command& cmd_;
    OutputReport& report_;
    int threads_;
    std::unique_ptr<PackAhead> ahead_;
    int result_ = 0;
    unsigned packed_ = 0;
    unsigned packedAhead_ = 0;
};

}  // namespace unlha
