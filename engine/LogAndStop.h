// Types shared by the engine steps and their callers.
#pragma once

#include <functional>
#include <string>
#include <vector>

// An ordered list of text lines: list-file contents, the run log, collected file names.
using TStrings = std::vector<std::string>;

// Called before every item of a run step; setting the flag to true stops the step at once.
using TCheckStopEvent = std::function<void(bool& stop)>;
