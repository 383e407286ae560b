// Projects: named configurations (the settings tab's options and the three lists) kept as LHA
// archives in the folder "Project" of the program folder. Plain functions, so that saving and
// loading can be tested without the window; the form only shows what they did.
#pragma once

#include <windows.h>

#include <string>

#include "MainSettings.h"
#include "RunOptions.h"
#include "StringLists.h"

namespace ostra {

// The menu lists at most this many projects when it is first opened.
inline constexpr int kMaxProjectMenuItems = 20;

// AppDir + "Project\".
std::string ProjectFolder(const std::string& appDir);
// AppDir + "Project\" + name + ".lzh".
std::string ProjectArchivePath(const std::string& appDir, const std::string& name);

// Why a name cannot be a project's name (it becomes a file name), or empty when it can: empty,
// path separators, ':', characters the file system refuses (<>"|?* and control characters), a
// trailing dot or blank, reserved device names (CON, NUL, COM1, ... also with an extension).
std::string ProjectNameRefusal(const std::string& name);

// The names (without ".lzh") of the project archives, in the order the file system lists them;
// at most `limit` of them (negative: all).
TStrings ListProjects(const std::string& appDir, int limit = -1);

// What a project holds.
struct TProjectData {
    TRunOptions Options;
    TMainLists Lists;
};

// The four work files, in the order the archive holds them.
const TStrings& ProjectEntryNames();

// Writes the four work files into the project folder (made when missing); on failure raises
// "<path> に書き込めません" and leaves no work file behind.
void WriteProjectWorkFiles(const std::string& appDir, const TProjectData& data);
void DeleteProjectWorkFiles(const std::string& appDir);

// Packs the four work files into the project's archive: packed under a temporary name first and
// checked to hold all four entries, then put in the place of the old archive as a whole (an update
// of the old one would keep entries it should replace). On failure the old archive is as it was
// and an error says why.
void PackProject(HWND owner, const std::string& appDir, const std::string& name);

// Unpacks the project's archive and reads all four files; stale work files are removed first and
// the work files are gone afterwards, also on failure. Raises an error naming what is missing, so
// that a damaged project changes nothing in the window.
TProjectData ReadProject(HWND owner, const std::string& appDir, const std::string& name);

}  // namespace ostra
