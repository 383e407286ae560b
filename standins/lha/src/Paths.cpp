#include "ShiftJis.h"
#include "lha/lha.h"

namespace lha {
namespace detail {

std::vector<std::string> split_path(std::string_view name) {
    std::vector<std::string> parts;
    std::string cur;
    for (std::size_t i = 0; i < name.size(); ++i) {
        auto c = static_cast<unsigned char>(name[i]);
        if (is_sjis_lead(c) && i + 1 < name.size()) {
            cur += name[i];
            cur += name[++i];
        } else if (c == '\\' || c == '/' || c == 0xFF) {
            parts.push_back(std::move(cur));
            cur.clear();
        } else {
            cur += name[i];
        }
    }
    parts.push_back(std::move(cur));
    return parts;
}

std::string join_path(const std::vector<std::string>& parts, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count && i < parts.size(); ++i) {
        if (i != 0) out += '\\';
        out += parts[i];
    }
    return out;
}

}  // namespace detail

std::string safe_relative_path(std::string_view name) {
    // A drive prefix ("C:") and any component holding ':' (alternate streams, devices) are dropped.
    std::vector<std::string> kept;
    for (auto& part : detail::split_path(name)) {
        if (part.empty() || part == "." || part == "..") continue;
        if (part.find(':') != std::string::npos) {
            if (kept.empty() && part.size() == 2 && part[1] == ':') continue;
            std::string fixed;
            for (char c : part) fixed += c == ':' ? '_' : c;
            part = fixed;
        }
        kept.push_back(part);
    }
    return detail::join_path(kept, kept.size());
}

}  // namespace lha
