// Shared by the back-end tests: choosing which library the back-ends find, and the test
// library's log behind a back-end's binding.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>

#include "ArchiveTestSupport.h"
#include "ArchiverDll.h"
#include "ArchiverErrors.h"
#include "Archives.h"
#include "TestDllClient.h"
#include "TestSupport.h"
#include "TestTree.h"

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

// The tree of Japanese names that the fixtures of other tools hold (fixtures/make-ja-tree.sh), as
// TreeOf reads it: names in Shift-JIS.
inline testing_support::TTree JapaneseFixtureTree() {
    std::string text, bytes;
    for (int i = 0; i < 40; ++i) text += "Japanese text\n";
    for (int round = 0; round < 4; ++round)
        for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    testing_support::TTree tree = {
        "日本語.txt=" + text,         "空.txt", "空フォルダ\\", "サブ\\", "サブ\\data.bin=" + bytes,
        "サブ\\ソース表.txt=source\n"};
    std::sort(tree.begin(), tree.end());
    return tree;
}

// What a reference tool extracted: the tree of dest after the Unix command ran in workDir, or
// one line saying why there is none.
inline testing_support::TTree TreeExtractedBy(const std::string& workDir, const std::string& command,
                                              const std::string& dest) {
    std::string out;
    if (!archive_test::RunUnixCommand(workDir, "export LC_ALL=ja_JP.UTF-8; " + command + "; echo \"exit=$?\"",
                                      out))
        return {"<did not run: " + command + ">"};
    if (out.find("exit=0") == std::string::npos) return {"<failed: " + command + ": " + out + ">"};
    return testing_support::TreeOf(dest);
}

// The names of a tree without the files' contents.
inline testing_support::TTree NamesOf(testing_support::TTree tree) {
    for (std::string& item : tree) item = item.substr(0, item.find('='));
    return tree;
}

// The names the library lists for an archive through the archive component, as TreeOf writes them
// (folders with a trailing backslash; "./" components and the root "." left out), sorted.
inline testing_support::TTree ListedNames(const std::string& archivePath) {
    testing_support::TTree names;
    arc::TArchiveFile archive;
    archive.SetFileName(archivePath);
    if (archive.OpenArchive(nullptr, 0) != 0) return {"<not opened>"};
    arc::TEntryRecord e{};
    for (int r = archive.FindFirst("*.*", e); r == 0; r = archive.FindNext(e)) {
        std::string name = arc::FieldText(e.FileName), listed;
        const bool folder = arc::FieldText(e.Attribute).find('D') != std::string::npos;
        // '/' is never the second byte of a double-byte character.
        for (size_t start = 0; start <= name.size();) {
            size_t end = name.find('/', start);
            if (end == std::string::npos) end = name.size();
            const std::string part = name.substr(start, end - start);
            if (!part.empty() && part != ".") listed += part + "\\";
            start = end + 1;
        }
        if (listed.empty()) continue;
        if (!folder) listed.pop_back();
        names.push_back(listed);
    }
    archive.CloseArchive();
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace backend_test
