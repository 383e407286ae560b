// UnlhaCheckArchive and UnlhaGetArchiveType.
#pragma once

#include <string>

namespace unlha {

class ArchiveCheck {
  public:
    // Mode bits as in UnlhaResult.h. Never throws.
    static bool Check(const std::string& path, int mode);
    static int Type(const std::string& path);
};

}  // namespace unlha
