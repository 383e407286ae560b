// File gathering of the folder backup, the archive step and the detail window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "StepReport.h"
#include "StringLists.h"

namespace ostra {

// Why a found name cannot go through the ANSI calls the later steps (and the archiver libraries)
// use.
enum class TNameTrouble {
    ntNone,
    ntNoAnsiForm,         // a character the code page cannot hold ("?" in the ANSI listing)
    ntTrailingDotOrBlank  // the ANSI calls cut a final dot or blank off, and reach another name
};

struct TFoundFile {
    std::wstring Relative;  // the path below the folder walked, exactly as the file system names it
    std::string Name;       // the entry's own name in ANSI, '?' for each character that has none
    TNameTrouble Trouble = TNameTrouble::ntNone;
    WIN32_FILE_ATTRIBUTE_DATA Info{};  // attributes, times and size, as the listing found them
};

struct TFolderWalk {
    std::wstring Root;  // the folder walked: full wide path with a trailing backslash
    std::vector<TFoundFile> Files;
    // Folders below Root (or Root itself) that exist but could not be listed, with the reason.
    std::vector<TFailedItem> Unlisted;
    bool RootMissing = false;  // Root is no folder (or the folder text was empty)
};

// Gathers the entries of folder whose names match pattern, through the wide listing, so that every
// name comes as the file system holds it, also below MAX_PATH's reach; names the ANSI calls cannot
// reach are found all the same and marked (Trouble). With recurse, every subfolder is gathered
// first, depth-first, before the folder's own entries; within a folder the file system's order is
// kept. The pattern applies to names in the folder only: subfolders are descended into whatever
// their names, and a pattern holding a path delimiter matches nothing. Hidden, system and read-only
// files are taken; folders only with includeFolders.
//
// A junction or symbolic link is never descended into, so a link to an ancestor cannot loop and a
// link to another drive cannot pull that drive in. The folders of leaveOut (empty texts name none)
// are never entered, and asked for one of them itself nothing is gathered: they are told by their
// path text first and then by their identity, so another drive letter for the same place or a link
// on the way to either folder changes nothing. The folder backup keeps its own base folder, with
// the copies it holds, and the archive folder, with the archives, out of a registered folder.
// walk is filled anew.
void WalkFolder(const std::string& folder, const std::string& pattern, bool recurse, bool includeFolders,
                const TStrings& leaveOut, TFolderWalk& walk);

// WalkFolder with the found paths appended to files in ANSI: AddBackslash(folder) followed by the
// path below it, '?' in place of each character the code page cannot hold. A missing folder (or an
// empty folder text) yields nothing.
void CollectFiles(const std::string& folder, const std::string& pattern, TStrings& files, bool recurse,
                  bool includeFolders, const TStrings& leaveOut = {});
inline void CollectFiles(const std::string& folder, const std::string& pattern, TStrings& files, bool recurse,
                         bool includeFolders, const std::string& leaveOut) {
    CollectFiles(folder, pattern, files, recurse, includeFolders, TStrings{leaveOut});
}

// The trouble of one name (the name alone, wide), and its ANSI form for people to read.
TNameTrouble NameTrouble(const std::wstring& name, std::string& readable);

}  // namespace ostra
