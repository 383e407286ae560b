#include "ArchiveCheck.h"

#include <lha/lha.h>

#include "SjisPath.h"
#include "UnlhaError.h"
#include "Win32FileSource.h"
#include "unlha32/UnlhaResult.h"

namespace unlha {

lha::ReaderOptions ReaderOptionsFor(const std::string& path) {
    lha::ReaderOptions o;
    std::string ext = FoldName(path.substr(path.size() >= 4 ? path.size() - 4 : 0));
    if (ext == ".exe") o.search_limit = 1024 * 1024;
    return o;
}

Win32FileSource& CheckedArchive(Win32FileSource& src) {
    if (!lha::looks_like_archive(src, ReaderOptionsFor(src.path()).search_limit))
        throw UnlhaError(UNLHA_ERR_NOT_ARCHIVE, "LHA 書庫ではありません: " + src.path());
    src.seek(0);
    return src;
}

bool ArchiveCheck::Check(const std::string& name, int mode) {
    try {
        std::string path = FullPath(name);
        Win32FileSource src(path);
        lha::ReaderOptions opts = ReaderOptionsFor(path);
        if (!lha::looks_like_archive(src, opts.search_limit)) return false;
        src.seek(0);
        lha::Reader reader(src, opts);
        const bool rapid = (mode & 0x03) == UNLHA_CHECK_RAPID;
        const bool full = (mode & 0x03) == 2 || (mode & UNLHA_CHECK_FULL);
        lha::Entry e;
        unsigned count = 0;
        while (reader.next(e)) {
            ++count;
            if (rapid && !full) return true;
            if (full) {
                if (!e.method_supported()) return false;
                reader.test(e);
            }
        }
        return count > 0;
    } catch (...) {
        return false;
    }
}

int ArchiveCheck::Type(const std::string& name) {
    try {
        std::string path = FullPath(name);
        Win32FileSource src(path);
        return lha::looks_like_archive(src, ReaderOptionsFor(path).search_limit) ? UNLHA_TYPE_LHA
                                                                                 : UNLHA_TYPE_UNKNOWN;
    } catch (...) {
        return UNLHA_TYPE_UNKNOWN;
    }
}

}  // namespace unlha
