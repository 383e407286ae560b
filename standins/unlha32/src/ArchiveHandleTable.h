// The archives opened by UnlhaOpenArchive. Handles are small numbers handed out once each, so
// a stale or made-up handle is recognised instead of being followed as a pointer.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "ArchiveCursor.h"
#include "unlha32/UnlhaApi.h"

namespace unlha {

class ArchiveHandleTable {
  public:
    static ArchiveHandleTable& Instance();

    // Null when the file is not a readable LHA archive.
    HARC Open(const std::string& path);
    std::shared_ptr<ArchiveCursor> Find(HARC h);
    bool Close(HARC h);

  private:
    std::mutex mutex_;
    std::map<std::uintptr_t, std::shared_ptr<ArchiveCursor>> open_;
    std::uintptr_t next_ = 1;
};

}  // namespace unlha
