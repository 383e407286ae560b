#include "UnzipCommands.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "ZipNames.h"
#include "ZipResult.h"
#include "ZipSupport.h"

namespace zipdll {

namespace {

HWND g_owner = nullptr;

UINT ProgressMessage() {
    static const UINT message = ::RegisterWindowMessageA("wm_arcextract");
    return message;
}

// MS-DOS attributes of an entry (only archives made on DOS-like systems carry them).
WORD DosAttributes(const zipfmt::ZipEntry& e) {
    const uint8_t host = e.HostSystem();
    if (host != 0 && host != 11 && host != 14) return e.IsDirectory() ? FILE_ATTRIBUTE_DIRECTORY : 0;
    return static_cast<WORD>(e.ExternalAttributes & 0x37);
}

void CopyField(char* field, size_t size, const std::string& text) {
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

uint16_t Ratio(const zipfmt::ZipEntry& e) {
    if (e.OriginalSize == 0) return 0;
    return static_cast<uint16_t>(
        std::min<uint64_t>(1000, uint64_t{e.CompressedSize} * 1000 / e.OriginalSize));
}

std::string AttributeText(WORD a) {
    std::string s = "-----";
    if (a & FILE_ATTRIBUTE_READONLY) s[0] = 'R';
    if (a & FILE_ATTRIBUTE_HIDDEN) s[1] = 'H';
    if (a & FILE_ATTRIBUTE_SYSTEM) s[2] = 'S';
    if (a & FILE_ATTRIBUTE_DIRECTORY) s[3] = 'D';
    if (a & FILE_ATTRIBUTE_ARCHIVE) s[4] = 'A';
    return s;
}

const char* MethodText(const zipfmt::ZipEntry& e) {
    return e.Method == zipfmt::kMethodStored     ? "stored"
           : e.Method == zipfmt::kMethodDeflated ? "deflate"
                                                 : "other";
}

struct Options {
    bool Test = false, Overwrite = false, JunkPaths = false;
};

Options ReadSwitches(const std::vector<std::string>& switches) {
    Options o;
    for (const std::string& s : switches) {
        if (s == "-x")
            o.Test = false;
        else if (s == "-t")
            o.Test = true;
        else if (s == "-o")
            o.Overwrite = true;
        else if (s == "-j")
            o.JunkPaths = true;
        else if (s == "--i")
            continue;
        else
            throw CommandError(kErrBadCommand, "unknown switch " + s);
    }
    return o;
}

struct Selected {
    const zipfmt::ZipEntry* Entry;
    std::string Name;  // in the code page
    TNameState State;
};

// The entries the names select (all when there are none); kErrNoMatch when names select none.
std::vector<Selected> Select(const zipfmt::ZipDirectory& dir, const std::vector<std::string>& patterns) {
    std::vector<Selected> out;
    const std::vector<TLocalName> names = LocalNames(dir);
    for (size_t i = 0; i < dir.Entries.size(); ++i) {
        Selected s{&dir.Entries[i], names[i].Name, names[i].State};
        bool wanted = patterns.empty();
        for (const std::string& p : patterns)
            wanted = wanted || zipfmt::WildMatch(zipfmt::SlashSeparated(p), s.Name);
        if (wanted) out.push_back(std::move(s));
    }
    if (!patterns.empty() && out.empty()) throw CommandError(kErrNoMatch, "no entry matches the names given");
    return out;
}

void Progress(const Selected& s, const std::string& dest) {
    if (!g_owner) return;
    ProgressInfo info{};
    info.FileSize = s.Entry->OriginalSize;
    info.CompressedSize = s.Entry->CompressedSize;
    info.Crc = s.Entry->Crc;
    info.OsType = s.Entry->HostSystem();
    info.Ratio = Ratio(*s.Entry);
    info.DosDate = s.Entry->DosDate;
    info.DosTime = s.Entry->DosTime;
    CopyField(info.SourceFileName, sizeof info.SourceFileName, s.Name);
    CopyField(info.DestFileName, sizeof info.DestFileName, dest);
    CopyField(info.Method, sizeof info.Method, MethodText(*s.Entry));
    if (::SendMessageA(g_owner, ProgressMessage(), 1, reinterpret_cast<LPARAM>(&info)) != 0)
        throw CommandError(kErrCancelled, "stopped through the owner window");
}

void Decode(OpenedArchive& arc, const zipfmt::ZipEntry& e,
            const std::function<bool(const void*, size_t)>& sink) {
    try {
        zipfmt::ReadEntryData(arc.Source, e, arc.Directory.DirectoryOffset, sink);
    } catch (const zipfmt::ZipError& err) {
        throw CommandError(CodeOf(err.Fault), err.what());
    }
}

// The file written beside its target, checked, then put in its place.
void ExtractFile(OpenedArchive& arc, const Selected& s, const std::string& target, bool overwrite,
                 std::string& report) {
    const DWORD existing = ::GetFileAttributesA(target.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES) {
        if (existing & FILE_ATTRIBUTE_DIRECTORY) throw CommandError(kErrWrite, target + " is a folder");
        if (!overwrite) {
            ReportLine(report, "  skipped: " + s.Name + " (exists)");
            return;
        }
    }
    if (!MakeFolders(FolderOf(target)))
        throw CommandError(kErrWrite, "cannot create the folder of " + target);
    TempBeside temp(target);
    Decode(arc, *s.Entry, [&](const void* data, size_t n) { return WriteAll(temp.Handle(), data, n); });
    const FILETIME written = EntryWriteTime(*s.Entry);
    ::SetFileTime(temp.Handle(), nullptr, nullptr, &written);
    temp.Close();
    if (existing != INVALID_FILE_ATTRIBUTES) ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!temp.MoveOnto(target)) throw CommandError(kErrWrite, "cannot replace " + target);
    const WORD attributes = DosAttributes(*s.Entry) & ~FILE_ATTRIBUTE_DIRECTORY;
    if (attributes) ::SetFileAttributesA(target.c_str(), attributes);
    ReportLine(report, "  extracted: " + s.Name);
}

struct Listing {
    std::unique_ptr<OpenedArchive> Archive;
    std::vector<std::string> Names;
    std::string Wildcard;
    size_t Next = 0;
    long Current = -1;
};
std::set<Listing*> g_listings;

Listing* Known(HANDLE h) {
    auto* l = static_cast<Listing*>(h);
    return g_listings.count(l) ? l : nullptr;
}

bool Wanted(const std::string& wildcard, const std::string& name) {
    return wildcard.empty() || wildcard == "*" || wildcard == "*.*" ||
           zipfmt::WildMatch(zipfmt::SlashSeparated(wildcard), name);
}

int Report(Listing* l, EntryInfo* out) {
    if (!l) return kErrBadHandle;
    const auto& entries = l->Archive->Directory.Entries;
    while (l->Next < entries.size() && !Wanted(l->Wildcard, l->Names[l->Next])) ++l->Next;
    if (l->Next >= entries.size()) {
        l->Current = -1;
        return kFindEnd;
    }
    l->Current = static_cast<long>(l->Next);
    const zipfmt::ZipEntry& e = entries[l->Next];
    if (out) {
        std::memset(out, 0, sizeof *out);
        out->OriginalSize = e.OriginalSize;
        out->CompressedSize = e.CompressedSize;
        out->Crc = e.Crc;
        out->OsType = e.HostSystem();
        out->Ratio = Ratio(e);
        out->DosDate = e.DosDate;
        out->DosTime = e.DosTime;
        CopyField(out->FileName, sizeof out->FileName, l->Names[l->Next]);
        CopyField(out->Attribute, sizeof out->Attribute, AttributeText(DosAttributes(e)));
        CopyField(out->Method, sizeof out->Method, MethodText(e));
    }
    ++l->Next;
    return kOk;
}

}  // namespace

void SetOwner(HWND window) {
    g_owner = window;
}

HWND Owner() {
    return g_owner;
}

int RunUnzip(const std::string& line, std::string& report) {
    const CommandParts parts = ParseCommand(line);
    const Options o = ReadSwitches(parts.Switches);
    OpenedArchive arc(FullPath(parts.Archive));
    const std::vector<Selected> selected = Select(arc.Directory, parts.Names);
    if (o.Test) {
        for (const Selected& s : selected) {
            Decode(arc, *s.Entry, [](const void*, size_t) { return true; });
            ReportLine(report, "  OK: " + s.Name);
        }
        return kOk;
    }
    // Every name is checked before anything is written.
    std::string dest = parts.Folder.empty() ? std::string(".\\") : parts.Folder;
    if (dest.back() == '/') dest.back() = '\\';
    std::vector<std::string> targets;
    for (const Selected& s : selected) {
        std::vector<std::string> components;
        if (s.State == TNameState::NoCodePageForm) {  // never written: refused on its own below
            targets.emplace_back();
            continue;
        }
        if (s.State == TNameState::Malformed || !zipfmt::SafeComponents(s.Name, components) ||
            (components.empty() && !s.Entry->IsDirectory()))
            throw CommandError(kErrUnsafeName, "unsafe entry name: " + s.Name);
        std::string target = dest;
        if (o.JunkPaths) {
            if (!components.empty()) target += components.back();
        } else {
            for (size_t i = 0; i < components.size(); ++i) target += (i ? "\\" : "") + components[i];
        }
        targets.push_back(target);
    }
    // A name the code page cannot hold costs only its own entry; the command then ends in an error.
    bool refused = false;
    for (size_t i = 0; i < selected.size(); ++i) {
        const Selected& s = selected[i];
        if (s.State == TNameState::NoCodePageForm) {
            ReportLine(report, "  refused: " + s.Name + " (the name has no Shift-JIS form)");
            refused = true;
            continue;
        }
        if (s.Entry->IsDirectory()) {
            // The root folder ("./") is the destination itself.
            if (!o.JunkPaths && !MakeFolders(targets[i] == dest ? dest : targets[i] + "\\"))
                throw CommandError(kErrWrite, "cannot create " + targets[i]);
            continue;
        }
        Progress(s, targets[i]);
        ExtractFile(arc, s, targets[i], o.Overwrite, report);
    }
    if (refused) throw CommandError(kErrNoShiftJis, "an entry name has no Shift-JIS form");
    return kOk;
}

int ExtractToMemory(const std::string& line, void* buffer, DWORD size, DWORD* unixTime, WORD* attributes,
                    DWORD* written) {
    if (written) *written = 0;
    const CommandParts parts = ParseCommand(line);
    ReadSwitches(parts.Switches);
    if (parts.Names.size() != 1) throw CommandError(kErrBadCommand, "name exactly one entry");
    OpenedArchive arc(FullPath(parts.Archive));
    std::vector<Selected> selected = Select(arc.Directory, parts.Names);
    const auto file = std::find_if(selected.begin(), selected.end(),
                                   [](const Selected& s) { return !s.Entry->IsDirectory(); });
    if (file == selected.end()) throw CommandError(kErrNoMatch, "no file entry matches");
    const zipfmt::ZipEntry& e = *file->Entry;
    if (e.OriginalSize > size || (!buffer && e.OriginalSize > 0))
        throw CommandError(kErrBufferTooSmall, "the entry is larger than the buffer");
    size_t at = 0;
    Decode(arc, e, [&](const void* data, size_t n) {
        std::memcpy(static_cast<char*>(buffer) + at, data, n);
        at += n;
        return true;
    });
    if (written) *written = static_cast<DWORD>(at);
    if (unixTime) *unixTime = UnixTime(EntryWriteTime(e));
    if (attributes) *attributes = DosAttributes(e);
    return kOk;
}

bool CheckZipArchive(const std::string& path, int mode) {
    try {
        OpenedArchive arc(FullPath(path));
        for (const zipfmt::ZipEntry& e : arc.Directory.Entries) {
            if (mode & 0x0A)
                Decode(arc, e, [](const void*, size_t) { return true; });
            else
                zipfmt::DataOffset(arc.Source, e, arc.Directory.DirectoryOffset);
        }
        return true;
    } catch (...) {
        return false;
    }
}

HANDLE OpenListing(const std::string& path) {
    try {
        auto l = std::make_unique<Listing>();
        l->Archive = std::make_unique<OpenedArchive>(FullPath(path));
        for (TLocalName& n : LocalNames(l->Archive->Directory)) l->Names.push_back(std::move(n.Name));
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
    *time = EntryWriteTime(l->Archive->Directory.Entries[static_cast<size_t>(l->Current)]);
    return true;
}

}  // namespace zipdll
