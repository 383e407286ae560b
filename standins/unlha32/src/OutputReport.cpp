#include "OutputReport.h"

#include <cstring>
#include <string>

namespace unlha {

OutputReport::OutputReport(LPSTR buffer, DWORD size)
    : buffer_(size ? buffer : nullptr), size_(buffer ? size : 0) {
    if (buffer_ && size_ > 0) buffer_[0] = '\0';
}

void OutputReport::Line(std::string_view text) {
    if (!buffer_ || size_ == 0) return;
    std::size_t room = size_ - 1 - used_;
    std::string line(text);
    line += "\r\n";
    std::size_t take = line.size() < room ? line.size() : room;
    // Never cut a double-byte character in two.
    if (take < line.size()) {
        std::size_t safe = 0;
        for (std::size_t i = 0; i < take;) {
            std::size_t len = ::IsDBCSLeadByte(static_cast<BYTE>(line[i])) ? 2 : 1;
            if (i + len > take) break;
            i += len;
            safe = i;
        }
        take = safe;
    }
    std::memcpy(buffer_ + used_, line.data(), take);
    used_ += take;
    buffer_[used_] = '\0';
}

}  // namespace unlha
