#include "Archives.h"

#include <cstring>

#include "ARJ32.h"
#include "ArchiverErrors.h"
#include "BGA32.h"
#include "CAB32.h"
#include "ExtStrms.h"
#include "LHA32.h"
#include "RAR32.h"
#include "SZIP32.h"
#include "TAR32.h"
#include "TempFile.h"
#include "TextRoutines.h"
#include "YZ132.h"
#include "ZIP32.h"

namespace arc {

namespace {

const char kNoBackEndMessage[] = "書庫の形式を判別できません。";
const char kRejectedTypeMessage[] = "書庫の形式を特定できませんでした。";

template <typename T>
std::unique_ptr<TArchiver> Make() {
    return std::make_unique<T>();
}

// The back-end class of every format; atGCA and atBel have none and are rejected.
struct TFormatBackEnd {
    TArchiverType Type;
    std::unique_ptr<TArchiver> (*Create)();
};
const TFormatBackEnd kBackEnds[] = {
    {TArchiverType::atLha, &Make<TLha32>},     {TArchiverType::atZip, &Make<TZip32>},
    {TArchiverType::atCab, &Make<TCab32>},     {TArchiverType::atArj, &Make<TArj32>},
    {TArchiverType::atTar, &Make<TTar32>},     {TArchiverType::atTgz, &Make<TTgz32>},
    {TArchiverType::atBZ2, &Make<TBZ232>},     {TArchiverType::atRar, &Make<TRar32>},
    {TArchiverType::atBga, &Make<TBGA32>},     {TArchiverType::atYz1, &Make<TYZ1>},
    {TArchiverType::at7z, &Make<TSevenZip32>},
};

template <bool (*Is)(const std::string&), TArchiverType Type>
TArchiverType ProbeFor(const std::string& name) {
    return Is(name) ? Type : TArchiverType::atNone;
}

// Content probes in the order they run; a later positive answer overrides an earlier one, so the
// last of them wins: LHA over CAB, YZ1, BGA, ZIP, ARJ, RAR and the TAR answer. The TAR probe
// answers with the type itself (tar, gzip or bzip2). There is no probe for 7z.
struct TFormatProbe {
    const char* Format;
    TArchiverType (*Probe)(const std::string& name);
};
const TFormatProbe kProbes[] = {
    {"TAR", &GetTarArchiverType},
    {"RAR", &ProbeFor<IsRarArchive, TArchiverType::atRar>},
    {"ARJ", &ProbeFor<IsArjArchive, TArchiverType::atArj>},
    {"ZIP", &ProbeFor<IsZipArchive, TArchiverType::atZip>},
    {"BGA", &ProbeFor<IsBgaArchive, TArchiverType::atBga>},
    {"YZ1", &ProbeFor<IsYz1Archive, TArchiverType::atYz1>},
    {"CAB", &ProbeFor<IsCabArchive, TArchiverType::atCab>},
    {"LHA", &ProbeFor<IsLhaArchive, TArchiverType::atLha>},
};

struct TExtensionType {
    const char* Extension;
    TArchiverType Type;
};
const TExtensionType kExtensions[] = {
    {".lzh", TArchiverType::atLha},  {".zip", TArchiverType::atZip}, {".jar", TArchiverType::atZip},
    {".ear", TArchiverType::atZip},  {".war", TArchiverType::atZip}, {".cab", TArchiverType::atCab},
    {".arj", TArchiverType::atArj},  {".tar", TArchiverType::atTar}, {".a", TArchiverType::atTar},
    {".lib", TArchiverType::atTar},  {".deb", TArchiverType::atTar}, {".rpm", TArchiverType::atTar},
    {".cpio", TArchiverType::atTar}, {".gz", TArchiverType::atTgz},  {".z", TArchiverType::atTgz},
    {".tgz", TArchiverType::atTgz},  {".taz", TArchiverType::atTgz}, {".bz2", TArchiverType::atBZ2},
    {".rar", TArchiverType::atRar},  {".gza", TArchiverType::atBga}, {".bza", TArchiverType::atBga},
    {".yz1", TArchiverType::atYz1},  {".gca", TArchiverType::atGCA}, {".7z", TArchiverType::at7z},
};

// The extension with its dot, in small letters; empty when the last component has none.
std::string LowerExtension(const std::string& name) {
    size_t p = ostra::LastDelimiter(name, ".\\:");
    if (p == std::string::npos || name[p] != '.') return std::string();
    std::string ext = name.substr(p);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

// The identifier of "wm_arcextract", registered on first need and kept for the process.
UINT ArcExtractMessage() {
    static const UINT message = ::RegisterWindowMessageA(kArcExtractMessage);
    return message;
}

// The one component whose operation currently receives member enumeration.
TArchiveFile* g_enumTarget = nullptr;

const char kProgressWindowClass[] = "PelmiraArchiveProgress";

}  // namespace

// A message-only window of a registered class that hands "wm_arcextract" to its component.
class TArchiveFile::TProgressWindow {
  public:
    explicit TProgressWindow(TArchiveFile& owner) : Owner_(owner) {
        static const bool registered = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = &Proc;
            wc.hInstance = ::GetModuleHandleA(nullptr);
            wc.lpszClassName = kProgressWindowClass;
            return ::RegisterClassA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
        }();
        if (registered)
            Handle = ::CreateWindowExA(0, kProgressWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       ::GetModuleHandleA(nullptr), this);
    }
    ~TProgressWindow() {
        if (Handle) ::DestroyWindow(Handle);
    }
    TProgressWindow(const TProgressWindow&) = delete;
    TProgressWindow& operator=(const TProgressWindow&) = delete;

    HWND Handle = nullptr;  // null when the window could not be made: no progress messages then

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        } else if (message == ArcExtractMessage() && message != 0) {
            auto* self = reinterpret_cast<TProgressWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            if (self) return self->Owner_.HandleProgressMessage(wParam, lParam);
        }
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }

    TArchiveFile& Owner_;
};

TArchiveFile::TArchiveFile() = default;

TArchiveFile::~TArchiveFile() {
    try {
        CloseArchive();
    } catch (...) {
        // a library failing to close cannot be helped here
    }
    if (g_enumTarget == this) g_enumTarget = nullptr;
    ProgressWindow_.reset();
}

void TArchiveFile::SetFileName(const std::string& fileName) {
    SetArchiverType(DetectArchiveType(fileName, true));
    FileName_ = fileName;
}

void TArchiveFile::SetOutputSize(int n) {
    OutputBuffer_.assign(n > 0 ? static_cast<size_t>(n) : 0, '\0');
}

std::string TArchiveFile::OutputText() const {
    return std::string(OutputBuffer_.c_str());
}

HWND TArchiveFile::ProgressWindow() const {
    return ProgressWindow_ ? ProgressWindow_->Handle : nullptr;
}

void TArchiveFile::SetArchiverType(TArchiverType type) {
    if (Designing) {
        ArchiverType_ = type;
        return;
    }
    switch (type) {
        case TArchiverType::atGCA:
        case TArchiverType::atBel:
            if (!Loading) throw EArchiver(kRejectedTypeMessage);
            ArchiverType_ = type;
            return;
        case TArchiverType::atNone:
            return;
        case TArchiverType::atAutoDetect:
            ArchiverType_ = type;
            return;
        default:
            break;
    }
    std::unique_ptr<TArchiver> (*create)() = nullptr;
    for (const TFormatBackEnd& b : kBackEnds)
        if (b.Type == type) create = b.Create;
    // Created first: when its library cannot be loaded, the previous back-end stays.
    std::unique_ptr<TArchiver> archiver = create ? create() : nullptr;
    CloseArchive();
    Archiver_ = std::move(archiver);
    ArchiverType_ = type;
}

TArchiverType TArchiveFile::DetectArchiveType(const std::string& name, bool byExtension) {
    if (byExtension) {
        const std::string ext = LowerExtension(name);
        if (ext != ".exe") {
            for (const TExtensionType& e : kExtensions)
                if (ext == e.Extension) return e.Type;
            return TArchiverType::atNone;
        }
    }
    TArchiverType found = TArchiverType::atNone;
    for (const TFormatProbe& p : kProbes) {
        TArchiverType t = p.Probe(name);
        if (t != TArchiverType::atNone) found = t;
    }
    return found;
}

void TArchiveFile::AutoDetect() {
    if (ArchiverType_ == TArchiverType::atAutoDetect) SetArchiverType(DetectArchiveType(FileName_, false));
}

void TArchiveFile::CheckArchiver() const {
    if (!Archiver_) throw EArchiver(kNoBackEndMessage);
}

void TArchiveFile::BeforeOperation(const TArchiverOptions& options) {
    if (OnEnumMember || options.IncludeExtraStreams) {
        g_enumTarget = this;
        try {
            Archiver_->SetEnumMembersProc(&EnumMembersCallback, kEnumMemberInfoSize);
        } catch (...) {
            if (g_enumTarget == this) g_enumTarget = nullptr;
            throw;
        }
    }
    if (InternalProgress_ || OnProgress) {
        ArcExtractMessage();
        if (!ProgressWindow_) ProgressWindow_ = std::make_unique<TProgressWindow>(*this);
        try {
            if (ProgressWindow_->Handle) Archiver_->SetOwnerWindow(ProgressWindow_->Handle, nullptr);
        } catch (...) {
            // without an owner window the operation runs on, only without progress messages
        }
    }
}

void TArchiveFile::AfterOperation(const TArchiverOptions& options) {
    if (OnEnumMember || options.IncludeExtraStreams) {
        if (g_enumTarget == this) g_enumTarget = nullptr;
        Archiver_->ClearEnumMembersProc();
    }
    if (InternalProgress_ || OnProgress) {
        try {
            if (ProgressWindow_ && ProgressWindow_->Handle)
                Archiver_->KillOwnerWindow(ProgressWindow_->Handle);
        } catch (...) {
        }
    }
}

void TArchiveFile::DoProgress(int state, TProgressRecord* lpEis, bool& abort) {
    if (InternalProgress_) InternalProgress_(state, lpEis, abort);
    if (OnProgress) OnProgress(*this, state, lpEis, abort);
}

void TArchiveFile::KeepCallbackError() {
    if (!CallbackError_) CallbackError_ = std::current_exception();
}

void TArchiveFile::RaiseCallbackError() {
    if (!CallbackError_) return;
    std::exception_ptr error = CallbackError_;
    CallbackError_ = nullptr;
    std::rethrow_exception(error);
}

LRESULT TArchiveFile::HandleProgressMessage(WPARAM wParam, LPARAM lParam) {
    bool abort = false;
    try {
        DoProgress(static_cast<int>(wParam), reinterpret_cast<TProgressRecord*>(lParam), abort);
    } catch (...) {
        KeepCallbackError();
        abort = true;
    }
    return abort ? 1 : 0;
}

BOOL WINAPI TArchiveFile::EnumMembersCallback(TEnumMemberInfo64* member) {
    TArchiveFile* target = g_enumTarget;
    if (!target || !member) return TRUE;
    return target->HandleEnumMember(member);
}

BOOL TArchiveFile::HandleEnumMember(TEnumMemberInfo64* member) {
    bool abort = false;
    try {
        if (Archiver_) Archiver_->DoEnumMember(*member, Options_, abort);
        if (!abort && OnEnumMember) OnEnumMember(*this, *member, abort);
    } catch (...) {
        KeepCallbackError();
        abort = true;
    }
    return abort ? FALSE : TRUE;
}

int TArchiveFile::PackStep(HWND window, const TArchiverOptions& options, const std::string& baseDir,
                           const TFileList& files) {
    BeforeOperation(options);
    int result = 0;
    try {
        result = Archiver_->Pack(window, FileName_, options, baseDir, files,
                                 options.ResFileUsage.count(TResFileUse::ruOnPack) != 0, CommandLine_,
                                 OutputBuffer_);
    } catch (...) {
        try {
            AfterOperation(options);
        } catch (...) {
        }
        CallbackError_ = nullptr;
        throw;
    }
    AfterOperation(options);
    RaiseCallbackError();
    return result;
}

int TArchiveFile::Pack(HWND window, const TArchiverOptions* options, const std::string& baseDir,
                       const TFileList& files) {
    AutoDetect();
    CheckArchiver();
    const TArchiverOptions& opts = options ? *options : Options_;
    Archiver_->EnsureDLL();
    if (opts.PackFilter != TPackFilter::pfComponent) return PackStep(window, opts, baseDir, files);

    // The temporary stream files go, whichever way the packing ends.
    ostra::TTempFileList temp;
    TArchiverOptions work = opts;
    bool abort = false;
    const TStrings selected = SelectFiles(
        temp.Paths, work, baseDir,
        [this](UINT state, TProgressRecord* record, bool& stop) {
            DoProgress(static_cast<int>(state), record, stop);
        },
        files, abort);
    if (abort) return kPackAborted;
    if (!selected.empty()) {
        work.jx.clear();  // exclusions are applied already
        return PackStep(window, work, baseDir, TFileList{TFileArg(selected)});
    }
    if (!OutputBuffer_.empty()) OutputBuffer_[0] = '\0';
    return 0;
}

void TArchiveFile::CollectStreamFile(int state, TProgressRecord* lpEis, bool&) {
    if (state != static_cast<int>(kProgressStateFile) || !lpEis || !StreamOptions_ || !StreamList_) return;
    if (ostra::AnsiPos(FieldText(lpEis->SourceFileName), StreamOptions_->StreamSeparator) ==
        std::string::npos)
        return;
    StreamList_->Add(FieldText(lpEis->DestFileName));
}

int TArchiveFile::Extract(HWND window, const TArchiverOptions* options, const std::string& destDir,
                          const TFileList& files) {
    CommandLine_.clear();
    CheckArchiver();
    const TArchiverOptions& opts = options ? *options : Options_;
    if (opts.IncludeExtraStreams && !opts.StreamSeparator.empty()) {
        StreamList_.emplace();
        StreamOptions_ = &opts;
        InternalProgress_ = [this](int state, TProgressRecord* record, bool& abort) {
            CollectStreamFile(state, record, abort);
        };
    }
    int result = 0;
    std::exception_ptr error;
    try {
        BeforeOperation(opts);
        try {
            result = Archiver_->Extract(window, FileName_, opts, destDir, files,
                                        opts.ResFileUsage.count(TResFileUse::ruOnUnpack) != 0, CommandLine_,
                                        OutputBuffer_);
        } catch (...) {
            error = std::current_exception();
        }
        try {
            if (StreamList_) RestoreStreams(StreamList_->Items(), *StreamOptions_, destDir);
        } catch (...) {
            if (!error) error = std::current_exception();
        }
        try {
            AfterOperation(opts);
        } catch (...) {
            if (!error) error = std::current_exception();
        }
    } catch (...) {
        error = std::current_exception();  // BeforeOperation failed: nothing ran
    }
    StreamList_.reset();
    InternalProgress_ = nullptr;
    StreamOptions_ = nullptr;
    if (error) {
        CallbackError_ = nullptr;
        std::rethrow_exception(error);
    }
    RaiseCallbackError();
    return result;
}

bool TArchiveFile::CheckArchive(int mode) {
    AutoDetect();
    CheckArchiver();
    return Archiver_->CheckArchive(ExpandFileName(FileName_), mode, 0) != 0;
}

int TArchiveFile::OpenArchive(HWND window, DWORD mode) {
    AutoDetect();
    CheckArchiver();
    CloseArchive();
    ArchiveHandle_ = Archiver_->OpenArchive(window, FileName_, mode);
    return ArchiveHandle_ ? 0 : 1;
}

int TArchiveFile::FindFirst(const std::string& wildcard, TEntryRecord& entry) {
    if (!ArchiveHandle_ || !Archiver_) return -1;
    return Archiver_->FindFirst(ArchiveHandle_, entry, wildcard);
}

int TArchiveFile::FindNext(TEntryRecord& entry) {
    if (!ArchiveHandle_ || !Archiver_) return -1;
    return Archiver_->FindNext(ArchiveHandle_, entry);
}

void TArchiveFile::CloseArchive() {
    if (!ArchiveHandle_) return;
    HARC handle = ArchiveHandle_;
    ArchiveHandle_ = nullptr;
    if (Archiver_) Archiver_->CloseArchive(handle);
}

}  // namespace arc
