// The one alias for an ordered list of texts: list-file contents, a run's log, collected names,
// the file lists and exclusions of the archiver framework.
#pragma once

#include <string>
#include <vector>

using TStrings = std::vector<std::string>;
