// Shared by the back-end tests: choosing which library the back-ends find, and the test
// library's log behind a back-end's binding.
#pragma once

#include <windows.h>

#include <string>

#include "ArchiverDll.h"
#include "TestDllClient.h"

namespace backend_test {

// Makes dir (or nothing) the folder the loader searches after the program's own; the program's
// folder holds no archiver library.
inline bool SearchLibrariesIn(const std::string& dir) {
    return ::SetDllDirectoryA(dir.c_str()) != 0;
}

// The test library behind a binding.
inline testdll::Client LibraryOf(arc::TCustomArchiverDll& dll) {
    auto* bound = dynamic_cast<arc::TArchiverDll*>(&dll);
    return testdll::Client(bound ? bound->Handle() : nullptr);
}

}  // namespace backend_test
