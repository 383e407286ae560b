// UnlhaCheckArchive and UnlhaGetArchiveType, and how every command reads an archive file.
#pragma once

#include <lha/lha.h>

#include <string>

#include "Win32FileSource.h"

namespace unlha {

// Self-extractors (".exe") carry their archive after a program, within the first MiB; other
// files must begin with a header. Checking, listing and extracting all read archives so.
lha::ReaderOptions ReaderOptionsFor(const std::string& path);

// The archive file src, read from its start; UnlhaError(UNLHA_ERR_NOT_ARCHIVE) when it is none.
Win32FileSource& CheckedArchive(Win32FileSource& src);

class ArchiveCheck {
  public:
    // Mode bits as in UnlhaResult.h. Never throws.
    static bool Check(const std::string& path, int mode);
    static int Type(const std::string& path);
};

}  // namespace unlha
