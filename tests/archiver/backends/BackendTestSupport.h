// Shared by the back-end tests: choosing which library the back-ends find, and the test
// library's log behind a back-end's binding.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>

#include "ArchiverDll.h"
#include "ArchiverErrors.h"
#include "TestDllClient.h"
#include "TestSupport.h"

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

// A folder of its own with copies of the named test libraries (file names as the back-ends load
// them), searched by the loader while the object lives. Bindings that loaded from it must be
// freed before it goes.
class LibraryFolder {
  public:
    explicit LibraryFolder(std::initializer_list<std::string> dllNames) : Temp("libs") {
        Ready_ = true;
        for (const std::string& name : dllNames)
            Ready_ = ::CopyFileA(testdll::PathOf(name).c_str(), (Temp / name).c_str(), FALSE) && Ready_;
        Ready_ = SearchLibrariesIn(Temp.Path()) && Ready_;
    }
    ~LibraryFolder() { ::SetDllDirectoryA(nullptr); }
    LibraryFolder(const LibraryFolder&) = delete;
    LibraryFolder& operator=(const LibraryFolder&) = delete;

    bool Ready() const { return Ready_; }
    const std::string& Path() const { return Temp.Path(); }

  private:
    testing_support::TempDir Temp;
    bool Ready_ = false;
};

// The message of the EArchiver (or derived) exception call raises; "<none>" when it raises none.
inline std::string ArchiverMessage(const std::function<void()>& call) {
    try {
        call();
    } catch (const arc::EArchiver& e) {
        return e.what();
    }
    return "<none>";
}

// Puts folder first on the process's search path (where SearchPathA looks for stub files) while
// the object lives.
class SearchPathFirst {
  public:
    explicit SearchPathFirst(const std::string& folder) {
        char buffer[32768];
        DWORD n = ::GetEnvironmentVariableA("PATH", buffer, sizeof buffer);
        Saved.assign(buffer, n < sizeof buffer ? n : 0);
        ::SetEnvironmentVariableA("PATH", (folder + ";" + Saved).c_str());
    }
    ~SearchPathFirst() { ::SetEnvironmentVariableA("PATH", Saved.c_str()); }
    SearchPathFirst(const SearchPathFirst&) = delete;
    SearchPathFirst& operator=(const SearchPathFirst&) = delete;

  private:
    std::string Saved;
};

}  // namespace backend_test
