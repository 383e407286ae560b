// A temporary file made with GetTempFileNameA in a given folder. It is deleted when the object
// goes (read-only or not), unless it was moved to its final name first or is to be kept. (Not the
// programs' TTempFile: this library stands in for another product and links nothing of ours.)
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
    // Renames the file over target (replacing it); the file is then no longer ours to delete.
    // A rename never crosses volumes: it fails with ERROR_NOT_SAME_DEVICE instead, because a
    // copy over target that broke off half-way would destroy what target held.
    // writeThrough waits until the move is on the disk (for the archive, not for every file).
    // False, with GetLastError() telling why, when the rename failed.
    bool MoveTo(const std::string& target, bool writeThrough = false);
    // MoveTo that throws UnlhaError(UNLHA_ERR_WRITE) on failure.
    void Commit(const std::string& target, bool writeThrough = false);
    // The file is kept when the object goes (it holds something that must not be lost).
    void Keep() { owned_ = false; }

  private:
    std::string path_;
    bool owned_ = true;
};

}  // namespace unlha
