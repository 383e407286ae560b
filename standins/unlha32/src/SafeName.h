// Turns a name read from an archive into a relative path that stays inside the destination.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace unlha {

// Drive letters and leading separators are dropped (the name becomes relative), "." components
// vanish, characters Windows does not allow in names (and ':' that would open a stream) become
// '_', device names such as "CON" get a leading '_'. A name with a ".." component is refused
// (nullopt), and so is one that leaves nothing.
std::optional<std::string> SafeRelativeName(std::string_view archiveName);

}  // namespace unlha
