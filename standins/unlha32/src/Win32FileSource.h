// Codec byte source over a file opened with CreateFileA, read through a buffer.
#pragma once

#include <lha/lha.h>

#include <string>
#include <vector>

#include "Win32Handle.h"

namespace unlha {

class Win32FileSource final : public lha::ByteSource {
  public:
    // Opens path for reading (others may read too). Throws UnlhaError (read error, or file not
    // found when it does not exist).
    explicit Win32FileSource(const std::string& path);

    std::size_t read(void* buffer, std::size_t n) override;
    void seek(std::uint64_t position) override;
    std::uint64_t tell() override { return pos_; }
    std::uint64_t size() override { return size_; }

    HANDLE handle() const { return file_.get(); }
    const std::string& path() const { return path_; }

  private:
    void fill();

    std::string path_;
    FileHandle file_;
    std::uint64_t size_ = 0;
    std::uint64_t pos_ = 0;          // logical position
    std::uint64_t bufferStart_ = 0;  // file offset of buffer_[0]
    std::size_t bufferLength_ = 0;
    std::uint64_t filePos_ = 0;  // where the handle's pointer is
    std::vector<unsigned char> buffer_;
};

}  // namespace unlha
