#include "BackupRun.h"

#include "ArchiveFolders.h"
#include "ArchivePruning.h"
#include "FileBackup.h"
#include "FileSystem.h"
#include "FolderIdentity.h"
#include "FolderBackup.h"
#include "FolderEntry.h"
#include "RegistryBackup.h"
#include "TextRoutines.h"
#include "WideText.h"
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

// True when the folder holds nothing (not even an empty folder).
bool FolderIsEmpty(const std::string& folder) {
    WIN32_FIND_DATAW fd;
    FindHandle find(::FindFirstFileW(LongWidePath(folder + "*").c_str(), &fd));
    if (!find) return true;
    do {
        const wchar_t* n = fd.cFileName;
        if (!(n[0] == L'.' && (n[1] == 0 || (n[1] == L'.' && n[2] == 0)))) return false;
    } while (::FindNextFileW(find.get(), &fd));
    return true;
}

// The emptying of the base folder, once the archive is made: only when nothing of the copies
// would be lost with it.
template <class TReadsBack>
void EmptyBaseFolder(const TRunInput& in, TRunResult& r, TReadsBack& archiveReadsBack) {
    const TRunOptions& o = in.Options;
    const std::string& base = r.BaseFolder;
    if (r.Archive.Outcome != TArchiveResult::arCreated) {
        r.Emptying = TRunResult::emNoArchive;
        return;
    }
    static const TStrings kNone;
    if (!MayEmptyBaseFolder(base, in.AppDir, r.ArchiveFolder, in.Files ? *in.Files : kNone,
                            in.Folders ? *in.Folders : kNone)) {
        r.Emptying = TRunResult::emUnsafe;
        return;
    }
    // Files the archive could not take have their only backup in the base folder.
    if (!r.Archive.LeftOut.empty()) {
        r.Emptying = TRunResult::emArchiveIncomplete;
        return;
    }
    // The copies are the only other backup of this run: they go only once the archive reads back.
    if (!archiveReadsBack()) {
        r.Outcome = TRunResult::roArchiveFailed;
        r.Emptying = TRunResult::emArchiveUnsound;
        return;
    }
    DeleteBaseFolder(base, in.Owner, o.DelConfirm, o.DelShowDialog, o.DelUseRecycleBin, in.ShowErrors);
    r.Emptying = FolderIsEmpty(base) ? TRunResult::emDone : TRunResult::emLeftSome;
}

// The removal of old archives comes last: only after a run that did all it was asked (emptying
// included), was not stopped, and made an archive that reads back whole.
template <class TReadsBack>
void PruneAfterRun(const TRunInput& in, TRunResult& r, TReadsBack& archiveReadsBack) {
    const int keep = KeepArchivesOf(in.Options.KeepArchives);
    if (keep <= 0) return;
    if (r.Archive.Outcome != TArchiveResult::arCreated || r.Stopped || !WhatWasLeftOut(r).empty()) {
        r.Pruning = TRunResult::prRunIncomplete;
        return;
    }
    if (!archiveReadsBack()) {
        r.Outcome = TRunResult::roArchiveFailed;
        r.Pruning = TRunResult::prArchiveUnsound;
        return;
    }
    r.Pruning = TRunResult::prDone;
    TPruneResult p = PruneOldArchives(r.ArchiveFolder, keep, ExtractFileName(r.Archive.ArchivePath),
                                      in.Options.DelUseRecycleBin, in.Log);
    r.ArchivesRemoved = std::move(p.Removed);
    r.ArchivesNotRemoved = std::move(p.NotRemoved);
}

}  // namespace

std::string ResolvedRunFolder(const std::string& folder) {
    const std::string f = AddBackslash(WithBackslashes(folder));
    return IsAbsolutePath(f) ? AddBackslash(FullLongPath(f)) : std::string();
}

std::string SubfolderName(const std::string& name, const std::string& fallback) {
    return TitleIsUsable(name) ? name : fallback;
}

bool MayEmptyBaseFolder(const std::string& baseFolder, const std::string& appDir,
                        const std::string& archiveFolder, const TStrings& files,
                        const TStrings& folderLines) {
    TInsideTest base(baseFolder);
    auto inside = [&base](const std::string& path) {
        return !path.empty() && base.Holds(WithBackslashes(path));
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
    r.BaseDirGiven = !Trim(o.BaseDir).empty();
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

    // A stop asked for cuts the copies short: the run is then no sound one to prune after.
    TCheckStopEvent checkStop;
    if (in.CheckStop)
        checkStop = [&in, &r](bool& stop) {
            in.CheckStop(stop);
            if (stop) r.Stopped = true;
        };
    if (in.Files)
        r.FileStep = BackupFiles(base + SubfolderName(in.FileDir, kDefaultFileDir), *in.Files, in.Log,
                                 o.Timestamp, checkStop);
    // With the archive option on, the archive folder holds this run's archives: a registered folder
    // around it would pack each archive into the next.
    if (in.Folders)
        r.FolderStep = BackupFolders(base, *in.Folders, in.Log, o.Timestamp, checkStop,
                                     o.Archive ? arcDir : std::string());
    if (in.Keys)
        r.RegistryStep =
            BackupRegistry(base + SubfolderName(in.RegDir, kDefaultRegDir), *in.Keys, in.Log, checkStop);
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

    // The new archive is read back whole at most once, by whichever of the two steps after it
    // needs it first.
    std::optional<bool> readsBack;
    auto archiveReadsBack = [&]() {
        if (!readsBack) readsBack = ArchiveReadsBack(r.Archive.ArchivePath);
        return *readsBack;
    };
    if (o.DeleteFiles) EmptyBaseFolder(in, r, archiveReadsBack);
    PruneAfterRun(in, r, archiveReadsBack);
    return r;
}

TStrings WhatWasLeftOut(const TRunResult& r) {
    TStrings out;
    auto count = [](size_t n) { return std::to_string(n); };
    switch (r.Outcome) {
        case TRunResult::roNoBaseFolder:
            if (r.BaseDirGiven)
                out.push_back("基準フォルダがないか、完全なパスではないため、何もしませんでした");
            return out;
        case TRunResult::roAnotherRun:
            out.push_back("別のバックアップが実行中のため、何もしませんでした");
            return out;
        default:
            break;
    }
    if (!r.FileStep.Failed.empty())
        out.push_back("ファイル " + count(r.FileStep.Failed.size()) + " 個をバックアップできませんでした");
    if (!r.FolderStep.Failed.empty())
        out.push_back("フォルダのバックアップで " + count(r.FolderStep.Failed.size()) +
                      " 件を行えませんでした");
    if (!r.RegistryStep.Failed.empty())
        out.push_back("レジストリキー " + count(r.RegistryStep.Failed.size()) + " 個を書き出せませんでした");
    switch (r.ArchiveStep) {
        case TRunResult::asNoArchiveFolder:
            out.push_back("圧縮先フォルダがないか、完全なパスではないため、書庫を作成しませんでした");
            break;
        case TRunResult::asArchiveFolderInBase:
            out.push_back("圧縮先フォルダが基準フォルダの中にあるため、書庫を作成しませんでした");
            break;
        default:
            break;
    }
    if (r.Archive.Outcome == TArchiveResult::arFailed) out.push_back("書庫を作成できませんでした");
    if (!r.Archive.LeftOut.empty())
        out.push_back(count(r.Archive.LeftOut.size()) + " 件を書庫に入れられませんでした");
    switch (r.Emptying) {
        case TRunResult::emUnsafe:
            out.push_back(
                "基準フォルダ内にバックアップ元、プログラムのフォルダまたは圧縮先フォルダがあるため、"
                "基準フォルダを空にしませんでした");
            break;
        case TRunResult::emArchiveUnsound:
            out.push_back("作成した書庫を読み戻せなかったため、基準フォルダを空にしませんでした");
            break;
        case TRunResult::emArchiveIncomplete:
            out.push_back("書庫に入れられなかったファイルがあるため、基準フォルダを空にしませんでした");
            break;
        case TRunResult::emLeftSome:
            out.push_back("基準フォルダを空にしきれませんでした");
            break;
        default:  // emNoArchive follows a failed archive (said above) or a base folder with no file
            break;
    }
    if (r.Pruning == TRunResult::prArchiveUnsound)
        out.push_back("作成した書庫を読み戻せなかったため、古い書庫を削除しませんでした");
    if (!r.ArchivesNotRemoved.empty())
        out.push_back("古い書庫 " + count(r.ArchivesNotRemoved.size()) + " 個を削除できませんでした");
    return out;
}

}  // namespace ostra
