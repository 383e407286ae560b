#include "lha/lha.h"

#include <cstring>

namespace lha {

const char* method_name(Method m) {
    switch (m) {
        case Method::Lh0:
            return "-lh0-";
        case Method::Lh5:
            return "-lh5-";
        case Method::Lh6:
            return "-lh6-";
        case Method::Lh7:
            return "-lh7-";
    }
    return "-lh0-";
}

Method parse_method(std::string_view text) {
    std::string_view t = text;
    if (t.size() == 5 && t.front() == '-' && t.back() == '-') t = t.substr(1, 3);
    if (t.size() == 3 && (t[0] == 'l' || t[0] == 'L') && (t[1] == 'h' || t[1] == 'H')) t = t.substr(2);
    if (t == "0") return Method::Lh0;
    if (t == "5") return Method::Lh5;
    if (t == "6") return Method::Lh6;
    if (t == "7") return Method::Lh7;
    throw Error(ErrorCode::InvalidArgument, "unknown compression method: " + std::string(text));
}

bool method_supported(std::string_view m) {
    return m == "-lh0-" || m == "-lz4-" || m == "-lh4-" || m == "-lh5-" || m == "-lh6-" || m == "-lh7-" ||
           m == "-lhd-";
}

bool Entry::method_supported() const {
    return lha::method_supported(method);
}

}  // namespace lha
