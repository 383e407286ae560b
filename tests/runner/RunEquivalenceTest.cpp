// One configuration run twice, in two copies of the same folders: by ostrun.exe, started as a
// scheduler starts it, and by the engine's run called directly. Both must leave the same base
// folder, originals, archives and status.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <regex>

#include "ArchiveListing.h"
#include "BackupRun.h"
#include "FileSystem.h"
#include "ListFile.h"
#include "Runner.h"
#include "SettingsFile.h"
#include "TestSupport.h"
#include "TestTree.h"
#include "TextRoutines.h"

using namespace ostra;
using testing_support::ArchiveListing;
using testing_support::MakeTree;
using testing_support::TempDir;
using testing_support::TreeOf;
using testing_support::TTree;

namespace {

// One copy of a scenario's folders: the program folder, base, archive and data folders below
// root, and a second archive folder outside it.
struct TLayout {
    TempDir root{"equiv"}, outside{"equivarc"};
    std::string prog = root / "program\\", base = root / "base\\", arc = root / "arc\\",
                data = root / "data\\";

    // {root}, {prog}, {base}, {arc}, {data} and {outside} replaced by this copy's folders.
    std::string Expand(std::string text) const {
        const std::pair<const char*, const std::string*> names[] = {
            {"{root}", &root.Path()}, {"{prog}", &prog}, {"{base}", &base},
            {"{arc}", &arc},          {"{data}", &data}, {"{outside}", &outside.Path()}};
        for (const auto& [key, value] : names)
            for (size_t p; (p = text.find(key)) != std::string::npos;) text.replace(p, strlen(key), *value);
        return text;
    }
};

struct TScenario {
    const char* Name;
    TStrings Settings;  // lines of [Option]
    std::function<void(const TLayout&)> Prepare;
    // What the scenario's own rule leaves, checked on the copy ostrun ran on: two runs that go
    // wrong alike would still be equal.
    std::function<void(const TLayout&)> Check = nullptr;
};

void Write(const std::string& path, const TStrings& lines) {
    ASSERT_TRUE(testing_support::WriteFileBytes(path, JoinLines(lines)));
}

void SetUpCopy(const TLayout& l, const TScenario& s) {
    for (const std::string& d : {l.prog, l.base, l.arc, l.data})
        ASSERT_TRUE(CreateDirectoryA(d.c_str(), nullptr));
    ASSERT_TRUE(MakeTree(l.data, {"memo.txt=memo", "docs\\one.txt=doc one", "docs\\sub\\deep.txt=deep",
                                  "docs\\sub\\skip.doc=skip", "mail\\letter.txt=" + std::string(3000, 'l')}));
    for (const char* file : {"ostrun.exe", "UNLHA32.DLL"})
        ASSERT_TRUE(CopyFileA((AppDir() + file).c_str(), (l.prog + file).c_str(), FALSE));
    TStrings ini = {"[Option]"};
    for (const std::string& line : s.Settings) ini.push_back(l.Expand(line));
    Write(l.prog + "ostra.ini", ini);
    Write(l.prog + "backup.ini", {l.data + "memo.txt"});
    Write(l.prog + "backfol.ini", {l.data + "docs,Docs,*.txt,1", l.data + "mail,Mail,*.*,0"});
    if (s.Prepare) s.Prepare(l);
}

DWORD RunOstrun(const TLayout& l) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + l.prog + "ostrun.exe\"";
    // Under load Wine now and then fails to start a process at all: that is no result of ostrun.
    for (int attempt = 0;; ++attempt) {
        if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, l.prog.c_str(), &si,
                           &pi))
            break;
        if (attempt == 2) return static_cast<DWORD>(-2);
        Sleep(1000);
    }
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

// The engine's run on a copy, its input put together here, from the same files ostrun reads.
int RunEngine(const TLayout& l) {
    const TSettingsFile ini(l.prog + "ostra.ini");
    TRunInput in;
    in.Options = ReadRunOptions(ini);
    in.Options.ArcProgress = in.Options.DelConfirm = in.Options.DelShowDialog = false;
    in.FileDir = ini.ReadString("Option", "FileDir", "backup");
    in.RegDir = ini.ReadString("Option", "RegDir", "backreg");
    in.AppDir = l.prog;
    in.ShowErrors = false;
    in.Files.emplace();
    in.Folders.emplace();
    LoadList(l.prog + "backup.ini", *in.Files);
    LoadList(l.prog + "backfol.ini", *in.Folders);
    // A relative folder would be taken from the current folder, which ostrun has in its program
    // folder: so does this run.
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    SetCurrentDirectoryA(l.prog.c_str());
    const TRunResult r = RunBackup(in);
    SetCurrentDirectoryA(cwd);
    return ExitStatus(r);
}

bool EndsWith(const std::string& s, const char* tail) {
    const size_t n = strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// The tree below folder with what may differ between the two copies taken out: the program
// folder's files (they name the copy's folders) and the programs and archives by name only, an
// archive's name with its digits as '#' (the minute may differ) and its entries listed below it.
TTree Comparable(const std::string& folder) {
    TTree out;
    for (const std::string& item : TreeOf(folder)) {
        const std::string name = item.substr(0, item.find('='));
        if (EndsWith(name, ".lzh")) {
            out.push_back(std::regex_replace(name, std::regex("[0-9]"), "#"));
            for (const std::string& e : ArchiveListing(folder + name))
                if (e.rfind("program\\ostrun.log ", 0) != 0)  // packed when the program folder is in the base
                    out.push_back("  " + (e.compare(0, 8, "program\\") == 0 ? e.substr(0, e.find(' ')) : e));
        } else if (name == "program\\ostrun.log") {
            continue;  // only ostrun keeps a record of its runs
        } else if (name.compare(0, 8, "program\\") == 0 || EndsWith(name, ".exe") || EndsWith(name, ".DLL")) {
            out.push_back(name);
        } else {
            out.push_back(item);
        }
    }
    return out;
}

// Folders at the archive names of this minute and the next two: no archive can be written there.
void BlockArchiveNames(const TLayout& l) {
    for (int minutes = 0; minutes < 3; ++minutes) {
        SYSTEMTIME st;
        GetLocalTime(&st);
        FILETIME ft;
        SystemTimeToFileTime(&st, &ft);
        ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
        t.QuadPart += minutes * 60ull * 10000000ull;
        ft = {t.LowPart, t.HighPart};
        FileTimeToSystemTime(&ft, &st);
        CreateDirectoryA((l.arc + ArchiveName(st, false)).c_str(), nullptr);
    }
}

const TScenario kScenarios[] = {
    {"short-lh5", {"BaseDir={base}", "ArcDir={arc}", "Archive=1", "lha=0"}, nullptr},
    {"lh6", {"BaseDir={base}", "ArcDir={arc}", "Archive=1", "lha=1"}, nullptr},
    {"lh7", {"BaseDir={base}", "ArcDir={arc}", "Archive=1", "lha=2"}, nullptr},
    {"method-5-is-lh5", {"BaseDir={base}", "ArcDir={arc}", "Archive=1", "lha=5"}, nullptr},
    {"long-name", {"BaseDir={base}", "ArcDir={arc}", "Archive=1", "ArcName=2"}, nullptr},
    {"delete-after-archive",
     {"BaseDir={base}", "ArcDir={arc}", "Archive=1", "DeleteFiles=1", "DelUseRecycleBin=0"},
     nullptr},
    {"delete-needs-archive-option",
     {"BaseDir={base}", "ArcDir={arc}", "Archive=0", "DeleteFiles=1"},
     nullptr},
    {"failed-archive-keeps-base",
     {"BaseDir={base}", "ArcDir={arc}", "Archive=1", "DeleteFiles=1", "DelUseRecycleBin=0"},
     BlockArchiveNames},
    {"originals-inside-base",
     {"BaseDir={data}", "ArcDir={arc}", "Archive=1", "DeleteFiles=1", "DelUseRecycleBin=0"},
     nullptr},
    {"program-inside-base",
     {"BaseDir={root}", "ArcDir={outside}", "Archive=1", "DeleteFiles=1", "DelUseRecycleBin=0"},
     nullptr},
    {"missing-arcdir",
     {"BaseDir={base}", "ArcDir={root}none", "Archive=1", "DeleteFiles=1", "DelUseRecycleBin=0"},
     nullptr},
    {"arcdir-inside-base",
     {"BaseDir={base}", "ArcDir={base}arc", "Archive=1", "DeleteFiles=1", "DelUseRecycleBin=0"},
     [](const TLayout& l) { CreateDirectoryA((l.base + "arc").c_str(), nullptr); }},
    {"arcdir-inside-base-spelled",
     {"BaseDir={base}", "ArcDir={root}base\\..\\base/arc", "Archive=1", "DeleteFiles=1",
      "DelUseRecycleBin=0"},
     [](const TLayout& l) { CreateDirectoryA((l.base + "arc").c_str(), nullptr); }},
    {"empty-basedir", {"BaseDir=", "ArcDir={arc}", "Archive=1"}, nullptr},
    {"relative-basedir",
     {"BaseDir=base", "ArcDir={arc}", "Archive=1"},
     [](const TLayout& l) { CreateDirectoryA((l.prog + "base").c_str(), nullptr); },
     [](const TLayout& l) {
         EXPECT_EQ(TreeOf(l.prog + "base\\"), TTree{}) << "a relative base folder was used";
         EXPECT_EQ(TreeOf(l.arc), TTree{});
     }},
    {"relative-arcdir",
     {"BaseDir={base}", "ArcDir=arc", "Archive=1", "DeleteFiles=1", "DelUseRecycleBin=0"},
     [](const TLayout& l) { CreateDirectoryA((l.prog + "arc").c_str(), nullptr); },
     [](const TLayout& l) {
         EXPECT_EQ(TreeOf(l.prog + "arc\\"), TTree{}) << "a relative archive folder was used";
         EXPECT_TRUE(FileExists(l.base + "backup\\memo.txt")) << "copies not made, or emptied";
     }},
    {"bad-subfolder-names", {"BaseDir={base}", "FileDir=..\\x", "RegDir=C:\\x"}, nullptr},
};

class RunEquivalence : public ::testing::TestWithParam<TScenario> {};

void PrintTo(const TScenario& s, std::ostream* os) {
    *os << s.Name;
}

}  // namespace

TEST_P(RunEquivalence, OstrunAndTheEngineRunLeaveTheSameFoldersArchivesAndStatus) {
    const TScenario& s = GetParam();
    TLayout byOstrun, byEngine;
    SetUpCopy(byOstrun, s);
    SetUpCopy(byEngine, s);
    const int ostrunStatus = static_cast<int>(RunOstrun(byOstrun));
    const int engineStatus = RunEngine(byEngine);
    EXPECT_EQ(ostrunStatus, engineStatus);
    EXPECT_EQ(Comparable(byOstrun.root.Path()), Comparable(byEngine.root.Path()));
    EXPECT_EQ(Comparable(byOstrun.outside.Path()), Comparable(byEngine.outside.Path()));
    if (s.Check) s.Check(byOstrun);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, RunEquivalence, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<TScenario>& info) {
                             return std::regex_replace(info.param.Name, std::regex("-"), "_");
                         });
