#pragma once
// File-backed byte source and sink for POSIX systems (the native tool and tests).
#include "lha/lha.h"

#include <string>

namespace lhatool {

class PosixFileSource final : public lha::ByteSource {
  public:
    explicit PosixFileSource(const std::string& path);
    ~PosixFileSource() override;
    PosixFileSource(const PosixFileSource&) = delete;
    PosixFileSource& operator=(const PosixFileSource&) = delete;
    std::size_t read(void* buffer, std::size_t n) override;
    void seek(std::uint64_t position) override;
    std::uint64_t tell() override;
    std::uint64_t size() override;

  private:
    int fd_;
    std::string path_;
};

class PosixFileSink final : public lha::ByteSink {
  public:
    // Creates or empties the file.
    explicit PosixFileSink(const std::string& path);
    ~PosixFileSink() override;
    PosixFileSink(const PosixFileSink&) = delete;
    PosixFileSink& operator=(const PosixFileSink&) = delete;
    void write(const void* buffer, std::size_t n) override;
    void seek(std::uint64_t position) override;
    std::uint64_t tell() override;
    void truncate() override;
    void close();

  private:
    int fd_;
    std::string path_;
};

}  // namespace lhatool
