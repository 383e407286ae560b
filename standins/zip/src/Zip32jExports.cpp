// The entry of ZIP32J.DLL: packing, deleting, freshening and adjusting self-extractors. It
// catches everything: no exception may leave the library into its caller.
#include <windows.h>

#include "ZipCommands.h"
#include "ZipResult.h"
#include "ZipSupport.h"

using namespace zipdll;

extern "C" __declspec(dllexport) int WINAPI Zip(HWND, LPCSTR commandLine, LPSTR output, DWORD size) {
    std::string report;
    int result = kOk;
    try {
        result = RunZip(commandLine ? commandLine : "", report);
    } catch (const CommandError& e) {
        ReportLine(report, e.what());
        result = e.Code;
    } catch (...) {
        result = kErrInternal;
    }
    DeliverReport(report, output, size);
    return result;
}
