// Runs the main entry's and ExtractMem's command lines: parses, dispatches to the operation and
// turns every exception into a result code and a line of the report. One command at a time:
// a second one (from another thread, or from a callback of the first) gets UNLHA_ERR_BUSY.
#pragma once

#include <windows.h>

#include <functional>

#include "OutputReport.h"

namespace unlha {

class CommandRunner {
  public:
    static int Run(HWND window, LPCSTR commandLine, OutputReport& report);
    static int RunExtractMem(HWND window, LPCSTR commandLine, LPBYTE buffer, DWORD size, DWORD* time,
                             LPWORD attributes, LPDWORD written);

  private:
    static int Guarded(OutputReport& report, const std::function<int()>& body);
};

}  // namespace unlha
