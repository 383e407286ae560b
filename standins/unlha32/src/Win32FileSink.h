// Codec byte sink over a file opened with CreateFileA, written through a buffer.
#pragma once

#include <lha/lha.h>

#include <string>
#include <vector>

#include "Win32Handle.h"

namespace unlha {

class Win32FileSink final : public lha::ByteSink {
  public:
    // Opens an existing (typically just created temporary) file and empties it.
    explicit Win32FileSink(const std::string& path);
    ~Win32FileSink() override;

    void write(const void* buffer, std::size_t n) override;
    void seek(std::uint64_t position) override;
    std::uint64_t tell() override { return pos_; }
    void truncate() override;

    // Writes out what is buffered and asks the system to put it on the disk.
    void flush();
    // Sets the file's times (UTC); flushes first so that no later write changes them.
    void setTimes(const FILETIME* creation, const FILETIME* access, const FILETIME* write);
    // Flushes and closes the file; further use throws.
    void close();

  private:
    void writeBuffered();
    [[noreturn]] void fail() const;

    std::string path_;
    FileHandle file_;
    std::uint64_t pos_ = 0;  // logical position
    std::uint64_t bufferStart_ = 0;
    std::vector<unsigned char> buffer_;
};

}  // namespace unlha
