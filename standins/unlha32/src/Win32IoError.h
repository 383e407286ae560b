// An I/O failure of one of our files. It is a codec Io error (so the codec treats it as its
// stream contract says) that also remembers whether reading or writing failed.
#pragma once

#include <lha/lha.h>

#include <string>

namespace unlha {

class Win32IoError : public lha::Error {
  public:
    Win32IoError(int resultCode, const std::string& message)
        : lha::Error(lha::ErrorCode::Io, message), resultCode_(resultCode) {}
    int resultCode() const noexcept { return resultCode_; }

  private:
    int resultCode_;
};

}  // namespace unlha
