// The text report a command leaves in the caller's output buffer: lines ending in CR LF,
// always NUL-terminated, never beyond the buffer's size. What does not fit is dropped.
#pragma once

#include <windows.h>

#include <string_view>

namespace unlha {

class OutputReport {
  public:
    OutputReport(LPSTR buffer, DWORD size);
    void Line(std::string_view text);

  private:
    char* buffer_;
    std::size_t size_;
    std::size_t used_ = 0;
};

}  // namespace unlha
