#include "ZipCommands.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "ZipNames.h"
#include "ZipResult.h"
#include "ZipSupport.h"

namespace zipdll {

namespace {

enum class Mode { Add, Freshen, Delete, Adjust };

struct PackOptions {
    Mode Command = Mode::Add;
    bool System = false;       // -S: hidden and system files too
    bool NoFolders = false;    // -D: no entries for folders
    bool Recurse = false;      // -r: into named folders
    bool ArchiveTime = false;  // -o: the archive gets the time of its newest entry
    bool UpdateOnly = false;   // -u: only new files and files newer than their entries
    bool JunkPaths = false;    // -j: names without their folders
    bool JunkPrefix = false;   // -J: a self-extractor's program is dropped
    bool Quiet = false;        // -q
    bool Verbose = false;      // -v
    int Level = 6;             // -0 stores, -1 to -9 deflate
};

PackOptions ReadSwitches(const std::vector<std::string>& switches) {
    PackOptions o;
    for (const std::string& s : switches) {
        if (s == "-S")
            o.System = true;
        else if (s == "-D")
            o.NoFolders = true;
        else if (s == "-r")
            o.Recurse = true;
        else if (s == "-o")
            o.ArchiveTime = true;
        else if (s == "-u")
            o.UpdateOnly = true;
        else if (s == "-j")
            o.JunkPaths = true;
        else if (s == "-J")
            o.JunkPrefix = true;
        else if (s == "-q")
            o.Quiet = true;
        else if (s == "-v")
            o.Verbose = true;
        else if (s == "-d")
            o.Command = Mode::Delete;
        else if (s == "-f")
            o.Command = Mode::Freshen;
        else if (s == "-A")
            o.Command = Mode::Adjust;
        else if (s.size() == 2 && s[1] >= '0' && s[1] <= '9')
            o.Level = s[1] - '0';
        else if (s == "-FF" || s == "-k")
            throw CommandError(kErrNotSupported, s + " is not supported");
        else
            throw CommandError(kErrBadCommand, "unknown switch " + s);
    }
    return o;
}

// A file or folder on disk to pack.
struct Candidate {
    std::string Path;    // full path
    std::string Stored;  // name in the archive, in the code page ('/' separated; folders end in '/')
    bool Folder = false;
    FILETIME WriteTime{};
    DWORD Attributes = 0;
    uint64_t Size = 0;
};

bool Hidden(DWORD attributes) {
    return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

class Collector {
  public:
    Collector(const std::string& base, const PackOptions& o) : Base(base), Options(o) {}

    void AddName(const std::string& pattern) {
        const std::string slashed = zipfmt::SlashSeparated(pattern);
        std::string literal;
        if (zipfmt::LiteralOf(slashed, literal)) {
            std::string rel = literal;
            for (char& c : rel) c = (c == '/') ? '\\' : c;  // '/' is never a trail byte
            WIN32_FILE_ATTRIBUTE_DATA d;
            if (!::GetFileAttributesExA((Base + rel).c_str(), GetFileExInfoStandard, &d))
                throw CommandError(kErrFileNotFound, "not found: " + literal);
            Add(rel, d.dwFileAttributes, d.ftLastWriteTime,
                (uint64_t{d.nFileSizeHigh} << 32) | d.nFileSizeLow);
            if ((d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && Options.Recurse) Walk(rel + "\\", nullptr);
            return;
        }
        const size_t before = Found.size();
        Walk("", &slashed);
        if (Found.size() == before) throw CommandError(kErrNoMatch, "no file matches " + pattern);
    }

    std::vector<Candidate> Found;
    std::vector<std::string> Skipped;

  private:
    void Add(const std::string& rel, DWORD attributes, const FILETIME& time, uint64_t size) {
        const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (folder && Options.NoFolders) return;
        if (Hidden(attributes) && !Options.System) {
            Skipped.push_back(rel);
            return;
        }
        Candidate c;
        c.Path = Base + rel;
        std::string stored = zipfmt::SlashSeparated(rel);
        if (Options.JunkPaths) {
            if (folder) return;
            stored = LastComponent(stored);
        }
        // A name that climbs out of the base folder would climb out of the destination too.
        std::vector<std::string> components;
        if (!zipfmt::SafeComponents(stored, components))
            throw CommandError(kErrUnsafeName, "not a name below the base folder: " + rel);
        if (components.empty()) return;  // the base folder itself ("."): only what it holds
        stored = zipfmt::JoinedComponents(components);
        c.Stored = folder ? stored + "/" : stored;
        c.Folder = folder;
        c.WriteTime = time;
        c.Attributes = attributes;
        c.Size = size;
        std::string key = c.Stored;
        ::CharUpperBuffA(key.data(), static_cast<DWORD>(key.size()));
        if (!Seen.insert(key).second) {
            if (Options.JunkPaths)
                throw CommandError(kErrBadCommand, "name in the archive repeated: " + c.Stored);
            return;
        }
        Found.push_back(std::move(c));
    }

    // Everything below Base + rel (links not followed); with a pattern only the files it matches.
    void Walk(const std::string& rel, const std::string* pattern) {
        WIN32_FIND_DATAA fd;
        FindHandle h(::FindFirstFileA((Base + rel + "*").c_str(), &fd));
        if (!h) return;
        std::vector<std::string> folders;
        do {
            const std::string n = fd.cFileName;
            if (n == "." || n == "..") continue;
            const std::string child = rel + n;
            const bool folder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
            if (folder) {
                if (!pattern) Add(child, fd.dwFileAttributes, fd.ftLastWriteTime, 0);
                folders.push_back(child);
            } else if (!pattern || zipfmt::WildMatch(*pattern, zipfmt::SlashSeparated(child))) {
                Add(child, fd.dwFileAttributes, fd.ftLastWriteTime,
                    (uint64_t{fd.nFileSizeHigh} << 32) | fd.nFileSizeLow);
            }
        } while (::FindNextFileA(h.get(), &fd));
        for (const std::string& f : folders) Walk(f + "\\", pattern);
    }

    std::string Base;
    const PackOptions& Options;
    std::set<std::string> Seen;
};

// One entry of the archive being written: kept from the old one, or made from a file.
struct OutEntry {
    const zipfmt::ZipEntry* Kept = nullptr;
    const Candidate* New = nullptr;
};

uint64_t Position(HANDLE file) {
    LARGE_INTEGER zero{}, at{};
    ::SetFilePointerEx(file, zero, &at, FILE_CURRENT);
    return static_cast<uint64_t>(at.QuadPart);
}

void Seek(HANDLE file, uint64_t to) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(to);
    if (!::SetFilePointerEx(file, at, nullptr, FILE_BEGIN))
        throw CommandError(kErrWrite, "cannot seek in the archive");
}

void Write(HANDLE file, const std::vector<unsigned char>& bytes) {
    if (!WriteAll(file, bytes.data(), bytes.size()))
        throw CommandError(kErrWrite, "cannot write the archive");
}

void CopyRange(zipfmt::ByteSource& src, uint64_t offset, uint64_t n, HANDLE out) {
    std::vector<unsigned char> buffer(1 << 16);
    while (n > 0) {
        const size_t chunk = static_cast<size_t>(std::min<uint64_t>(n, buffer.size()));
        if (!src.Read(offset, buffer.data(), chunk))
            throw CommandError(kErrRead, "cannot read the old archive");
        if (!WriteAll(out, buffer.data(), chunk)) throw CommandError(kErrWrite, "cannot write the archive");
        offset += chunk;
        n -= chunk;
    }
}

void CheckOffset(uint64_t offset) {
    if (offset > zipfmt::kMaxOffset) throw CommandError(kErrTooLarge, "the archive would reach 4 GiB");
}

// Writes the file's data after a placeholder header, deflated or (when that does not make it
// smaller) stored, then the header again with the sizes and the CRC.
zipfmt::ZipEntry PackFile(const Candidate& c, int level, HANDLE out, uint64_t headerAt, std::string& report) {
    zipfmt::ZipEntry e;
    e.VersionMadeBy = 20;  // MS-DOS attributes, version 2.0
    e.Name = StoredName(c.Stored, e.Flags);
    SetEntryTime(e, c.WriteTime);
    e.ExternalAttributes = c.Attributes & 0x37;
    e.LocalHeaderOffset = headerAt;
    if (c.Folder) {
        e.Method = zipfmt::kMethodStored;
        e.ExternalAttributes |= FILE_ATTRIBUTE_DIRECTORY;
        Write(out, zipfmt::LocalHeader(e));
        return e;
    }
    if (c.Size > 0xFFFFFFFEull) throw CommandError(kErrTooLarge, c.Stored + " is 4 GiB or larger");
    FileHandle in(::CreateFileA(c.Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) throw CommandError(kErrRead, "cannot open " + c.Path);
    e.Method = level > 0 ? zipfmt::kMethodDeflated : zipfmt::kMethodStored;
    Write(out, zipfmt::LocalHeader(e));
    const uint64_t dataAt = Position(out);
    auto read = [&](void* buffer, size_t n) -> long long {
        DWORD got = 0;
        if (!::ReadFile(in.get(), buffer, static_cast<DWORD>(n), &got, nullptr)) return -1;
        return got;
    };
    auto write = [&](const void* data, size_t n) { return WriteAll(out, data, n); };
    zipfmt::DeflateResult r;
    try {
        if (level > 0) r = zipfmt::Deflate(level, read, write);
        if (level == 0 || r.CompressedSize >= r.OriginalSize) {
            // Stored: from the start of the file again.
            Seek(out, dataAt);
            ::SetEndOfFile(out);
            LARGE_INTEGER zero{};
            ::SetFilePointerEx(in.get(), zero, nullptr, FILE_BEGIN);
            e.Method = zipfmt::kMethodStored;
            r = zipfmt::DeflateResult{};
            std::vector<unsigned char> buffer(1 << 16);
            for (;;) {
                const long long got = read(buffer.data(), buffer.size());
                if (got < 0) throw CommandError(kErrRead, "cannot read " + c.Path);
                if (got == 0) break;
                if (!write(buffer.data(), static_cast<size_t>(got)))
                    throw CommandError(kErrWrite, "cannot write the archive");
                r.Crc = zipfmt::Crc32(r.Crc, buffer.data(), static_cast<size_t>(got));
                r.OriginalSize += static_cast<uint64_t>(got);
            }
            r.CompressedSize = r.OriginalSize;
        }
    } catch (const zipfmt::ZipError& err) {
        throw CommandError(CodeOf(err.Fault), c.Path + ": " + err.what());
    }
    if (r.OriginalSize > 0xFFFFFFFEull) throw CommandError(kErrTooLarge, c.Stored + " is 4 GiB or larger");
    e.Crc = r.Crc;
    e.CompressedSize = static_cast<uint32_t>(r.CompressedSize);
    e.OriginalSize = static_cast<uint32_t>(r.OriginalSize);
    const uint64_t end = Position(out);
    Seek(out, headerAt);
    Write(out, zipfmt::LocalHeader(e));
    Seek(out, end);
    const unsigned percent =
        e.OriginalSize ? static_cast<unsigned>(100 - uint64_t{e.CompressedSize} * 100 / e.OriginalSize) : 0;
    ReportLine(report,
               "  adding: " + c.Stored +
                   (e.Method == zipfmt::kMethodStored ? " (stored 0%)"
                                                      : " (deflated " + std::to_string(percent) + "%)"));
    return e;
}

// Writes the archive into a temporary file beside target and puts it in target's place.
void WriteArchive(const std::string& target, OpenedArchive* old, bool keepPrefix,
                  const std::vector<OutEntry>& entries, const PackOptions& o, std::string& report) {
    if (entries.size() > zipfmt::kMaxEntries) throw CommandError(kErrTooLarge, "more than 65535 entries");
    TempBeside temp(target);
    HANDLE out = temp.Handle();
    if (old && keepPrefix && old->Directory.PrefixSize > 0)
        CopyRange(old->Source, 0, old->Directory.PrefixSize, out);
    std::vector<zipfmt::ZipEntry> written;
    FILETIME newest{0, 0};
    for (const OutEntry& item : entries) {
        const uint64_t at = Position(out);
        CheckOffset(at);
        zipfmt::ZipEntry e;
        if (item.Kept) {
            e = *item.Kept;
            uint64_t data = 0;
            try {
                data = zipfmt::DataOffset(old->Source, e, old->Directory.DirectoryOffset);
            } catch (const zipfmt::ZipError& err) {
                throw CommandError(CodeOf(err.Fault), err.what());
            }
            e.LocalHeaderOffset = at;
            Write(out, zipfmt::LocalHeader(e));
            CopyRange(old->Source, data, e.CompressedSize, out);
        } else {
            e = PackFile(*item.New, o.Level, out, at, report);
        }
        const FILETIME t = EntryWriteTime(e);
        if (::CompareFileTime(&t, &newest) > 0) newest = t;
        written.push_back(std::move(e));
    }
    const uint64_t directoryAt = Position(out);
    CheckOffset(directoryAt);
    for (const zipfmt::ZipEntry& e : written) Write(out, zipfmt::CentralHeader(e));
    const uint64_t directorySize = Position(out) - directoryAt;
    CheckOffset(directoryAt + directorySize);
    Write(out, zipfmt::EndRecord(written.size(), directorySize, directoryAt));
    if (o.ArchiveTime && !written.empty()) ::SetFileTime(out, nullptr, nullptr, &newest);
    if (!::FlushFileBuffers(out)) throw CommandError(kErrWrite, "cannot write the archive");
    // The old archive is read up to here; open, it could not be replaced.
    if (old) old->Source.Close();
    if (!temp.MoveOnto(target)) throw CommandError(kErrWrite, "cannot replace " + target);
}

std::string Upper(std::string s) {
    ::CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

// The entry is older than the file (by more than the DOS times' two seconds).
bool FileIsNewer(const Candidate& c, const zipfmt::ZipEntry& e) {
    const FILETIME t = EntryWriteTime(e);
    const uint64_t file = (uint64_t{c.WriteTime.dwHighDateTime} << 32) | c.WriteTime.dwLowDateTime;
    const uint64_t entry = (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
    const uint64_t slack = e.HasUnixTime ? 10000000ull : 20000000ull;
    return file > entry + slack;
}

}  // namespace

int RunZip(const std::string& line, std::string& report) {
    const CommandParts parts = ParseCommand(line);
    const PackOptions o = ReadSwitches(parts.Switches);
    const std::string archivePath = FullPath(parts.Archive);
    const bool exists = ::GetFileAttributesA(archivePath.c_str()) != INVALID_FILE_ATTRIBUTES;

    if (o.Command == Mode::Adjust || o.Command == Mode::Delete) {
        if (!exists) throw CommandError(kErrFileNotFound, "not found: " + archivePath);
        OpenedArchive old(archivePath);
        std::vector<OutEntry> entries;
        size_t removed = 0;
        const std::vector<TLocalName> names = LocalNames(old.Directory);
        for (size_t i = 0; i < names.size(); ++i) {
            const zipfmt::ZipEntry& e = old.Directory.Entries[i];
            const std::string& name = names[i].Name;
            bool drop = false;
            if (o.Command == Mode::Delete)
                for (const std::string& p : parts.Names)
                    drop = drop || zipfmt::WildMatch(zipfmt::SlashSeparated(p), name);
            if (drop) {
                ++removed;
                ReportLine(report, "deleting: " + name);
            } else {
                entries.push_back(OutEntry{&e, nullptr});
            }
        }
        if (o.Command == Mode::Delete && removed == 0)
            throw CommandError(kErrNoMatch, "no entry matches the names given");
        if (o.Command == Mode::Adjust && old.Directory.PrefixSize == 0) return kOk;  // offsets already right
        WriteArchive(archivePath, &old, !o.JunkPrefix, entries, o, report);
        return kOk;
    }

    if (parts.Names.empty()) throw CommandError(kErrBadCommand, "no files named");
    std::string base = parts.Folder.empty() ? std::string(".\\") : parts.Folder;
    if (base.back() == '/') base.back() = '\\';
    Collector files(FullPath(base) + (FullPath(base).back() == '\\' ? "" : "\\"), o);
    for (const std::string& name : parts.Names) files.AddName(name);
    for (const std::string& s : files.Skipped) ReportLine(report, "  skipped: " + s + " (hidden or system)");

    std::optional<OpenedArchive> old;
    if (exists) old.emplace(archivePath);  // a file that is no ZIP archive is left alone
    std::vector<OutEntry> entries;
    std::set<std::string> inArchive;
    size_t changed = 0;
    if (old) {
        const std::vector<TLocalName> names = LocalNames(old->Directory);
        for (size_t i = 0; i < names.size(); ++i) {
            const zipfmt::ZipEntry& e = old->Directory.Entries[i];
            const std::string key = Upper(names[i].Name);
            inArchive.insert(key);
            const auto file = std::find_if(files.Found.begin(), files.Found.end(),
                                           [&](const Candidate& c) { return Upper(c.Stored) == key; });
            const bool replace = file != files.Found.end() &&
                                 (o.Command == Mode::Add && !o.UpdateOnly ? true : FileIsNewer(*file, e));
            entries.push_back(replace ? OutEntry{nullptr, &*file} : OutEntry{&e, nullptr});
            if (replace) ++changed;
        }
    }
    if (o.Command == Mode::Add) {
        for (const Candidate& c : files.Found) {
            if (inArchive.count(Upper(c.Stored))) continue;
            entries.push_back(OutEntry{nullptr, &c});
            ++changed;
        }
    }
    if (files.Found.empty()) throw CommandError(kErrNoMatch, "nothing to pack");
    if (changed == 0 && old) {
        ReportLine(report, "nothing to update");
        return kOk;
    }
    WriteArchive(archivePath, old ? &*old : nullptr, !o.JunkPrefix, entries, o, report);
    return kOk;
}

}  // namespace zipdll
