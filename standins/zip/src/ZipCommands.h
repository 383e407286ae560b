// What ZIP32J.DLL does with a command line. Without a command switch the named files (patterns,
// relative to the base folder) are added to the archive, replacing entries of the same name;
// "-u" adds only files newer than their entries, "-f" (freshen) only replaces entries with newer
// files, "-d" deletes the named entries, "-A" adjusts a self-extractor's offsets. The archive is
// written beside the old one and put in its place only when complete.
#pragma once

#include <string>

namespace zipdll {

int RunZip(const std::string& line, std::string& report);

}  // namespace zipdll
