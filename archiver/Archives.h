// The archive file component: the one object the rest of the system works with an archive
// through. The file name selects the format and its back-end; packing runs the component's own
// file selection and turns alternate data streams into entries, extraction turns them back; the
// library's progress messages and member reports reach the two events.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Archiver.h"
#include "ArchiverApi.h"
#include "ArchiverOptions.h"
#include "ArchiverType.h"
#include "FileList.h"
#include "Filters.h"

namespace arc {

class TArchiveFile;

// (Sender, State, progress record, Abort).
using TArchiverProgressEvent =
    std::function<void(TArchiveFile& sender, int state, TProgressRecord* lpEis, bool& abort)>;
// (Sender, member record passed through untouched, Abort).
using TArchiverEnumMemberEvent =
    std::function<void(TArchiveFile& sender, TEnumMemberInfo64& enumInfo, bool& abort)>;

// Result of a Pack whose selection was aborted through the progress event.
constexpr int kPackAborted = 0x8020;

class TArchiveFile {
  public:
    TArchiveFile();
    // Closes an open archive, destroys the progress window, frees the back-end and the options.
    ~TArchiveFile();
    TArchiveFile(const TArchiveFile&) = delete;
    TArchiveFile& operator=(const TArchiveFile&) = delete;

    const std::string& FileName() const { return FileName_; }
    // Detects the format by the extension and applies it as ArchiverType, then stores the name;
    // when applying the format raises, nothing changes.
    void SetFileName(const std::string& fileName);

    int OutputSize() const { return static_cast<int>(OutputBuffer_.size()); }
    // The output buffer becomes n characters long, its first one NUL.
    void SetOutputSize(int n);
    // The library's text output of the last operation, up to its first NUL.
    std::string OutputText() const;
    const std::string& OutputBuffer() const { return OutputBuffer_; }
    // The last command line a back-end built.
    const std::string& CommandLine() const { return CommandLine_; }

    TArchiverOptions& Options() { return Options_; }
    const TArchiverOptions& Options() const { return Options_; }

    TArchiverType ArchiverType() const { return ArchiverType_; }
    // Creates the back-end of the format (its library is loaded, which may raise ENoArchiverDLL:
    // then type and back-end stay as they were); atGCA and atBel raise EArchiver; atNone changes
    // nothing; atAutoDetect keeps the back-end until an operation probes the file.
    void SetArchiverType(TArchiverType type);

    // The back-end, null until a format is set.
    TArchiver* Archiver() const { return Archiver_.get(); }
    // The hidden window receiving the library's progress messages; null until first needed.
    HWND ProgressWindow() const;
    HARC ArchiveHandle() const { return ArchiveHandle_; }

    TArchiverProgressEvent OnProgress;
    TArchiverEnumMemberEvent OnEnumMember;

    // Design mode stores a type without creating its back-end; while loading, the rejected types
    // are stored without complaint.
    bool Designing = false;
    bool Loading = false;

    // The format of Name: by its extension (".exe" by content), or by content.
    static TArchiverType DetectArchiveType(const std::string& name, bool byExtension);

    // With ArchiverType atAutoDetect: detect by content from FileName and apply the result.
    void AutoDetect();
    // EArchiver "書庫の形式を判別できません。" when there is no back-end.
    void CheckArchiver() const;

    // Options null: the component's own. The library's result is returned unchanged; kPackAborted
    // when the selection was aborted, 0 when it selected nothing (the library is then not called).
    int Pack(HWND window, const TArchiverOptions* options, const std::string& baseDir,
             const TFileList& files);
    int Extract(HWND window, const TArchiverOptions* options, const std::string& destDir,
                const TFileList& files);

    // True when the library takes FileName for a sound archive in the check mode given (a mode of
    // the back-end's library: kLhaFullCheck decodes every entry and compares its CRC).
    bool CheckArchive(int mode);

    // 0 when FileName was opened, 1 when it was not.
    int OpenArchive(HWND window, DWORD mode);
    // 0 when the record holds an entry. Without an open archive nothing is asked and -1 returned.
    int FindFirst(const std::string& wildcard, TEntryRecord& entry);
    int FindNext(TEntryRecord& entry);
    void CloseArchive();

  protected:
    void BeforeOperation(const TArchiverOptions& options);
    void AfterOperation(const TArchiverOptions& options);
    // The internal handler first, then OnProgress.
    void DoProgress(int state, TProgressRecord* lpEis, bool& abort);

  private:
    class TProgressWindow;
    // The library calls this for every member; it hands the record to the enumeration target.
    static BOOL WINAPI EnumMembersCallback(TEnumMemberInfo64* member);

    int PackStep(HWND window, const TArchiverOptions& options, const std::string& baseDir,
                 const TFileList& files);
    void CollectStreamFile(int state, TProgressRecord* lpEis, bool& abort);
    // A callback from inside the library must not throw through it: the error is kept, the
    // library told to stop, and the error raised again once the library has returned.
    void KeepCallbackError();
    void RaiseCallbackError();
    LRESULT HandleProgressMessage(WPARAM wParam, LPARAM lParam);
    BOOL HandleEnumMember(TEnumMemberInfo64* member);

    TArchiverType ArchiverType_ = TArchiverType::atAutoDetect;
    std::unique_ptr<TArchiver> Archiver_;
    TArchiverOptions Options_;
    std::string FileName_ = kUnsetText;
    std::string CommandLine_;
    std::string OutputBuffer_;
    std::unique_ptr<TProgressWindow> ProgressWindow_;
    std::function<void(int, TProgressRecord*, bool&)> InternalProgress_;
    const TArchiverOptions* StreamOptions_ = nullptr;
    std::optional<TSortedList> StreamList_;
    HARC ArchiveHandle_ = nullptr;
    std::exception_ptr CallbackError_;
};

}  // namespace arc
