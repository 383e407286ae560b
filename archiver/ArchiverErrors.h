// The archiver framework's exceptions. Messages are the system's own Japanese texts.
#pragma once

#include <stdexcept>
#include <string>

namespace arc {

class EArchiver : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An archiver library file cannot be loaded.
class ENoArchiverDLL : public EArchiver {
  public:
    using EArchiver::EArchiver;
};

// A required entry of a loaded library is missing.
class EEntryNotFound : public EArchiver {
  public:
    using EArchiver::EArchiver;
};

// A file needed to build a self-extracting archive is missing.
class ESfxNoRequiredFile : public EArchiver {
  public:
    ESfxNoRequiredFile(std::string archiveKind, std::string sfxKind, std::string requiredFile)
        : EArchiver(archiveKind + " 書庫からの" + sfxKind + "自己解凍書庫の作成には '" + requiredFile +
                    "' ファイルが必要です。"),
          ArchiveKind(std::move(archiveKind)),
          SfxKind(std::move(sfxKind)),
          RequiredFile(std::move(requiredFile)) {}
    std::string ArchiveKind, SfxKind, RequiredFile;
};

// A back-end asked to build a command without a switch it insists on.
class EAssertionFailed : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace arc
