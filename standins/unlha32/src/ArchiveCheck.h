// UnlhaCheckArchive and UnlhaGetArchiveType, and how every command reads an archive file.
#pragma once

#include <lha/lha.h>

#include <string>

namespace unlha {

// Self-extractors (".exe") carry their archive after a program, within the first MiB; other
// files must begin with a header. Checking, listing and extracting all read archives so.
lha::ReaderOptions ReaderOptionsFor(const std::string& path);

class ArchiveCheck {
  public:
    // Mode bits as in UnlhaResult.h. Never throws.
    static bool Check(const std::string& path, int mode);
    static int Type(const std::string& path);
};

}  // namespace unlha
