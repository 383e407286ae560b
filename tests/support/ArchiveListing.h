// The entries of an archive as the library lists them through the archive component: one line
// "name size crc method" per entry, in archive order; empty when the archive cannot be opened.
#pragma once

#include <cstring>
#include <string>

#include "Archives.h"
#include "StringLists.h"

namespace testing_support {

inline TStrings ArchiveListing(const std::string& path) {
    TStrings lines;
    arc::TArchiveFile archive;
    archive.SetFileName(path);
    if (archive.OpenArchive(nullptr, 0) != 0) return lines;
    arc::TEntryRecord e{};
    for (int r = archive.FindFirst("*.*", e); r == 0; r = archive.FindNext(e)) {
        const std::string method(e.Method, strnlen(e.Method, sizeof e.Method));
        lines.push_back(std::string(e.FileName, strnlen(e.FileName, sizeof e.FileName)) + " " +
                        std::to_string(e.OriginalSize) + " " + std::to_string(e.Crc) + " " + method);
    }
    archive.CloseArchive();
    return lines;
}

}  // namespace testing_support
