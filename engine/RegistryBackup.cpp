#include "RegistryBackup.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <utility>

#include "FileSystem.h"
#include "FileTimes.h"
#include "TempFile.h"
#include "TextRoutines.h"
#include "WinHandles.h"
#include "ostra_consts.h"

namespace ostra {

namespace {

struct TRootTag {
    size_t Length;  // compared from character 6
    const char* Text;
    const char* Suffix;
};

// Tried in this order; the first match wins.
constexpr TRootTag kRootTags[] = {
    {2, "CL", "_classes"},  {2, "LO", "_local"},          {2, "US", "_useres"},
    {2, "DY", "_dyn_data"}, {9, "CURRENT_U", "_current"}, {9, "CURRENT_C", "_config"},
};

// Characters a file name cannot hold become "_"; double-byte characters are kept whole (their
// trail byte may be 0x5C or 0x7C).
std::string FileNameSafe(const std::string& name) {
    std::string r = name;
    for (size_t i = 0; i < r.size(); i = NextChar(r, i)) {
        if (IsLeadByte(r, i) && i + 1 < r.size()) continue;
        const unsigned char c = static_cast<unsigned char>(r[i]);
        if (c < 0x20 || std::strchr("\\/:*?\"<>|", c)) r[i] = '_';
    }
    return r;
}

// An export of an earlier run is set aside while the editor writes the new one, so that the file's
// presence afterwards tells whether this export came about, and comes back when none did: a key
// that is briefly missing, an editor that fails or a run that dies half-way never costs the last
// good export. The aside copy is removed only once a new export is whole.
class TEarlierExport {
  public:
    explicit TEarlierExport(std::string file) : File_(std::move(file)), Aside_(File_ + ".old") {
        if (FileExists(Aside_)) {
            // Left by a run that ended before its export was whole: the last export known to be
            // whole. What holds the name now may be part of a newer one: it goes, or, when it
            // cannot, is told apart from the editor's new file by its time.
            SetAside_ = true;
            if (!DeleteFileAnyway(File_)) Stays_ = FileWriteTime(File_, Before_);
        } else if (FileExists(File_)) {
            SetAside_ = ::MoveFileA(File_.c_str(), Aside_.c_str()) != 0;
            // Could not be moved: the editor overwrites it in place, told apart by its time.
            if (!SetAside_) Stays_ = FileWriteTime(File_, Before_);
        }
    }
    // True when the editor wrote the file anew.
    bool Renewed() const {
        FILETIME after{};
        return FileWriteTime(File_, after) && (!Stays_ || ::CompareFileTime(&Before_, &after) != 0);
    }
    // The new export is whole: the earlier one goes.
    void Drop() {
        if (SetAside_) DeleteFileAnyway(Aside_);
        SetAside_ = false;
    }
    // No whole new export: whatever part of it was written goes, the earlier one comes back. When
    // it cannot come back, it stays aside for the next run.
    void Restore() {
        if (!SetAside_) return;
        DeleteFileAnyway(File_);
        if (::MoveFileA(Aside_.c_str(), File_.c_str())) SetAside_ = false;
    }
    ~TEarlierExport() { Restore(); }

  private:
    std::string File_, Aside_;
    bool SetAside_ = false, Stays_ = false;
    FILETIME Before_{};
};

// A trailing backslash ("HKEY_...\Key\") names the same key, but the editor exports nothing for it.
std::string WithoutTrailingBackslashes(std::string key) {
    for (std::string shorter = RemoveBackslash(key); shorter != key; shorter = RemoveBackslash(key))
        key = shorter;
    return key;
}

}  // namespace

std::string RegistryRootSuffix(const std::string& key) {
    for (const TRootTag& tag : kRootTags)
        if (key.size() >= 5 + tag.Length && key.compare(5, tag.Length, tag.Text) == 0) return tag.Suffix;
    return std::string();
}

std::string RegistryExportName(const std::string& key) {
    return FileNameSafe(ExtractFileName(key)) + RegistryRootSuffix(key) + ".reg";
}

std::string RegistryExportParameters(const std::string& file, const std::string& key) {
    return "/E \"" + file + "\" \"" + key + "\"";
}

TRunWait RunHiddenAndWait(const std::string& program, const std::string& parameters, unsigned timeoutMs) {
    SHELLEXECUTEINFOA sei{};
    sei.cbSize = sizeof sei;
    // No error box of the shell: an unattended run has nobody to close it.
    sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    sei.hwnd = nullptr;
    sei.lpVerb = "Open";
    sei.lpFile = program.c_str();
    sei.lpParameters = parameters.c_str();
    sei.lpDirectory = "";
    sei.nShow = SW_HIDE;
    if (!::ShellExecuteExA(&sei)) return TRunWait::rwNotStarted;
    KernelHandle process(sei.hProcess);
    if (!process) return TRunWait::rwFinished;  // handed to a running instance: nothing to wait for
    if (::WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0) return TRunWait::rwFinished;
    ::TerminateProcess(process.get(), 1);
    ::WaitForSingleObject(process.get(), 10000);
    return TRunWait::rwTimedOut;
}

TStepReport BackupRegistry(const std::string& destination, const TStrings& entries, TLog log,
                           const TCheckStopEvent& checkStop) {
    TStepReport report;
    report.Ran = true;
    const std::string dest = AddBackslash(destination);
    if (!DirectoryExists(dest)) CreateDir(dest);
    log.Add(kLogRegistryHeader);
    bool stop = false;
    for (const std::string& entry : entries) {
        const std::string key = WithoutTrailingBackslashes(entry);
        if (checkStop) {
            checkStop(stop);
            if (stop) return report;
        }
        // An empty key would have the editor export the whole registry.
        if (Trim(key).empty()) continue;
        const std::string file = dest + RegistryExportName(key);
        log.Add("  " + file);
        // A quote in the key would end its parameter early and hand the editor a different key.
        if (key.find('"') != std::string::npos) {
            log.Add(kLogRegQuote);
            report.Fail(key, TFailReason::frQuoteInKey);
            continue;
        }
        TEarlierExport earlier(file);
        const TRunWait run =
            RunHiddenAndWait(kRegistryEditor, RegistryExportParameters(file, key), kRegExportTimeoutMs);
        if (run == TRunWait::rwTimedOut) {
            DeleteFileAnyway(file);  // whatever part of it was written
            earlier.Restore();
            log.Add(kLogRegTimedOut);
            report.Fail(key, TFailReason::frExportTimedOut);
            continue;
        }
        if (run == TRunWait::rwNotStarted) {
            log.Add(kLogRegNotStarted);
            report.Fail(key, TFailReason::frEditorNotStarted);
            continue;
        }
        if (earlier.Renewed()) {
            earlier.Drop();
            ++report.Copied;
        } else {
            earlier.Restore();
            log.Add(kLogRegNotExported);
            report.Fail(key, TFailReason::frNotExported);
        }
    }
    log.Add("");
    return report;
}

}  // namespace ostra
