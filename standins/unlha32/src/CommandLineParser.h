// Parses the text of a command line into a Command (the grammar is in Command.h).
#pragma once

#include <string_view>

#include "Command.h"

namespace unlha {

class CommandLineParser {
  public:
    // Throws UnlhaError: bad command (unknown word, no archive) or response file unreadable.
    // Looks at the disk to tell response files from names that begin with '@'.
    static Command Parse(std::string_view line);

  private:
    static void ApplySwitch(const std::string& item, Switches& s);
    static void ReadResponseFile(const std::string& path, std::vector<std::string>& names);
    // item begins with '@'; the rule is in Command.h.
    static bool IsResponseFile(const Command& cmd, const std::string& item);
};

}  // namespace unlha
