#include "BackupRun.h"

#include "ArchiveFolders.h"
#include "FileBackup.h"
#include "FileSystem.h"
#include "FolderBackup.h"
#include "FolderEntry.h"
#include "RegistryBackup.h"
#include "TextRoutines.h"
#include "WinHandles.h"

namespace ostra {

namespace {

// The marker of a run under way; released when the run ends, whichever way.
class TRunMarker {
  public:
    TRunMarker() {
        Handle_.reset(::CreateMutexA(nullptr, FALSE, kRunMarkerName));
        Another_ = ::GetLastError() == ERROR_ALREADY_EXISTS;
    }
    bool HeldByAnotherRun() const { return Another_; }

  private:
    KernelHandle Handle_;
    bool Another_ = false;
};

void Tell(const TRunInput& in, TRunStage stage) {
    if (in.OnStage) in.OnStage(stage);
}

}  // namespace

std::string ResolvedRunFolder(const std::string& folder) {
    const std::string f = AddBackslash(folder);
    return IsAbsolutePath(f) ? AddBackslash(FullLongPath(f)) : std::string();
}

std::string SubfolderName(const std::string& name, const std::string& fallback) {
    return TitleIsUsable(name) ? name : fallback;
}

bool MayEmptyBaseFolder(const std::string& baseFolder, const std::string& appDir,
                        const std::string& archiveFolder, const TStrings& files,
                        const TStrings& folderLines) {
    const std::string base = ComparablePath(baseFolder);
    auto inside = [&base](const std::string& path) {
        return !path.empty() && IsInsideFolder(ComparablePath(path), base);
    };
    if (inside(appDir) || inside(archiveFolder)) return false;
    for (const std::string& f : files)
        if (inside(f)) return false;
    for (const std::string& line : folderLines)
        if (inside(ParseFolderEntry(line).Folder)) return false;
    return true;
}

TRunResult RunBackup(const TRunInput& in) {
    const TRunOptions& o = in.Options;
    TRunResult r;
    r.BaseFolder = ResolvedRunFolder(o.BaseDir);
    r.ArchiveFolder = ResolvedRunFolder(o.ArcDir);
    const std::string& base = r.BaseFolder;
    const std::string& arcDir = r.ArchiveFolder;
    if (base.empty() || !DirectoryExists(base)) return r;

    const TRunMarker marker;
    if (marker.HeldByAnotherRun()) {
        r.Outcome = TRunResult::roAnotherRun;
        return r;
    }
    r.Outcome = TRunResult::roDone;

    if (in.Files)
        BackupFiles(base + SubfolderName(in.FileDir, kDefaultFileDir), *in.Files, in.Log, o.Timestamp,
                    in.CheckStop);
    // With the archive option on, the archive folder holds this run's archives: a registered folder
    // around it would pack each archive into the next.
    if (in.Folders)
        BackupFolders(base, *in.Folders, in.Log, o.Timestamp, in.CheckStop,
                      o.Archive ? arcDir : std::string());
    if (in.Keys)
        BackupRegistry(base + SubfolderName(in.RegDir, kDefaultRegDir), *in.Keys, in.Log, in.CheckStop);
    Tell(in, TRunStage::rsCopiesDone);

    if (!o.Archive) return r;
    if (arcDir.empty() || !DirectoryExists(arcDir)) {
        r.ArchiveStep = TRunResult::asNoArchiveFolder;
        return r;
    }
    // Archives kept inside the base folder would be packed into the next archive and removed by
    // the emptying; such a configuration gets its copies, but neither step.
    if (ArchiveFolderInBase(base, arcDir)) {
        r.ArchiveStep = TRunResult::asArchiveFolderInBase;
        return r;
    }
    r.ArchiveStep = TRunResult::asRan;
    r.Archive = MakeArchive(base, arcDir, o.Lha, o.ArcName > 0, o.ArcProgress, in.Log, in.Clock);
    Tell(in, TRunStage::rsArchiveDone);
    if (r.Archive.Outcome == TArchiveResult::arFailed) r.Outcome = TRunResult::roArchiveFailed;

    if (!o.DeleteFiles) return r;
    if (r.Archive.Outcome != TArchiveResult::arCreated) {
        r.Emptying = TRunResult::emNoArchive;
        return r;
    }
    static const TStrings kNone;
    if (!MayEmptyBaseFolder(base, in.AppDir, arcDir, in.Files ? *in.Files : kNone,
                            in.Folders ? *in.Folders : kNone)) {
        r.Emptying = TRunResult::emUnsafe;
        return r;
    }
    // The copies are the only other backup of this run: they go only once the archive reads back.
    if (!ArchiveReadsBack(r.Archive.ArchivePath)) {
        r.Outcome = TRunResult::roArchiveFailed;
        r.Emptying = TRunResult::emArchiveUnsound;
        return r;
    }
    DeleteBaseFolder(base, in.Owner, o.DelConfirm, o.DelShowDialog, o.DelUseRecycleBin, in.ShowErrors);
    r.Emptying = TRunResult::emDone;
    return r;
}

}  // namespace ostra
