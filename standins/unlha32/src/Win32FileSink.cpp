#include "Win32FileSink.h"

#include <cstring>

#include "Win32IoError.h"
#include "unlha32/UnlhaResult.h"

namespace unlha {

namespace {
constexpr std::size_t kBufferSize = 256 * 1024;
}

Win32FileSink::Win32FileSink(const std::string& path)
    : path_(path),
      file_(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                          nullptr)) {
    if (!file_) fail();
    buffer_.reserve(kBufferSize);
}

Win32FileSink::~Win32FileSink() {
    // Without close() the file is being thrown away; unwritten bytes do not matter then.
}

void Win32FileSink::fail() const {
    throw Win32IoError(UNLHA_ERR_WRITE, "ファイルに書き込めません: " + path_);
}

void Win32FileSink::writeBuffered() {
    if (buffer_.empty()) return;
    if (!file_) fail();
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(bufferStart_);
    if (!::SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN)) fail();
    const unsigned char* p = buffer_.data();
    std::size_t left = buffer_.size();
    while (left > 0) {
        DWORD wrote = 0;
        DWORD chunk = static_cast<DWORD>(left > (1u << 30) ? (1u << 30) : left);
        if (!::WriteFile(file_.get(), p, chunk, &wrote, nullptr) || wrote == 0) fail();
        p += wrote;
        left -= wrote;
    }
    buffer_.clear();
}

void Win32FileSink::write(const void* buffer, std::size_t n) {
    if (!file_) fail();
    if (!buffer_.empty() && pos_ != bufferStart_ + buffer_.size()) writeBuffered();
    if (buffer_.empty()) bufferStart_ = pos_;
    const auto* in = static_cast<const unsigned char*>(buffer);
    while (n > 0) {
        std::size_t room = kBufferSize - buffer_.size();
        std::size_t take = n < room ? n : room;
        buffer_.insert(buffer_.end(), in, in + take);
        in += take;
        n -= take;
        pos_ += take;
        if (buffer_.size() == kBufferSize) {
            writeBuffered();
            bufferStart_ = pos_;
        }
    }
}

void Win32FileSink::seek(std::uint64_t position) {
    writeBuffered();
    pos_ = position;
}

void Win32FileSink::truncate() {
    writeBuffered();
    if (!file_) fail();
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(pos_);
    if (!::SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN) || !::SetEndOfFile(file_.get())) fail();
}

void Win32FileSink::flush() {
    writeBuffered();
    if (file_ && !::FlushFileBuffers(file_.get())) fail();
}

void Win32FileSink::setTimes(const FILETIME* creation, const FILETIME* access, const FILETIME* write) {
    writeBuffered();
    if (!file_ || !::SetFileTime(file_.get(), creation, access, write)) fail();
}

void Win32FileSink::close() {
    writeBuffered();
    if (file_ && !::CloseHandle(file_.release())) fail();
}

}  // namespace unlha
