#include "ArchivePruning.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "FileSystem.h"
#include "TextRoutines.h"
#include "WinHandles.h"
#include "ostra_consts.h"

namespace ostra {

namespace {

// Reads count digits at pos into value; false when one of them is not a digit.
bool Digits(const std::string& s, size_t pos, size_t count, int& value) {
    if (pos + count > s.size()) return false;
    value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
}

bool Text(const std::string& s, size_t pos, const char* text) {
    const size_t n = std::strlen(text);
    return pos + n <= s.size() && s.compare(pos, n, text) == 0;
}

int DaysIn(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

int64_t DateOf(int year, int month, int day, int hour, int minute) {
    if (year < 1601 || month < 1 || month > 12 || day < 1 || day > DaysIn(year, month) || hour > 23 ||
        minute > 59)
        return -1;
    return (((int64_t(year) * 100 + month) * 100 + day) * 100 + hour) * 100 + minute;
}

// "YYYY_MMDD_HHMM.lzh"
int64_t ShortFormDate(const std::string& n) {
    int y, mo, d, h, mi;
    if (n.size() != 18 || !Digits(n, 0, 4, y) || !Text(n, 4, "_") || !Digits(n, 5, 2, mo) ||
        !Digits(n, 7, 2, d) || !Text(n, 9, "_") || !Digits(n, 10, 2, h) || !Digits(n, 12, 2, mi) ||
        !Text(n, 14, ".lzh"))
        return -1;
    return DateOf(y, mo, d, h, mi);
}

// "YYYY年MM月DD日HH時MM分.lzh"; each of the five signs is one double-byte character.
int64_t LongFormDate(const std::string& n) {
    int y, mo, d, h, mi;
    if (n.size() != 26 || !Digits(n, 0, 4, y) || !Text(n, 4, "年") || !Digits(n, 6, 2, mo) ||
        !Text(n, 8, "月") || !Digits(n, 10, 2, d) || !Text(n, 12, "日") || !Digits(n, 14, 2, h) ||
        !Text(n, 16, "時") || !Digits(n, 18, 2, mi) || !Text(n, 20, "分") || !Text(n, 22, ".lzh"))
        return -1;
    return DateOf(y, mo, d, h, mi);
}

struct TFound {
    int64_t Date;
    std::string Name;
};

// 0 when the file went, else the reason it stayed.
DWORD Remove(const std::string& path, bool recycleBin) {
    if (!recycleBin) return ::DeleteFileA(path.c_str()) ? 0 : ::GetLastError();
    std::string from = path;
    from.push_back('\0');  // the shell takes a list ended by two NULs
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    const int result = ::SHFileOperationA(&op);
    // The shell's own codes are not the system's; the file still being there is what counts.
    if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
    return result != 0 ? static_cast<DWORD>(result) : ERROR_CANCELLED;
}

}  // namespace

int KeepArchivesOf(int value) {
    return std::clamp(value, 0, kMaxKeepArchives);
}

int64_t ArchiveNameDate(const std::string& name) {
    const int64_t d = ShortFormDate(name);
    return d >= 0 ? d : LongFormDate(name);
}

TPruneResult PruneOldArchives(const std::string& folder, int keep, const std::string& newArchive,
                              bool recycleBin, TLog log) {
    TPruneResult result;
    if (keep <= 0) return result;
    const std::string dir = AddBackslash(folder);
    const std::string made = AnsiLowerCase(newArchive);
    std::vector<TFound> found;
    {
        WIN32_FIND_DATAA fd;
        FindHandle find(::FindFirstFileA((dir + "*").c_str(), &fd));
        if (!find) return result;
        do {
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            const int64_t date = ArchiveNameDate(fd.cFileName);
            if (date < 0 || AnsiLowerCase(fd.cFileName) == made) continue;
            found.push_back({date, fd.cFileName});
        } while (::FindNextFileA(find.get(), &fd));
    }
    // The new archive is one of the kept; of the others, the newest keep - 1 stay. Two archives of
    // the same minute (one in each form) are ordered by name, so that every run picks alike.
    const size_t others = static_cast<size_t>(keep - 1);
    if (found.size() <= others) return result;
    std::sort(found.begin(), found.end(), [](const TFound& a, const TFound& b) {
        return a.Date != b.Date ? a.Date < b.Date : a.Name < b.Name;
    });
    found.resize(found.size() - others);
    for (const TFound& f : found) {
        const DWORD error = Remove(dir + f.Name, recycleBin);
        if (error == 0) {
            result.Removed.push_back(f.Name);
            log.Add("  " + f.Name + (recycleBin ? kLogOldArchiveRecycled : kLogOldArchiveRemoved));
        } else {
            const TFailReason reason = FailReasonOf(error);
            result.NotRemoved.push_back({f.Name, reason, error});
            log.Add(FailureLogLine(f.Name, reason, error, kLogOldArchiveNotRemoved));
        }
    }
    return result;
}

}  // namespace ostra
