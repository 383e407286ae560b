#include "Win32FileSource.h"

#include <algorithm>
#include <cstring>

#include "UnlhaError.h"
#include "Win32IoError.h"
#include "unlha32/UnlhaResult.h"

namespace unlha {

namespace {
constexpr std::size_t kBufferSize = 256 * 1024;
}

Win32FileSource::Win32FileSource(const std::string& path)
    : path_(path),
      file_(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {
    if (!file_) {
        DWORD e = ::GetLastError();
        bool missing = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
        throw UnlhaError(missing ? UNLHA_ERR_FILE_NOT_FOUND : UNLHA_ERR_READ,
                         (missing ? "ファイルが見つかりません: " : "ファイルを開けません: ") + path);
    }
    LARGE_INTEGER sz;
    if (!::GetFileSizeEx(file_.get(), &sz)) throw UnlhaError(UNLHA_ERR_READ, "ファイルを読めません: " + path);
    size_ = static_cast<std::uint64_t>(sz.QuadPart);
    buffer_.resize(kBufferSize);
}

void Win32FileSource::fill() {
    if (filePos_ != pos_) {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(pos_);
        if (!::SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN))
            throw Win32IoError(UNLHA_ERR_READ, "ファイルを読めません: " + path_);
        filePos_ = pos_;
    }
    DWORD got = 0;
    if (!::ReadFile(file_.get(), buffer_.data(), static_cast<DWORD>(buffer_.size()), &got, nullptr))
        throw Win32IoError(UNLHA_ERR_READ, "ファイルを読めません: " + path_);
    bufferStart_ = pos_;
    bufferLength_ = got;
    filePos_ += got;
}

std::size_t Win32FileSource::read(void* buffer, std::size_t n) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        if (pos_ < bufferStart_ || pos_ >= bufferStart_ + bufferLength_) {
            // Large reads bypass the buffer.
            if (n - done >= buffer_.size()) {
                if (filePos_ != pos_) {
                    LARGE_INTEGER to;
                    to.QuadPart = static_cast<LONGLONG>(pos_);
                    if (!::SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN))
                        throw Win32IoError(UNLHA_ERR_READ, "ファイルを読めません: " + path_);
                    filePos_ = pos_;
                }
                DWORD want = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
                DWORD got = 0;
                if (!::ReadFile(file_.get(), out + done, want, &got, nullptr))
                    throw Win32IoError(UNLHA_ERR_READ, "ファイルを読めません: " + path_);
                filePos_ += got;
                pos_ += got;
                done += got;
                if (got == 0) break;
                continue;
            }
            fill();
            if (bufferLength_ == 0) break;
        }
        std::size_t offset = static_cast<std::size_t>(pos_ - bufferStart_);
        std::size_t take = std::min(n - done, bufferLength_ - offset);
        std::memcpy(out + done, buffer_.data() + offset, take);
        done += take;
        pos_ += take;
    }
    return done;
}

void Win32FileSource::seek(std::uint64_t position) {
    if (position > size_) throw Win32IoError(UNLHA_ERR_READ, "ファイルの範囲外です: " + path_);
    pos_ = position;
}

}  // namespace unlha
