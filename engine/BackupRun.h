// The one backup run of both programs: the steps in their fixed order (files, folders, registry,
// archive, emptying of the base folder), the run marker, and every guard around the archive and
// the emptying. ostrun reads its configuration and maps the result to its exit status; the window
// program passes what it shows and maps the result to its boxes and log lines.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ArchiveStep.h"
#include "LogAndStop.h"
#include "RunOptions.h"
#include "StepReport.h"
#include "StringLists.h"
#include "ostra_consts.h"

namespace ostra {

// The named mutex that exists while a run is under way, in either program.
inline constexpr const char* kRunMarkerName = "Pelmira - Ostrun by zedka";

// Where a run has got to, for a caller that shows it (the window's stop button goes idle once the
// copies are done; its archive list is refilled once the archive step is over).
enum class TRunStage { rsCopiesDone, rsArchiveDone };

struct TRunInput {
    // BaseDir to DelUseRecycleBin. ArcProgress, DelConfirm and DelShowDialog are taken as given:
    // ostrun turns them off, the window passes its check boxes. Lha and ArcName as in MakeArchive.
    TRunOptions Options;
    // Names of the files and registry subfolders; anything but one plain folder name (or empty)
    // falls back to the default.
    std::string FileDir = kDefaultFileDir;
    std::string RegDir = kDefaultRegDir;
    // The lists of backup.ini, backfol.ini and backreg.ini. An absent list skips its step (ostrun,
    // when the list file is missing); an empty one still runs it.
    std::optional<TStrings> Files, Folders, Keys;
    // The program folder, with its configuration: never emptied with the base folder.
    std::string AppDir;
    TLog Log;
    TCheckStopEvent CheckStop;
    // The owner of the deletion's dialogs, and whether the shell may show error boxes (an
    // unattended run has nobody to close them).
    HWND Owner = nullptr;
    bool ShowErrors = true;
    std::function<void(TRunStage)> OnStage;
    // The time the archive is named after (empty: the system's local time).
    TLocalClock Clock;
};

struct TRunResult {
    enum TOutcome {
        roNoBaseFolder,  // the base folder is missing or not a full path: nothing ran
        roAnotherRun,    // another run holds the marker: nothing ran
        roDone,          // the steps asked for ran
        roArchiveFailed  // there were files, but no complete archive that reads back came about:
                         // the base folder stays
    };
    enum TArchiveStep {
        asNotAsked,             // Archive is off
        asNoArchiveFolder,      // the archive folder is missing or not a full path: skipped
        asArchiveFolderInBase,  // the archive folder is the base folder or lies inside it: skipped
        asRan
    };
    enum TEmptying {
        emNotAsked,           // DeleteFiles (or Archive) is off, or the archive step did not run
        emNoArchive,          // no archive of this run holds the files: the base folder stays
        emUnsafe,             // originals, the program folder or the archive folder lie inside it: it stays
        emArchiveUnsound,     // the new archive does not read back whole: it stays, and the run failed
        emDone,               // handed to the shell (which may still be refused by the user)
        emArchiveIncomplete,  // files were left out of the archive (Archive.LeftOut): it stays
        emLeftSome            // the emptying ran, but something stayed (a file in use, a "no" to the
                              // shell's question)
    };
    TOutcome Outcome = roNoBaseFolder;
    TArchiveStep ArchiveStep = asNotAsked;
    TArchiveResult Archive;
    TEmptying Emptying = emNotAsked;
    // The base and archive folders as the run resolved them (full, long form, with a backslash);
    // empty when they were not full paths.
    std::string BaseFolder, ArchiveFolder;
    // What the copy and export steps did, item by item (Ran is false for a step not called).
    TStepReport FileStep, FolderStep, RegistryStep;
    // BaseDir held some text: an empty one asks for nothing, any other names a folder the run
    // was to use.
    bool BaseDirGiven = false;
    // The stop callback asked for a stop during the copies.
    bool Stopped = false;
    enum TPruning {
        prNotAsked,        // KeepArchives is 0, or the archive step did not run
        prRunIncomplete,   // no archive was made, or a step failed, left something out or was
                           // stopped: no archive was removed
        prArchiveUnsound,  // the new archive does not read back whole: none removed, the run failed
        prDone             // the archives beyond the newest KeepArchives were handed to removal
    };
    TPruning Pruning = prNotAsked;
    // File names of the old archives removed after the run, oldest first, and those that stayed.
    TStrings ArchivesRemoved;
    std::vector<TFailedItem> ArchivesNotRemoved;
};

// What a run left out of what it was asked to do, one phrase each (empty: everything was done):
// items the steps could not do, no archive although the archive option was on, files left out of
// the archive, a base folder not emptied although the delete option asked for it, a base folder
// that is missing, and a run turned away because another one was under way.
TStrings WhatWasLeftOut(const TRunResult& result);

// Runs the steps. Before the base folder is emptied, the new archive is read back whole through
// the library (every entry decoded, its CRC checked): an archive that cannot be read back is no
// backup, and the copies stay. With KeepArchives above 0, after a run that did all it was asked
// and whose archive reads back (read once, shared with the emptying), the archive folder keeps the
// newest KeepArchives archives, the new one counted, and the older ones are removed
// (PruneOldArchives, through the recycle bin when DelUseRecycleBin is on). The marker is held from the start
// of the steps until the run returns or an error of a step passes through (the caller's error box then shows
// after the run is over).
TRunResult RunBackup(const TRunInput& input);

// The folder as a run uses it: full, in its long form, with a backslash; empty when the text is
// not a full path ("x:\..." or "\\server\share...", "/" taken as "\"), which would depend on the
// current folder.
std::string ResolvedRunFolder(const std::string& folder);

// name when it is one plain folder name (or empty: the base folder itself), else fallback. ".",
// "..", names of dots and blanks alone, and names holding \, / or : would lead elsewhere.
std::string SubfolderName(const std::string& name, const std::string& fallback);

// True when emptying the base folder removes nothing but copies: no registered file or folder,
// neither the program folder nor the archive folder lies inside it, by any spelling of the paths
// (another drive letter for the same place, a link on the way, "/" for "\").
bool MayEmptyBaseFolder(const std::string& baseFolder, const std::string& appDir,
                        const std::string& archiveFolder, const TStrings& files, const TStrings& folderLines);

}  // namespace ostra
