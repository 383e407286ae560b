// Files this program makes for the length of one operation: removed, read-only or not, when the
// object goes, whichever way the operation ends, unless they were kept or moved to their final
// name first.
#pragma once

#include <string>

#include "StringLists.h"

namespace ostra {

class TTempFile {
  public:
    // The file at path (made now or about to be made) is ours to remove.
    explicit TTempFile(std::string path) : Path_(std::move(path)) {}
    ~TTempFile();
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    const std::string& Path() const { return Path_; }
    // Renames the file over target (replacing it, waiting until the move is on the disk); the file
    // is then no longer ours. False, with the file still ours, when the rename failed.
    bool MoveTo(const std::string& target);
    // The file stays when the object goes.
    void Keep() { Owned_ = false; }

  private:
    std::string Path_;
    bool Owned_ = true;
};

// The temporary files of one operation (the stream files of a pack, say), removed together.
class TTempFileList {
  public:
    TTempFileList() = default;
    ~TTempFileList();
    TTempFileList(const TTempFileList&) = delete;
    TTempFileList& operator=(const TTempFileList&) = delete;

    // Absolute paths; whoever makes a file adds it here.
    TStrings Paths;
};

// Removes a file even when it is read-only; false when it is still there.
bool DeleteFileAnyway(const std::string& path);

}  // namespace ostra
