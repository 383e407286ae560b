#include "TarCommands.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <stdexcept>
#include <vector>

#include "CodePageNames.h"
#include "LocalDosTime.h"
#include "TarFormat.h"

namespace tardll {

namespace {

class CommandError : public std::runtime_error {
  public:
    CommandError(int code, const std::string& what) : std::runtime_error(what), Code(code) {}
    int Code;
};

int CodeOf(tarfmt::TTarFault f) {
    switch (f) {
        case tarfmt::TTarFault::NotArchive:
            return kErrNotArchive;
        case tarfmt::TTarFault::Broken:
            return kErrBroken;
        case tarfmt::TTarFault::Unsupported:
            return kErrNotSupported;
        case tarfmt::TTarFault::Read:
            return kErrRead;
        case tarfmt::TTarFault::Write:
            return kErrWrite;
    }
    return kErrInternal;
}

struct File {
    HANDLE H = INVALID_HANDLE_VALUE;
    explicit File(HANDLE h) : H(h) {}
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File() { Close(); }
    void Close() {
        if (H != INVALID_HANDLE_VALUE) ::CloseHandle(H);
        H = INVALID_HANDLE_VALUE;
    }
    explicit operator bool() const { return H != INVALID_HANDLE_VALUE; }
};

bool Lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
size_t Step(const std::string& s, size_t i) {
    return (Lead(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

std::string Slashed(std::string s) {
    for (size_t i = 0; i < s.size(); i += Step(s, i))
        if (s[i] == '\\') s[i] = '/';
    return s;
}

char Fold(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// "*" and "?" (double-byte characters whole), letters A to Z in either case.
bool Match(const std::string& p, size_t pi, const std::string& n, size_t ni) {
    while (pi < p.size()) {
        if (p[pi] == '*') {
            while (pi < p.size() && p[pi] == '*') ++pi;
            for (size_t k = ni; k <= n.size(); k += (k < n.size() ? Step(n, k) : 1))
                if (Match(p, pi, n, k)) return true;
            return false;
        }
        if (ni >= n.size()) return false;
        const size_t pl = Step(p, pi), nl = Step(n, ni);
        if (!(pl == 1 && p[pi] == '?')) {
            if (pl != nl) return false;
            if (pl == 1 ? Fold(p[pi]) != Fold(n[ni]) : p.compare(pi, 2, n, ni, 2) != 0) return false;
        }
        pi += pl;
        ni += nl;
    }
    return ni == n.size();
}

// The components of a stored name that stays below the destination; false for anything else.
// "." components are dropped: "./a" is "a", and "." alone is the destination itself (no parts).
bool SafeComponents(const std::string& name, std::vector<std::string>& parts) {
    parts.clear();
    const std::string s = Slashed(name);
    if (s.empty() || s[0] == '/') return false;
    std::string part;
    for (size_t i = 0; i <= s.size();) {
        if (i == s.size() || s[i] == '/') {
            if (part.empty() || part == "..") return false;
            if (part != ".") parts.push_back(part);
            part.clear();
            if (i == s.size()) break;
            ++i;
            continue;
        }
        const size_t l = Step(s, i);
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (l == 1 && (c < 0x20 || std::strchr(":*?\"<>|", c))) return false;
        part.append(s, i, l);
        i += l;
    }
    return true;
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> items;
    std::string item;
    bool quoted = false, any = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any) items.push_back(item);
            item.clear();
            any = false;
        } else {
            item += c;
            any = true;
        }
    }
    if (any) items.push_back(item);
    return items;
}

std::string FullPath(const std::string& path) {
    char buffer[MAX_PATH * 2];
    const DWORD n = ::GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    return (n == 0 || n >= sizeof buffer) ? path : std::string(buffer, n);
}

bool WriteAll(HANDLE h, const void* data, size_t n) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        DWORD w = 0;
        if (!::WriteFile(h, p, static_cast<DWORD>(std::min<size_t>(n, 1u << 20)), &w, nullptr) || w == 0)
            return false;
        p += w;
        n -= w;
    }
    return true;
}

bool MakeFolders(const std::string& path) {
    for (size_t i = 0; i < path.size(); i += Step(path, i)) {
        if (path[i] != '\\' || i == 0 || path[i - 1] == ':') continue;
        const std::string part = path.substr(0, i);
        const DWORD a = ::GetFileAttributesA(part.c_str());
        if (a == INVALID_FILE_ATTRIBUTES) {
            if (!::CreateDirectoryA(part.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
                return false;
        } else if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
            return false;
        }
    }
    return true;
}

FILETIME FromUnix(int64_t t) {
    const uint64_t ft = 116444736000000000ull + static_cast<uint64_t>(t < 0 ? 0 : t) * 10000000ull;
    return FILETIME{static_cast<DWORD>(ft), static_cast<DWORD>(ft >> 32)};
}
int64_t ToUnix(const FILETIME& f) {
    const uint64_t t = (uint64_t{f.dwHighDateTime} << 32) | f.dwLowDateTime;
    return t < 116444736000000000ull ? 0 : static_cast<int64_t>((t - 116444736000000000ull) / 10000000ull);
}

// The archive file as a source of tar bytes, through gzip when it is compressed.
struct OpenedTar {
    explicit OpenedTar(const std::string& path)
        : Handle(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                               nullptr)) {
        if (!Handle) {
            const DWORD e = ::GetLastError();
            throw CommandError(
                e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? kErrFileNotFound : kErrRead,
                "cannot open " + path);
        }
        unsigned char head[3] = {};
        DWORD got = 0;
        ::ReadFile(Handle.H, head, 3, &got, nullptr);
        ::SetFilePointer(Handle.H, 0, nullptr, FILE_BEGIN);
        Compression = tarfmt::CompressionOf(head, got);
        if (Compression == tarfmt::TCompression::Bzip2)
            throw CommandError(kErrNotSupported, "bzip2 is not supported");
        HANDLE h = Handle.H;
        tarfmt::TRead raw = [h](void* buffer, size_t size) -> long long {
            DWORD n = 0;
            if (!::ReadFile(h, buffer, static_cast<DWORD>(std::min<size_t>(size, 1u << 20)), &n, nullptr))
                return -1;
            return n;
        };
        Source = Compression == tarfmt::TCompression::Gzip ? tarfmt::GunzipSource(raw) : raw;
    }
    File Handle;
    tarfmt::TCompression Compression = tarfmt::TCompression::None;
    tarfmt::TRead Source;
};

// Every entry of the archive, read to its end (so that damaged gzip data shows before anything
// is written).
std::vector<tarfmt::TarEntry> ReadAllEntries(const std::string& path) {
    OpenedTar tar(path);
    tarfmt::TarReader reader(tar.Source);
    std::vector<tarfmt::TarEntry> entries;
    tarfmt::TarEntry e;
    while (reader.Next(e)) {
        reader.ReadData([](const void*, size_t) { return true; });
        entries.push_back(e);
    }
    // The rest of a gzip stream is read too: its CRC is checked at its end.
    char rest[4096];
    while (tar.Source(rest, sizeof rest) > 0) {
    }
    return entries;
}

enum class TNameState {
    Exact,           // the name in the code page
    NoCodePageForm,  // a character has no form there: shown as <U+XXXX>, never a file's name
    Malformed,       // declared UTF-8 and not: a damaged or forged name
};

struct Named {
    tarfmt::TarEntry Entry;
    std::string Name, Link;  // in the code page
    TNameState State = TNameState::Exact;
};

// A name in the code page: UTF-8 where the archive says so, or where the plain names of the
// archive are taken for UTF-8 (see TPlainNameVote); as stored otherwise.
TNameState LocalName(const std::string& stored, bool declaredUtf8, bool plainUtf8, std::string& name) {
    if (!declaredUtf8 && !(plainUtf8 && standin::HasHighBytes(stored))) {
        name = stored;
        return TNameState::Exact;
    }
    switch (standin::Utf8ToCodePage(stored, name)) {
        case standin::TNameForm::Exact:
            return TNameState::Exact;
        case standin::TNameForm::NoForm:
            return TNameState::NoCodePageForm;
        case standin::TNameForm::NotUtf8:
            break;
    }
    return TNameState::Malformed;
}

std::vector<Named> ReadAll(const std::string& path) {
    std::vector<tarfmt::TarEntry> entries = ReadAllEntries(path);
    standin::TPlainNameVote vote;
    for (const tarfmt::TarEntry& e : entries) {
        if (!e.NameIsUtf8) vote.Add(e.Name);
        if (!e.LinkIsUtf8) vote.Add(e.LinkName);
    }
    std::vector<Named> out(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        Named& n = out[i];
        n.Entry = std::move(entries[i]);
        n.State = LocalName(n.Entry.Name, n.Entry.NameIsUtf8, vote.Utf8(), n.Name);
        LocalName(n.Entry.LinkName, n.Entry.LinkIsUtf8, vote.Utf8(), n.Link);
    }
    return out;
}

// A response file: the names in it, one or more (quoted) to a line.
void ReadResponseFile(const std::string& path, std::vector<std::string>& names) {
    File in(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!in || !::GetFileSizeEx(in.H, &size)) throw CommandError(kErrRead, "cannot read " + path);
    if (size.QuadPart > (64 << 20)) throw CommandError(kErrRead, "response file too large: " + path);
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!text.empty() && (!::ReadFile(in.H, text.data(), static_cast<DWORD>(text.size()), &got, nullptr) ||
                          got != text.size()))
        throw CommandError(kErrRead, "cannot read " + path);
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        for (std::string& name : Split(line)) names.push_back(std::move(name));
    }
}

struct Line {
    std::string Word, Archive, Folder;
    std::vector<std::string> Names;
    bool IgnoreHidden = false, JunkPaths = false, Gzip = false;
    int Level = 6;
};

Line Parse(const std::string& text) {
    const std::vector<std::string> items = Split(text);
    Line l;
    if (items.empty()) throw CommandError(kErrBadCommand, "empty command line");
    l.Word = items[0];
    if (l.Word != "x" && l.Word != "c") throw CommandError(kErrBadCommand, "unknown command " + l.Word);
    for (size_t i = 1; i < items.size(); ++i) {
        const std::string& s = items[i];
        if (l.Archive.empty() && s == "-f" && i + 1 < items.size()) {
            l.Archive = items[++i];
        } else if (s == "-o" && i + 1 < items.size() && l.Folder.empty()) {
            l.Folder = items[++i];
        } else if (!l.Archive.empty()) {
            // After the archive every item is a name; "@file" naming an existing file is a
            // response file.
            const DWORD a =
                s.size() > 1 && s[0] == '@' ? ::GetFileAttributesA(s.c_str() + 1) : INVALID_FILE_ATTRIBUTES;
            if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY))
                ReadResponseFile(s.substr(1), l.Names);
            else
                l.Names.push_back(s);
        } else if (s == "-I") {
            l.IgnoreHidden = true;
        } else if (s == "-AH" || s == "--display-dialog=0" || s.rfind("--check-all-path=", 0) == 0) {
            // hidden files packed (the default), no dialog (none is ever shown), names always checked
        } else if (s == "--use-directory=0") {
            l.JunkPaths = true;
        } else if (s == "--use-directory=1") {
        } else if (s == "-z" || (s.size() == 3 && s[0] == '-' && s[1] == 'z' && s[2] >= '0' && s[2] <= '9')) {
            l.Gzip = true;
            if (s.size() == 3) l.Level = s[2] - '0';
        } else if (s.rfind("-B", 0) == 0 || s == "-g") {
            throw CommandError(kErrNotSupported, s + " is not supported");
        } else {
            throw CommandError(kErrBadCommand, "unknown switch " + s);
        }
    }
    if (l.Archive.empty()) throw CommandError(kErrBadCommand, "no archive named (-f)");
    return l;
}

int Extract(const Line& l, std::string& report) {
    const std::string path = FullPath(l.Archive);
    // First pass: every header, the data and the gzip CRC, and every name checked.
    const std::vector<Named> all = ReadAll(path);
    std::vector<bool> wanted(all.size(), l.Names.empty());
    std::vector<std::string> targets(all.size());
    std::string dest = l.Folder.empty() ? std::string(".\\") : l.Folder;
    if (dest.back() != '\\') dest += '\\';
    bool any = false;
    for (size_t i = 0; i < all.size(); ++i) {
        const Named& n = all[i];
        for (const std::string& p : l.Names) wanted[i] = wanted[i] || Match(Slashed(p), 0, n.Name, 0);
        if (!wanted[i]) continue;
        any = true;
        if (n.State == TNameState::NoCodePageForm) continue;  // never written: refused on its own below
        std::vector<std::string> parts;
        if (n.State == TNameState::Malformed || !SafeComponents(n.Name, parts) ||
            (parts.empty() && n.Entry.Type != tarfmt::TEntryType::Folder))
            throw CommandError(kErrUnsafeName, "unsafe entry name: " + n.Name);
        std::string t = dest;
        if (l.JunkPaths) {
            if (!parts.empty()) t += parts.back();
        } else {
            for (size_t k = 0; k < parts.size(); ++k) t += (k ? "\\" : "") + parts[k];
        }
        targets[i] = t;
    }
    if (!l.Names.empty() && !any) throw CommandError(kErrNoMatch, "no entry matches the names given");

    OpenedTar tar(path);
    tarfmt::TarReader reader(tar.Source);
    tarfmt::TarEntry e;
    // A name the code page cannot hold costs only its own entry; the command then ends in an error.
    bool refused = false;
    for (size_t i = 0; reader.Next(e) && i < all.size(); ++i) {
        if (!wanted[i]) continue;
        const Named& n = all[i];
        if (n.State == TNameState::NoCodePageForm) {
            report += "  refused: " + n.Name + " (the name has no Shift-JIS form)\r\n";
            refused = true;
            continue;
        }
        if (e.Type == tarfmt::TEntryType::Folder) {
            // The root folder ("./") is the destination itself.
            if (!l.JunkPaths && !MakeFolders(targets[i] == dest ? dest : targets[i] + "\\"))
                throw CommandError(kErrWrite, "cannot create " + targets[i]);
            continue;
        }
        if (e.Type != tarfmt::TEntryType::File) {
            report += "  skipped (not a file): " + n.Name + (n.Link.empty() ? "" : " -> " + n.Link) + "\r\n";
            continue;
        }
        const std::string& target = targets[i];
        if (!MakeFolders(target)) throw CommandError(kErrWrite, "cannot create the folder of " + target);
        // Beside the target first, so that a failure never leaves half a file in its place.
        const std::string temp = target + ".~tar" + std::to_string(::GetCurrentProcessId());
        File out(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
        if (!out) throw CommandError(kErrWrite, "cannot create " + temp);
        try {
            reader.ReadData([&](const void* d, size_t n) { return WriteAll(out.H, d, n); });
        } catch (...) {
            out.Close();
            ::DeleteFileA(temp.c_str());
            throw;
        }
        const FILETIME t = FromUnix(e.MTime);
        ::SetFileTime(out.H, nullptr, nullptr, &t);
        out.Close();
        ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!::MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            ::DeleteFileA(temp.c_str());
            throw CommandError(kErrWrite, "cannot replace " + target);
        }
        report += "  extracted: " + n.Name + "\r\n";
    }
    if (refused) throw CommandError(kErrNoShiftJis, "an entry name has no Shift-JIS form");
    return kOk;
}

struct Item {
    std::string Path, Stored;
    bool Folder = false;
    FILETIME Time{};
    uint64_t Size = 0;
};

void Collect(const std::string& base, const std::string& rel, bool ignoreHidden, std::vector<Item>& out) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    const std::string path = base + rel;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d))
        throw CommandError(kErrFileNotFound, "not found: " + rel);
    if (ignoreHidden && (d.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) return;
    std::vector<std::string> parts;
    if (!SafeComponents(rel, parts))
        throw CommandError(kErrUnsafeName, "not a name below the base folder: " + rel);
    Item it;
    it.Path = path;
    for (const std::string& p : parts) it.Stored += (it.Stored.empty() ? "" : "/") + p;
    it.Folder = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    it.Time = d.ftLastWriteTime;
    it.Size = (uint64_t{d.nFileSizeHigh} << 32) | d.nFileSizeLow;
    // The base folder itself ("."): only what it holds.
    if (!parts.empty()) out.push_back(it);
    if (!it.Folder || (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    std::vector<std::string> children;
    do {
        const std::string n = fd.cFileName;
        if (n != "." && n != "..") children.push_back(n);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
    for (const std::string& n : children) Collect(base, rel + "\\" + n, ignoreHidden, out);
}

int Create(const Line& l, std::string& report) {
    if (l.Names.empty()) throw CommandError(kErrBadCommand, "no files named");
    std::string base = FullPath(l.Folder.empty() ? std::string(".\\") : l.Folder);
    if (base.back() != '\\') base += '\\';
    std::vector<Item> items;
    for (const std::string& n : l.Names) Collect(base, n, l.IgnoreHidden, items);

    const std::string archive = FullPath(l.Archive);
    const std::string temp = archive + ".~tar" + std::to_string(::GetCurrentProcessId());
    File out(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr));
    if (!out) throw CommandError(kErrWrite, "cannot create " + temp);
    try {
        HANDLE h = out.H;
        tarfmt::TWrite raw = [h](const void* d, size_t n) { return WriteAll(h, d, n); };
        std::unique_ptr<tarfmt::GzipSink> gz;
        if (l.Gzip) gz = std::make_unique<tarfmt::GzipSink>(l.Level, raw);
        tarfmt::TWrite sink =
            gz ? tarfmt::TWrite([&](const void* d, size_t n) { return gz->Write(d, n); }) : raw;
        auto put = [&](const std::vector<unsigned char>& b) {
            if (!sink(b.data(), b.size())) throw CommandError(kErrWrite, "cannot write the archive");
        };
        for (const Item& it : items) {
            tarfmt::TarEntry e;
            e.Name = it.Stored;
            e.Type = it.Folder ? tarfmt::TEntryType::Folder : tarfmt::TEntryType::File;
            e.Size = it.Folder ? 0 : it.Size;
            e.MTime = ToUnix(it.Time);
            e.Mode = it.Folder ? 0755 : 0644;
            put(tarfmt::Headers(e));
            if (it.Folder) continue;
            File in(::CreateFileA(it.Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
            if (!in) throw CommandError(kErrRead, "cannot open " + it.Path);
            std::vector<unsigned char> buffer(1 << 16);
            uint64_t left = it.Size;
            while (left > 0) {
                DWORD got = 0;
                if (!::ReadFile(in.H, buffer.data(),
                                static_cast<DWORD>(std::min<uint64_t>(left, buffer.size())), &got, nullptr) ||
                    got == 0)
                    throw CommandError(kErrRead, it.Path + " changed while it was packed");
                if (!sink(buffer.data(), got)) throw CommandError(kErrWrite, "cannot write the archive");
                left -= got;
            }
            put(std::vector<unsigned char>(tarfmt::PaddingAfter(it.Size), 0));
            report += "  added: " + it.Stored + "\r\n";
        }
        put(tarfmt::EndBlocks());
        if (gz && !gz->Finish()) throw CommandError(kErrWrite, "cannot write the archive");
    } catch (const tarfmt::TarError& e) {
        out.Close();
        ::DeleteFileA(temp.c_str());
        throw CommandError(CodeOf(e.Fault), e.what());
    } catch (...) {
        out.Close();
        ::DeleteFileA(temp.c_str());
        throw;
    }
    out.Close();
    if (!::MoveFileExA(temp.c_str(), archive.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        ::DeleteFileA(temp.c_str());
        throw CommandError(kErrWrite, "cannot replace " + archive);
    }
    return kOk;
}

struct Listing {
    std::vector<Named> Entries;
    std::string Wildcard;
    size_t Next = 0;
    long Current = -1;
};
std::set<Listing*> g_listings;

Listing* Known(HANDLE h) {
    auto* l = static_cast<Listing*>(h);
    return g_listings.count(l) ? l : nullptr;
}

int Report(Listing* l, EntryInfo* out) {
    if (!l) return kErrBadHandle;
    auto wanted = [&](const Named& n) {
        return l->Wildcard.empty() || l->Wildcard == "*" || l->Wildcard == "*.*" ||
               Match(Slashed(l->Wildcard), 0, n.Name, 0);
    };
    while (l->Next < l->Entries.size() && !wanted(l->Entries[l->Next])) ++l->Next;
    if (l->Next >= l->Entries.size()) {
        l->Current = -1;
        return kFindEnd;
    }
    const std::string& name = l->Entries[l->Next].Name;
    const tarfmt::TarEntry& e = l->Entries[l->Next].Entry;
    l->Current = static_cast<long>(l->Next++);
    if (out) {
        std::memset(out, 0, sizeof *out);
        out->OriginalSize = static_cast<uint32_t>(std::min<uint64_t>(e.Size, 0xFFFFFFFFu));
        out->CompressedSize = out->OriginalSize;
        uint32_t dos = 0;
        if (ostra::FileTimeToLocalDos(FromUnix(e.MTime), dos)) {
            out->DosDate = static_cast<WORD>(dos >> 16);
            out->DosTime = static_cast<WORD>(dos);
        }
        std::memcpy(out->FileName, name.data(), std::min<size_t>(name.size(), 512));
        std::memcpy(out->Attribute, e.Type == tarfmt::TEntryType::Folder ? "---D-" : "-----", 5);
        std::memcpy(out->Method, "tar", 3);
    }
    return kOk;
}

template <typename F>
int Guard(F body) {
    try {
        return body();
    } catch (const CommandError& e) {
        return e.Code;
    } catch (const tarfmt::TarError& e) {
        return CodeOf(e.Fault);
    } catch (...) {
        return kErrInternal;
    }
}

}  // namespace

int RunTar(const std::string& line, std::string& report) {
    return Guard([&] {
        try {
            const Line l = Parse(line);
            return l.Word == "x" ? Extract(l, report) : Create(l, report);
        } catch (const std::exception& e) {
            report += std::string(e.what()) + "\r\n";
            throw;
        }
    });
}

int ArchiveType(const std::string& path) {
    try {
        OpenedTar tar(FullPath(path));
        tarfmt::TarReader reader(tar.Source);
        tarfmt::TarEntry e;
        reader.Next(e);
        return tar.Compression == tarfmt::TCompression::Gzip ? kTypeTarGzip : kTypeTar;
    } catch (const CommandError& e) {
        if (e.Code == kErrNotSupported) return kTypeTarBzip2;  // told by its signature only
        return kTypeUnknown;
    } catch (...) {
        return kTypeUnknown;
    }
}

bool CheckTarArchive(const std::string& path) {
    try {
        ReadAllEntries(FullPath(path));
        return true;
    } catch (...) {
        return false;
    }
}

HANDLE OpenListing(const std::string& path) {
    try {
        auto l = std::make_unique<Listing>();
        l->Entries = ReadAll(FullPath(path));
        g_listings.insert(l.get());
        return l.release();
    } catch (...) {
        return nullptr;
    }
}

int CloseListing(HANDLE archive) {
    Listing* l = Known(archive);
    if (!l) return kErrBadHandle;
    g_listings.erase(l);
    delete l;
    return kOk;
}

int FindFirstEntry(HANDLE archive, const std::string& wildcard, EntryInfo* entry) {
    Listing* l = Known(archive);
    if (!l) return kErrBadHandle;
    l->Wildcard = wildcard;
    l->Next = 0;
    return Report(l, entry);
}

int FindNextEntry(HANDLE archive, EntryInfo* entry) {
    return Report(Known(archive), entry);
}

bool CurrentWriteTime(HANDLE archive, FILETIME* time) {
    Listing* l = Known(archive);
    if (!l || !time || l->Current < 0) return false;
    *time = FromUnix(l->Entries[static_cast<size_t>(l->Current)].Entry.MTime);
    return true;
}

}  // namespace tardll
