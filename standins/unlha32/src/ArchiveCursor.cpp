#include "ArchiveCursor.h"

#include "ArchiveCheck.h"
#include "FileTimes.h"
#include "Records.h"
#include "SjisPath.h"
#include "UnlhaError.h"
#include "unlha32/UnlhaResult.h"

namespace unlha {

ArchiveCursor::ArchiveCursor(const std::string& path)
    : source_(path), reader_(CheckedArchive(source_), ReaderOptionsFor(path)) {}

int ArchiveCursor::Advance(UnlhaEntryInfo* info) {
    haveCurrent_ = false;
    if (ended_) return UNLHA_FIND_END;
    try {
        while (reader_.next(current_)) {
            if (!WildcardMatch(wildcard_, current_.name)) continue;
            haveCurrent_ = true;
            if (info) FillEntryInfo(current_, *info);
            return UNLHA_OK;
        }
    } catch (const lha::Error& e) {
        ended_ = true;
        return e.code() == lha::ErrorCode::Io ? UNLHA_ERR_READ : UNLHA_ERR_BROKEN;
    }
    ended_ = true;
    return UNLHA_FIND_END;
}

int ArchiveCursor::FindFirst(const std::string& wildcard, UnlhaEntryInfo* info) {
    std::lock_guard<std::mutex> lock(mutex_);
    wildcard_ = ToBackslashes(wildcard);
    ended_ = false;
    reader_.rewind();
    return Advance(info);
}

int ArchiveCursor::FindNext(UnlhaEntryInfo* info) {
    std::lock_guard<std::mutex> lock(mutex_);
    return Advance(info);
}

bool ArchiveCursor::WriteTime(FILETIME* t) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!haveCurrent_ || !t) return false;
    std::uint64_t v = EntryWriteTime(current_);
    if (v == 0) return false;
    *t = ToFileTime(v);
    return true;
}

bool ArchiveCursor::CreationTime(FILETIME* t) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!haveCurrent_ || !t) return false;
    std::uint64_t v = EntryCreationTime(current_);
    if (v == 0) return false;
    *t = ToFileTime(v);
    return true;
}

bool ArchiveCursor::AccessTime(FILETIME* t) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!haveCurrent_ || !t) return false;
    std::uint64_t v = EntryAccessTime(current_);
    if (v == 0) return false;
    *t = ToFileTime(v);
    return true;
}

}  // namespace unlha
