// One archive opened for listing: the file stays open and the headers are read one at a time,
// so listing needs no memory for the entries already seen.
#pragma once

#include <lha/lha.h>

#include <memory>
#include <mutex>
#include <string>

#include "Win32FileSource.h"
#include "unlha32/UnlhaRecords.h"

namespace unlha {

class ArchiveCursor {
  public:
    // Throws UnlhaError when the file cannot be read or is not an LHA archive.
    explicit ArchiveCursor(const std::string& path);

    // 0 with the entry filled, UNLHA_FIND_END at the end, an error code on a broken header.
    int FindFirst(const std::string& wildcard, UnlhaEntryInfo* info);
    int FindNext(UnlhaEntryInfo* info);
    // Times of the entry found last; false when there is none.
    bool WriteTime(FILETIME* t);
    bool CreationTime(FILETIME* t);
    bool AccessTime(FILETIME* t);

  private:
    int Advance(UnlhaEntryInfo* info);

    std::mutex mutex_;
    Win32FileSource source_;
    lha::Reader reader_;
    std::string wildcard_;
    lha::Entry current_;
    bool haveCurrent_ = false;
    bool ended_ = false;
};

}  // namespace unlha
