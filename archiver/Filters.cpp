#include "Filters.h"

#include <cctype>
#include <cstring>
#include <map>

#include "Archiver.h"
#include "ExtStrms.h"
#include "FileSystem.h"
#include "TextRoutines.h"
#include "WideText.h"
#include "WinHandles.h"

namespace arc {

namespace {

// Days from 1970-01-01 to the given proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

const int64_t kEpochDays = DaysFromCivil(0, 1, 1);
const int64_t kSecondsTo1601 = (DaysFromCivil(1601, 1, 1) - kEpochDays) * 86400;

bool IsLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int Digits(const std::string& text, size_t pos, size_t count, const std::string& whole) {
    int v = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9')
            throw EConvertError("'" + whole + "' は正しい日付・時刻ではありません。");
        v = v * 10 + (text[i] - '0');
    }
    return v;
}

TDateBound EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                          const std::string& whole) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1 ||
        day > kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0) || hour > 23 || minute > 59 ||
        second > 59)
        throw EConvertError("'" + whole + "' は正しい日付・時刻ではありません。");
    return (DaysFromCivil(year, month, day) - kEpochDays) * 86400 + hour * 3600 + minute * 60 + second;
}

int CurrentYear() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return now.wYear;
}

// Makes BaseDir the current directory for one selection and puts the previous current
// directories back when it ends, whichever way.
class TCurrentDirGuard {
  public:
    explicit TCurrentDirGuard(const std::string& baseDir) {
        if (baseDir.empty()) return;
        Saved_ = CurrentDirectory();
        if (baseDir.size() >= 2 && baseDir[1] == ':' &&
            std::isalpha(static_cast<unsigned char>(baseDir[0]))) {
            // "C:" in full is the drive's own current folder, which the change below moves too.
            DriveDir_ = ExpandFileName(baseDir.substr(0, 2));
        }
        if (!::SetCurrentDirectoryA(baseDir.c_str())) {
            DWORD code = ::GetLastError();
            throw EInOutError(
                code, "フォルダ " + baseDir + " に移動できません。(I/O エラー " + std::to_string(code) + ")");
        }
        Active_ = true;
    }
    ~TCurrentDirGuard() {
        if (!Active_) return;
        // Failures here are of no use to the caller: the selection's own result or error counts.
        if (!DriveDir_.empty()) ::SetCurrentDirectoryA(DriveDir_.c_str());
        if (!Saved_.empty()) ::SetCurrentDirectoryA(Saved_.c_str());
    }
    TCurrentDirGuard(const TCurrentDirGuard&) = delete;
    TCurrentDirGuard& operator=(const TCurrentDirGuard&) = delete;

  private:
    static std::string CurrentDirectory() {
        DWORD n = ::GetCurrentDirectoryA(0, nullptr);
        std::string s(n, '\0');
        n = n ? ::GetCurrentDirectoryA(n, s.data()) : 0;
        s.resize(n < s.size() ? n : 0);
        return s;
    }
    std::string Saved_, DriveDir_;
    bool Active_ = false;
};

bool HasWildcard(const std::string& mask) {
    return mask.find_first_of("*?") != std::string::npos;
}

// The split of a name into its directory part (delimiter included) and its last component.
void SplitName(const std::string& name, std::string& dir, std::string& last) {
    size_t p = ostra::LastDelimiter(name, "/\\:");
    if (p == std::string::npos) {
        dir.clear();
        last = name;
    } else {
        dir = name.substr(0, p + 1);
        last = name.substr(p + 1);
    }
}

// Directory components of a path after its drive ("C:" or "\\server\share").
std::vector<std::string> DirParts(const std::string& dirPath, size_t driveLength) {
    std::vector<std::string> parts;
    std::string cur;
    for (size_t i = driveLength, next; i < dirPath.size(); i = next) {
        next = ostra::NextChar(dirPath, i);
        if (dirPath[i] == '\\' || dirPath[i] == '/') {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur.append(dirPath, i, next - i);
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}

bool SameText(const std::string& a, const std::string& b) {
    return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                            b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

// A name as the sorted lists and folder listings compare it: upper-cased UTF-16.
std::wstring CaseBlindKey(const std::string& name) {
    std::wstring key = ostra::AnsiToWide(name);
    if (!key.empty()) ::CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

// A search through the wide calls that hands out, in the ANSI record the selection works with,
// only the entries whose name has an exact ANSI form: an ANSI search would hand out "x?y.txt"
// (a wildcard) for "xĀy.txt" and "resume.txt" for "résumé.txt", other files' names.
// A short name without an exact form is left empty.
class TAnsiFind {
  public:
    explicit TAnsiFind(const std::string& pattern) {
        Handle_.reset(::FindFirstFileW(ostra::AnsiToWide(pattern).c_str(), &Found_));
        Pending_ = Handle_.valid();
    }
    bool Next(WIN32_FIND_DATAA& fd) {
        while (Pending_) {
            const bool taken = ToAnsi(Found_, fd);
            Pending_ = ::FindNextFileW(Handle_.get(), &Found_) != 0;
            if (taken) return true;
        }
        return false;
    }

  private:
    static bool ToAnsi(const WIN32_FIND_DATAW& w, WIN32_FIND_DATAA& a) {
        std::string name, shortName;
        if (!ostra::ExactAnsi(w.cFileName, name) || name.size() >= sizeof a.cFileName) return false;
        if (!ostra::ExactAnsi(w.cAlternateFileName, shortName) ||
            shortName.size() >= sizeof a.cAlternateFileName)
            shortName.clear();
        a = WIN32_FIND_DATAA{};
        a.dwFileAttributes = w.dwFileAttributes;
        a.ftCreationTime = w.ftCreationTime;
        a.ftLastAccessTime = w.ftLastAccessTime;
        a.ftLastWriteTime = w.ftLastWriteTime;
        a.nFileSizeHigh = w.nFileSizeHigh;
        a.nFileSizeLow = w.nFileSizeLow;
        a.dwReserved0 = w.dwReserved0;
        a.dwReserved1 = w.dwReserved1;
        std::memcpy(a.cFileName, name.c_str(), name.size() + 1);
        std::memcpy(a.cAlternateFileName, shortName.c_str(), shortName.size() + 1);
        return true;
    }
    ostra::FindHandle Handle_;
    WIN32_FIND_DATAW Found_{};
    bool Pending_ = false;
};

// The items of the folder a selection searched last, by name (long or short, letter case
// ignored). The programs hand over every file of a backup by name, and a search per name costs a
// handle each time: the folder is listed once the second name in it comes. A name the listing
// does not hold, or holds for two items (a folder that tells letter case apart), is searched for
// by itself as before.
class TFolderNames {
  public:
    bool Find(const std::string& dir, const std::string& name, WIN32_FIND_DATAA& fd) {
        if (dir != Dir_) {
            Dir_ = dir;
            Listed_ = false;
            Items_.clear();
            return false;
        }
        if (!Listed_) {
            List();
            Listed_ = true;
        }
        const auto it = Items_.find(CaseBlindKey(name));
        if (it == Items_.end() || it->second.Ambiguous) return false;
        fd = it->second.Data;
        return true;
    }

  private:
    struct TItem {
        WIN32_FIND_DATAA Data;
        bool Ambiguous;
    };
    void List() {
        TAnsiFind find(JoinPath(Dir_, "*.*"));
        WIN32_FIND_DATAA fd;
        while (find.Next(fd)) {
            Put(fd.cFileName, fd);
            if (fd.cAlternateFileName[0]) Put(fd.cAlternateFileName, fd);
        }
    }
    void Put(const char* name, const WIN32_FIND_DATAA& fd) {
        const auto [it, added] = Items_.try_emplace(CaseBlindKey(name), TItem{fd, false});
        if (!added && std::strcmp(it->second.Data.cFileName, fd.cFileName) != 0) it->second.Ambiguous = true;
    }
    std::string Dir_;
    bool Listed_ = false;
    std::map<std::wstring, TItem> Items_;
};

// One selection run over the options of one Pack.
class TFileSelector {
  public:
    TFileSelector(const TArchiverOptions& options, const std::string& baseDir, TStrings& tempFiles,
                  bool& abort, const TStreamAdder& addStreams)
        : Options_(options),
          BaseDir_(baseDir),
          TempFiles_(tempFiles),
          Abort_(abort),
          StreamAdder_(addStreams) {}

    TSortedList SelectInto(const TStrings& names, const TSortedList* exclusions,
                           const TSelectProgress* progress, bool selectAllWhenEmpty, bool includeStreams) {
        Result_ = TSortedList();
        Exclusions_ = exclusions;
        Progress_ = progress && *progress ? progress : nullptr;
        IncludeStreams_ = includeStreams;
        std::memset(&Record_, 0, sizeof Record_);
        DateFrom_ = ParseDate(Options_.jo, "000000");
        DateTo_ = ParseDate(Options_.job, "235959");
        FileMask_ = Options_.a >= 1 ? kAllFileMask : kPlainFileMask;
        if (names.empty()) {
            if (selectAllWhenEmpty) Walk("", "", "*.*");
        } else {
            for (const std::string& name : names) {
                if (Abort_) break;
                if (Options_.r >= 2 && ostra::DirectoryExists(name)) {
                    Walk(name, name, "*.*");
                } else {
                    std::string dir, mask;
                    SplitName(name, dir, mask);
                    Walk(dir, dir, mask);
                }
            }
        }
        return std::move(Result_);
    }

  private:
    // Dir is where to search, EntryDir the same folder as entry names spell it (short names with ji).
    void Walk(const std::string& dir, const std::string& entryDir, const std::string& mask) {
        WIN32_FIND_DATAA fd;
        // Items whose attributes lie outside the mask are not reported (volume labels and folders
        // never are).
        const DWORD exclude =
            ~FileMask_ & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 | FILE_ATTRIBUTE_DIRECTORY);
        auto consider = [&] {
            if (IsDots(fd) || (fd.dwFileAttributes & exclude) || IsOwnTempFile(dir, fd)) return;
            const TDateBound t = FileTimeToDateBound(fd.ftLastWriteTime);
            if ((DateFrom_ == 0 || DateFrom_ <= t) && (DateTo_ == 0 || t <= DateTo_))
                AddEntry(EntryName(entryDir, fd), JoinPath(dir, fd.cFileName), fd);
        };
        if (!HasWildcard(mask) && Folder_.Find(dir, mask, fd)) {
            consider();
        } else {
            TAnsiFind find(JoinPath(dir, mask));
            while (find.Next(fd)) {
                if (Abort_) return;
                consider();
            }
        }
        if (Options_.r >= 1 && (Options_.p <= 0 || HasWildcard(mask))) {
            TAnsiFind find(JoinPath(dir, "*.*"));
            while (find.Next(fd)) {
                if (Abort_) return;
                if (IsDots(fd) || !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
                // A junction or link may lead to an ancestor (a loop) or another drive: as in the
                // engine's walks, it is never entered.
                if (ostra::IsLinkToElsewhere(fd)) continue;
                Walk(JoinPath(dir, fd.cFileName), JoinPath(entryDir, ItemName(fd)), mask);
            }
        }
    }

    static bool IsDots(const WIN32_FIND_DATAA& fd) {
        return std::strcmp(fd.cFileName, ".") == 0 || std::strcmp(fd.cFileName, "..") == 0;
    }

    // A stream file this selection wrote, met again by a later search of its folder: under its
    // short name (ji) it would be packed a second time, and its own streams would be looked for.
    bool IsOwnTempFile(const std::string& dir, const WIN32_FIND_DATAA& fd) const {
        return !OwnTempFiles_.Empty() && OwnTempFiles_.Contains(ExpandFileName(JoinPath(dir, fd.cFileName)));
    }

    std::string ItemName(const WIN32_FIND_DATAA& fd) const {
        return Options_.ji >= 1 && fd.cAlternateFileName[0] ? fd.cAlternateFileName : fd.cFileName;
    }

    std::string EntryName(const std::string& entryDir, const WIN32_FIND_DATAA& fd) const {
        std::string name = JoinPath(entryDir, ItemName(fd));
        if (Options_.jf == -2 && !BaseDir_.empty()) name = ExtractRelativePath(BaseDir_, name);
        return name;
    }

    void AddEntry(const std::string& entryName, const std::string& fullPath, const WIN32_FIND_DATAA& fd) {
        if (Exclusions_ && Exclusions_->Contains(entryName)) return;
        const size_t before = Result_.Count();
        Result_.Add(entryName);
        if (IncludeStreams_) {
            TStrings streams;
            const size_t made = TempFiles_.size();
            if (StreamAdder_)
                StreamAdder_(streams, TempFiles_, fullPath, Options_, fd, entryName);
            else
                AddStreams(streams, TempFiles_, fullPath, Options_, fd, entryName, &Volumes_);
            for (size_t i = made; i < TempFiles_.size(); ++i) OwnTempFiles_.Add(TempFiles_[i]);
            for (const std::string& s : streams) Result_.Add(s);
        }
        if (Result_.Count() > before && Progress_) {
            std::memset(Record_.SourceFileName, 0, sizeof Record_.SourceFileName);
            std::memcpy(Record_.SourceFileName, entryName.data(),
                        entryName.size() < sizeof Record_.SourceFileName ? entryName.size()
                                                                         : sizeof Record_.SourceFileName);
            (*Progress_)(kSelectProgressState, &Record_, Abort_);
        }
    }

    const TArchiverOptions& Options_;
    const std::string& BaseDir_;
    TStrings& TempFiles_;
    bool& Abort_;
    const TStreamAdder& StreamAdder_;

    TSortedList Result_;
    const TSortedList* Exclusions_ = nullptr;
    const TSelectProgress* Progress_ = nullptr;
    bool IncludeStreams_ = false;
    TProgressRecord Record_{};
    TDateBound DateFrom_ = 0, DateTo_ = 0;
    TStreamVolumes Volumes_;    // for this run only
    TSortedList OwnTempFiles_;  // absolute paths, as in TempFiles_
    TFolderNames Folder_;
    DWORD FileMask_ = kPlainFileMask;
};

}  // namespace

std::wstring TSortedList::KeyOf(const std::string& name) {
    return CaseBlindKey(name);
}

bool TSortedList::Add(const std::string& name) {
    return Items_.insert(TItem{KeyOf(name), name}).second;
}

bool TSortedList::Contains(const std::string& name) const {
    return Items_.count(TItem{KeyOf(name), std::string()}) != 0;
}

TStrings TSortedList::Items() const {
    TStrings out;
    out.reserve(Items_.size());
    for (const TItem& item : Items_) out.push_back(item.Name);
    return out;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    // "sub/" and "C:" are complete directory parts too: a backslash after them would change the name.
    size_t last = ostra::LastDelimiter(dir, "\\/:");
    if (last == dir.size() - 1) return dir + name;
    return dir + "\\" + name;
}

TDateBound ParseDate(const std::string& text, const std::string& defaultTime) {
    std::string t = text;
    if (t.size() > 1 && t[0] == 'l') t.erase(0, 1);
    int year, month, day;
    std::string time;
    if (t.size() == 6 || t.size() == 12) {
        year = Digits(t, 0, 2, text) + 100 * (CurrentYear() / 100);
        month = Digits(t, 2, 2, text);
        day = Digits(t, 4, 2, text);
        time = t.size() == 12 ? t.substr(6) : defaultTime;
    } else if (t.size() == 8 || t.size() == 14) {
        year = Digits(t, 0, 4, text);
        month = Digits(t, 4, 2, text);
        day = Digits(t, 6, 2, text);
        time = t.size() == 14 ? t.substr(8) : defaultTime;
    } else {
        return 0;
    }
    return EncodeDateTime(year, month, day, Digits(time, 0, 2, text), Digits(time, 2, 2, text),
                          Digits(time, 4, 2, text), text);
}

TDateBound FileTimeToDateBound(const FILETIME& utc) {
    FILETIME local;
    if (!::FileTimeToLocalFileTime(&utc, &local)) local = utc;
    const uint64_t v = (static_cast<uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
    return kSecondsTo1601 + static_cast<int64_t>(v / 10000000ULL);
}

std::string ExtractRelativePath(const std::string& baseName, const std::string& destName) {
    const std::string basePath = ostra::ExtractFilePath(baseName);
    const std::string destPath = ostra::ExtractFilePath(destName);
    const std::string baseDrive = ostra::ExtractFileDrive(basePath),
                      destDrive = ostra::ExtractFileDrive(destPath);
    if (baseDrive.empty() || destDrive.empty() || !SameText(baseDrive, destDrive)) return destName;
    std::vector<std::string> base = DirParts(basePath, baseDrive.size());
    std::vector<std::string> dest = DirParts(destPath, destDrive.size());
    size_t common = 0;
    while (common < base.size() && common < dest.size() && SameText(base[common], dest[common])) ++common;
    std::string result;
    for (size_t i = common; i < base.size(); ++i) result += "..\\";
    for (size_t i = common; i < dest.size(); ++i) result += dest[i] + "\\";
    return result + ostra::ExtractFileName(destName);
}

TStrings SelectFiles(TStrings& tempFiles, TArchiverOptions& options, const std::string& baseDir,
                     const TSelectProgress& progress, const TFileList& files, bool& abort,
                     const TStreamAdder& addStreams) {
    TCurrentDirGuard currentDir(baseDir);
    const TStrings names = FlattenFiles(files, true);
    TFileSelector selector(options, baseDir, tempFiles, abort, addStreams);
    // Exclusions need no stream files: the streams of an excluded file are never looked at.
    const TSortedList exclusions = selector.SelectInto(options.jx, nullptr, nullptr, false, false);
    TSortedList result =
        selector.SelectInto(names, &exclusions, &progress, true, options.IncludeExtraStreams);
    options.r = -1;
    options.p = 1;
    options.jo = kUnsetText;
    options.job = kUnsetText;
    return result.Items();
}

}  // namespace arc
