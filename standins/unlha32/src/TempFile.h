// A temporary file made with GetTempFileNameA in a given folder. It is deleted when the object
// goes, unless Commit moved it to its final name first.
#pragma once

#include <string>

namespace unlha {

class TempFile {
  public:
    // Throws UnlhaError(UNLHA_ERR_WRITE) when the folder takes no new file.
    explicit TempFile(const std::string& folder);
    ~TempFile();
    TempFile(TempFile&& o) noexcept;
    TempFile& operator=(TempFile&&) = delete;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& path() const { return path_; }
    // Moves the file over target (replacing it); the file is then no longer ours to delete.
    // copyAllowed lets the move cross volumes (only the archive's work folder needs that);
    // writeThrough waits until the move is on the disk (for the archive, not for every file).
    void Commit(const std::string& target, bool copyAllowed = false, bool writeThrough = false);

  private:
    std::string path_;
    bool owned_ = true;
};

}  // namespace unlha
