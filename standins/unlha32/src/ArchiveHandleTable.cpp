#include "ArchiveHandleTable.h"

#include "SjisPath.h"

namespace unlha {

ArchiveHandleTable& ArchiveHandleTable::Instance() {
    static ArchiveHandleTable table;
    return table;
}

HARC ArchiveHandleTable::Open(const std::string& path) {
    std::shared_ptr<ArchiveCursor> cursor;
    try {
        cursor = std::make_shared<ArchiveCursor>(FullPath(path));
    } catch (const std::exception&) {
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    std::uintptr_t id = next_++;
    open_.emplace(id, std::move(cursor));
    return reinterpret_cast<HARC>(id);
}

std::shared_ptr<ArchiveCursor> ArchiveHandleTable::Find(HARC h) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = open_.find(reinterpret_cast<std::uintptr_t>(h));
    return it == open_.end() ? nullptr : it->second;
}

bool ArchiveHandleTable::Close(HARC h) {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_.erase(reinterpret_cast<std::uintptr_t>(h)) != 0;
}

}  // namespace unlha
