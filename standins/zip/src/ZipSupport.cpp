#include "ZipSupport.h"

#include <algorithm>

#include "CodePageNames.h"
#include "LocalDosTime.h"
#include "ZipNames.h"
#include "ZipResult.h"

namespace zipdll {

int CodeOf(zipfmt::TZipFault fault) {
    switch (fault) {
        case zipfmt::TZipFault::NotArchive:
            return kErrNotArchive;
        case zipfmt::TZipFault::Broken:
            return kErrBroken;
        case zipfmt::TZipFault::Unsupported:
            return kErrMethod;
        case zipfmt::TZipFault::Crc:
            return kErrCrc;
        case zipfmt::TZipFault::Read:
            return kErrRead;
        case zipfmt::TZipFault::Write:
            return kErrWrite;
    }
    return kErrInternal;
}

FileSource::FileSource(const std::string& path) {
    File.reset(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!File) {
        const DWORD e = ::GetLastError();
        throw CommandError(
            e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? kErrFileNotFound : kErrRead,
            "cannot open " + path);
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(File.get(), &size)) throw CommandError(kErrRead, "cannot read " + path);
    Size_ = static_cast<uint64_t>(size.QuadPart);
}

bool FileSource::Read(uint64_t offset, void* buffer, size_t n) {
    if (!File) return false;
    char* out = static_cast<char*>(buffer);
    while (n > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(n, 1u << 20));
        DWORD got = 0;
        if (!::ReadFile(File.get(), out, chunk, &got, &at) || got == 0) return false;
        out += got;
        offset += got;
        n -= got;
    }
    return true;
}

OpenedArchive::OpenedArchive(const std::string& path) : Source(path) {
    try {
        Directory = zipfmt::ReadDirectory(Source);
    } catch (const zipfmt::ZipError& e) {
        throw CommandError(CodeOf(e.Fault), path + ": " + e.what());
    }
}

namespace {

// Unix and macOS: systems whose names are bytes, UTF-8 nowadays, which is what their zip tools
// store without saying so (Info-ZIP's zip on Debian sets neither the flag nor the Unicode path
// field). Windows and DOS tools store the code page.
bool FromUnixLikeHost(const zipfmt::ZipEntry& e) {
    return e.HostSystem() == 3 || e.HostSystem() == 19;
}

TLocalName FromUtf8(const std::string& utf8, bool declared) {
    TLocalName n;
    switch (standin::Utf8ToCodePage(utf8, n.Name)) {
        case standin::TNameForm::Exact:
            n.State = TNameState::Exact;
            break;
        case standin::TNameForm::NoForm:
            n.State = TNameState::NoCodePageForm;
            break;
        case standin::TNameForm::NotUtf8:
            // Declared UTF-8 and not: a damaged or forged name.
            n.State = declared ? TNameState::Malformed : TNameState::Exact;
            break;
    }
    return n;
}

}  // namespace

std::vector<TLocalName> LocalNames(const zipfmt::ZipDirectory& dir) {
    standin::TPlainNameVote vote;
    for (const zipfmt::ZipEntry& e : dir.Entries)
        if (!(e.Flags & zipfmt::kFlagUtf8) && e.UnicodeName.empty() && FromUnixLikeHost(e)) vote.Add(e.Name);
    const bool unixUtf8 = vote.Utf8();
    std::vector<TLocalName> names;
    names.reserve(dir.Entries.size());
    for (const zipfmt::ZipEntry& e : dir.Entries) {
        if (e.Flags & zipfmt::kFlagUtf8) {
            names.push_back(FromUtf8(e.Name, true));
            continue;
        }
        if (!e.UnicodeName.empty()) {
            TLocalName n = FromUtf8(e.UnicodeName, true);
            // A field that is no UTF-8 says nothing: the stored name stands.
            if (n.State == TNameState::Malformed) n = TLocalName{e.Name, TNameState::Exact};
            names.push_back(std::move(n));
            continue;
        }
        if (unixUtf8 && FromUnixLikeHost(e) && standin::HasHighBytes(e.Name)) {
            names.push_back(FromUtf8(e.Name, false));
            continue;
        }
        names.push_back(TLocalName{e.Name, TNameState::Exact});
    }
    return names;
}

std::string StoredName(const std::string& localName, uint16_t& flags) {
    const bool ascii = std::all_of(localName.begin(), localName.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) return localName;
    const int wn =
        ::MultiByteToWideChar(CP_ACP, 0, localName.data(), static_cast<int>(localName.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(wn > 0 ? wn : 0), L'\0');
    if (wn > 0)
        ::MultiByteToWideChar(CP_ACP, 0, localName.data(), static_cast<int>(localName.size()), wide.data(),
                              wn);
    const int un = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wn, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(un > 0 ? un : 0), '\0');
    if (un > 0) ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wn, utf8.data(), un, nullptr, nullptr);
    flags |= zipfmt::kFlagUtf8;
    return utf8;
}

namespace {
constexpr uint64_t kUnixEpoch = 116444736000000000ull;  // 1970-01-01 as a file time
}

uint32_t UnixTime(const FILETIME& utc) {
    const uint64_t t = (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
    if (t < kUnixEpoch) return 0;
    const uint64_t s = (t - kUnixEpoch) / 10000000ull;
    return s > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(s);
}

FILETIME EntryWriteTime(const zipfmt::ZipEntry& entry) {
    FILETIME utc{0, 0};
    if (entry.HasUnixTime) {
        const uint64_t t = kUnixEpoch + static_cast<uint64_t>(entry.UnixTime) * 10000000ull;
        utc.dwLowDateTime = static_cast<DWORD>(t);
        utc.dwHighDateTime = static_cast<DWORD>(t >> 32);
        return utc;
    }
    if (!ostra::LocalDosToFileTime(entry.DosDate, entry.DosTime, utc)) utc = FILETIME{0, 0};
    return utc;
}

void SetEntryTime(zipfmt::ZipEntry& entry, const FILETIME& utc) {
    uint32_t dos = 0;
    if (ostra::FileTimeToLocalDos(utc, dos)) {
        entry.DosDate = static_cast<uint16_t>(dos >> 16);
        entry.DosTime = static_cast<uint16_t>(dos);
    } else {  // 1980-01-01 for times the DOS form cannot hold
        entry.DosDate = 0x21;
        entry.DosTime = 0;
    }
    entry.HasUnixTime = true;
    entry.UnixTime = UnixTime(utc);
}

namespace {

bool EndsWithSeparator(const std::string& s) {
    if (s.empty()) return false;
    // The last whole character: step through double-byte ones.
    size_t last = 0;
    for (size_t i = 0; i < s.size();
         i += (zipfmt::IsLeadByte932(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1)
        last = i;
    return last == s.size() - 1 && (s[last] == '\\' || s[last] == '/');
}

void ReadResponseFile(const std::string& path, std::vector<std::string>& names) {
    FileSource src(path);
    if (src.Size() > (64u << 20)) throw CommandError(kErrResponseFile, "response file too large: " + path);
    std::string text(static_cast<size_t>(src.Size()), '\0');
    if (!text.empty() && !src.Read(0, text.data(), text.size()))
        throw CommandError(kErrResponseFile, "cannot read " + path);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        for (const std::string& item : zipfmt::SplitCommandLine(line)) names.push_back(item);
    }
}

}  // namespace

CommandParts ParseCommand(const std::string& line) {
    CommandParts parts;
    const std::vector<std::string> items = zipfmt::SplitCommandLine(line);
    size_t i = 0;
    // Switches stand before the archive; after it an item beginning with '-' is a name.
    while (i < items.size() && !items[i].empty() && items[i][0] == '-') parts.Switches.push_back(items[i++]);
    if (i >= items.size()) throw CommandError(kErrBadCommand, "no archive named");
    parts.Archive = items[i++];
    if (i < items.size() && EndsWithSeparator(items[i])) parts.Folder = items[i++];
    for (; i < items.size(); ++i) {
        const std::string& item = items[i];
        if (item.size() > 1 && item[0] == '@') {
            const std::string file = item.substr(1);
            const DWORD a = ::GetFileAttributesA(file.c_str());
            if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) {
                ReadResponseFile(file, parts.Names);
                continue;
            }
        }
        if (!item.empty()) parts.Names.push_back(item);
    }
    return parts;
}

void ReportLine(std::string& report, const std::string& line) {
    report += line;
    report += "\r\n";
}

void DeliverReport(const std::string& report, char* buffer, DWORD size) {
    if (!buffer || size == 0) return;
    const size_t n = std::min<size_t>(report.size(), size - 1);
    std::copy(report.begin(), report.begin() + static_cast<std::ptrdiff_t>(n), buffer);
    buffer[n] = '\0';
}

std::string FullPath(const std::string& path) {
    char buffer[MAX_PATH * 2];
    const DWORD n = ::GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (n == 0 || n >= sizeof buffer) return path;
    return std::string(buffer, n);
}

std::string LastComponent(const std::string& path) {
    const std::string s = zipfmt::SlashSeparated(path);
    std::string trimmed = s;
    while (!trimmed.empty() && trimmed.back() == '/') trimmed.pop_back();
    const size_t p = trimmed.rfind('/');
    return p == std::string::npos ? trimmed : trimmed.substr(p + 1);
}

std::string FolderOf(const std::string& path) {
    size_t cut = std::string::npos;
    for (size_t i = 0; i < path.size();
         i += (zipfmt::IsLeadByte932(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) ? 2 : 1)
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') cut = i;
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

bool MakeFolders(const std::string& path) {
    for (size_t i = 0; i < path.size();
         i += (zipfmt::IsLeadByte932(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) ? 2 : 1) {
        if ((path[i] == '\\' || path[i] == '/') && i > 0 && path[i - 1] != ':') {
            const std::string part = path.substr(0, i);
            const DWORD a = ::GetFileAttributesA(part.c_str());
            if (a == INVALID_FILE_ATTRIBUTES) {
                if (!::CreateDirectoryA(part.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
                    return false;
            } else if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
                return false;
            }
        }
    }
    return true;
}

TempBeside::TempBeside(const std::string& target) {
    std::string folder = FolderOf(target);
    if (folder.empty()) folder = ".\\";
    for (unsigned n = 0; n < 1000 && !File; ++n) {
        Path_ = folder + "~zip" + std::to_string(::GetCurrentProcessId()) + "_" +
                std::to_string(::GetTickCount() + n) + ".tmp";
        File.reset(::CreateFileA(Path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!File && ::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (!File) throw CommandError(kErrWrite, "cannot create a temporary file beside " + target);
}

TempBeside::~TempBeside() {
    File.reset();
    if (!Moved) ::DeleteFileA(Path_.c_str());
}

bool TempBeside::MoveOnto(const std::string& target) {
    File.reset();
    if (!::MoveFileExA(Path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    Moved = true;
    return true;
}

bool WriteAll(HANDLE file, const void* data, size_t n) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(n, 1u << 20));
        if (!::WriteFile(file, p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        n -= written;
    }
    return true;
}

}  // namespace zipdll
