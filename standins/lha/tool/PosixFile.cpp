#include "PosixFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lhatool {

namespace {
[[noreturn]] void fail(const std::string& what, const std::string& path) {
    throw lha::Error(lha::ErrorCode::Io, what + " " + path + ": " + std::strerror(errno));
}
}  // namespace

PosixFileSource::PosixFileSource(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY)), path_(path) {
    if (fd_ < 0) fail("cannot open", path);
}

PosixFileSource::~PosixFileSource() {
    ::close(fd_);
}

std::size_t PosixFileSource::read(void* buffer, std::size_t n) {
    for (;;) {
        ssize_t k = ::read(fd_, buffer, n);
        if (k >= 0) return static_cast<std::size_t>(k);
        if (errno != EINTR) fail("cannot read", path_);
    }
}

void PosixFileSource::seek(std::uint64_t position) {
    if (::lseek(fd_, static_cast<off_t>(position), SEEK_SET) < 0) fail("cannot seek in", path_);
}

std::uint64_t PosixFileSource::tell() {
    off_t p = ::lseek(fd_, 0, SEEK_CUR);
    if (p < 0) fail("cannot seek in", path_);
    return static_cast<std::uint64_t>(p);
}

std::uint64_t PosixFileSource::size() {
    struct stat st;
    if (::fstat(fd_, &st) != 0) fail("cannot stat", path_);
    return static_cast<std::uint64_t>(st.st_size);
}

PosixFileSink::PosixFileSink(const std::string& path)
    : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644)), path_(path) {
    if (fd_ < 0) fail("cannot create", path);
}

PosixFileSink::~PosixFileSink() {
    if (fd_ >= 0) ::close(fd_);
}

void PosixFileSink::write(const void* buffer, std::size_t n) {
    const char* p = static_cast<const char*>(buffer);
    while (n > 0) {
        ssize_t k = ::write(fd_, p, n);
        if (k < 0) {
            if (errno == EINTR) continue;
            fail("cannot write", path_);
        }
        p += k;
        n -= static_cast<std::size_t>(k);
    }
}

void PosixFileSink::seek(std::uint64_t position) {
    if (::lseek(fd_, static_cast<off_t>(position), SEEK_SET) < 0) fail("cannot seek in", path_);
}

std::uint64_t PosixFileSink::tell() {
    off_t p = ::lseek(fd_, 0, SEEK_CUR);
    if (p < 0) fail("cannot seek in", path_);
    return static_cast<std::uint64_t>(p);
}

void PosixFileSink::truncate() {
    if (::ftruncate(fd_, static_cast<off_t>(tell())) != 0) fail("cannot truncate", path_);
}

void PosixFileSink::close() {
    if (fd_ >= 0 && ::close(fd_) != 0) {
        fd_ = -1;
        fail("cannot close", path_);
    }
    fd_ = -1;
}

}  // namespace lhatool
