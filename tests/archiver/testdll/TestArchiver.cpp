// A stand-in archiver library for the binding and back-end tests. It keeps a log of every call
// (entry, arguments, whether the output buffer was null) that the tests read through
// TestDllLog, answers with values the tests set through TestDllSet, and lists archives of a tiny
// text format of its own:
//
//   TARC [only=NAME,NAME] [type=N] [password=TEXT]
//   name|original size|compressed size|DOS date|DOS time|write|access|create
//
// only: the libraries (file names without extension) that take the file for an archive; all do
// when it is missing. type: GetArchiveType's answer (1 when missing). password: FindFirst answers
// 0x800A until that password has been set.
//
// The three times are 64-bit file times in decimal, or "-" when the library is to report none.
// The name "#513" stands for 513 bytes of 'N' with no terminator, as a careless library writes.
// Records are written by their published byte offsets, not through the system's own header, so
// a wrong offset there shows up in the tests.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#define TESTDLL_CAT2(a, b) a##b
#define TESTDLL_CAT(a, b) TESTDLL_CAT2(a, b)
#define TESTDLL_STR2(a) #a
#define TESTDLL_STR(a) TESTDLL_STR2(a)
#define ENTRY(suffix) TESTDLL_CAT(TESTDLL_PREFIX, suffix)
#define EXPORT extern "C" __declspec(dllexport)
// The main entry is the prefix alone unless a library names it otherwise (ZIP32J: "Zip"), and
// one library spells GetWriteTimeEx its own way (UNZIP32: "UnzipGetWriteTimeEx").
#ifndef TESTDLL_MAIN
#define TESTDLL_MAIN TESTDLL_PREFIX
#endif
#ifndef TESTDLL_WRITETIME
#define TESTDLL_WRITETIME ENTRY(GetWriteTimeEx)
#endif
#ifndef TESTDLL_NAME
#define TESTDLL_NAME "TESTARC"
#endif

namespace {

const char* const kMainName = TESTDLL_STR(TESTDLL_MAIN);

struct Entry {
    std::string name;
    uint32_t original = 0, compressed = 0;
    uint16_t date = 0, time = 0;
    bool hasTime[3] = {false, false, false};  // write, access, create
    uint64_t times[3] = {0, 0, 0};
};

struct Archive {
    int type = 1;
    std::string password;  // needed before FindFirst answers; empty: none
    std::string givenPassword;
    std::vector<Entry> entries;
    size_t next = 0;    // index of the entry FindNext reports
    long current = -1;  // entry the time queries refer to
};

std::string g_log;
std::map<std::string, int> g_settings;
std::map<std::string, std::string> g_texts;
std::set<Archive*> g_archives;
#ifndef TESTDLL_LEAN
HWND g_owner = nullptr;
BOOL(WINAPI* g_enumProc)(void*) = nullptr;
#endif

int Setting(const char* key, int fallback) {
    auto it = g_settings.find(key);
    return it == g_settings.end() ? fallback : it->second;
}

void Log(const std::string& line) {
    g_log += line + "\n";
}

std::string Text(const char* s) {
    return s ? s : "(null)";
}
std::string Ptr(const void* p) {
    return p ? "set" : "null";
}

bool ReadFileText(const char* path, std::string& data) {
    if (!path) return false;
    HANDLE h = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    char buf[4096];
    DWORD got = 0;
    data.clear();
    while (::ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
    ::CloseHandle(h);
    return true;
}

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t p = s.find(sep, start);
        parts.push_back(s.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos) break;
        start = p + 1;
    }
    return parts;
}

bool SameName(const std::string& a, const char* b) {
    return ::lstrcmpiA(a.c_str(), b) == 0;
}

// Null when the file is not one of ours or not for this library.
std::unique_ptr<Archive> Parse(const char* path) {
    std::string data;
    if (!ReadFileText(path, data)) return nullptr;
    std::vector<std::string> lines = Split(data, '\n');
    for (std::string& l : lines) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
    }
    if (lines.empty()) return nullptr;
    std::vector<std::string> header = Split(lines[0], ' ');
    if (header[0] != "TARC") return nullptr;
    auto archive = std::make_unique<Archive>();
    for (size_t i = 1; i < header.size(); ++i) {
        const std::string& h = header[i];
        if (h.rfind("only=", 0) == 0) {
            bool named = false;
            for (const std::string& n : Split(h.substr(5), ',')) named = named || SameName(n, TESTDLL_NAME);
            if (!named) return nullptr;
        } else if (h.rfind("type=", 0) == 0) {
            archive->type = std::stoi(h.substr(5));
        } else if (h.rfind("password=", 0) == 0) {
            archive->password = h.substr(9);
        }
    }
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        std::vector<std::string> f = Split(lines[i], '|');
        if (f.size() != 8) return nullptr;
        Entry e;
        e.name = f[0] == "#513" ? std::string(513, 'N') : f[0];
        e.original = static_cast<uint32_t>(std::stoul(f[1]));
        e.compressed = static_cast<uint32_t>(std::stoul(f[2]));
        e.date = static_cast<uint16_t>(std::stoul(f[3]));
        e.time = static_cast<uint16_t>(std::stoul(f[4]));
        for (int t = 0; t < 3; ++t) {
            if (f[5 + t] != "-") {
                e.hasTime[t] = true;
                e.times[t] = std::stoull(f[5 + t]);
            }
        }
        archive->entries.push_back(e);
    }
    return archive;
}

Archive* Known(HANDLE h) {
    Archive* a = static_cast<Archive*>(h);
    return g_archives.count(a) ? a : nullptr;
}

template <typename T>
void Put(unsigned char* record, size_t offset, T value) {
    std::memcpy(record + offset, &value, sizeof value);
}

// Writes the 558 bytes of an entry record and nothing after them.
void FillRecord(void* out, const Entry& e) {
    unsigned char* r = static_cast<unsigned char*>(out);
    std::memset(r, 0, 558);
    Put<uint32_t>(r, 0, e.original);
    Put<uint32_t>(r, 4, e.compressed);
    Put<uint16_t>(r, 22, e.date);
    Put<uint16_t>(r, 24, e.time);
    std::memcpy(r + 26, e.name.data(), e.name.size() < 513 ? e.name.size() : 513);
    std::memset(r + 539, 'P', 3);  // padding a library may leave as garbage
    std::memcpy(r + 550, "-tarc-", 6);
}

int Report(Archive* a, void* record) {
    if (!a || !record || a->next >= a->entries.size()) {
        if (a) a->current = -1;
        return -1;
    }
    a->current = static_cast<long>(a->next);
    FillRecord(record, a->entries[a->next++]);
    return 0;
}

BOOL Time(HANDLE h, FILETIME* ft, int which, const char* entryName) {
    Archive* a = Known(h);
    Log(std::string(entryName) + "|" + Ptr(ft));
    if (!a || !ft || a->current < 0) return FALSE;
    const Entry& e = a->entries[static_cast<size_t>(a->current)];
    if (!e.hasTime[which]) return FALSE;
    ft->dwLowDateTime = static_cast<DWORD>(e.times[which]);
    ft->dwHighDateTime = static_cast<DWORD>(e.times[which] >> 32);
    return TRUE;
}

}  // namespace

// ---- the archiver interface ----

namespace {
int Main(const char* name, HWND window, LPCSTR cmdLine, LPSTR output, DWORD size) {
    Log(std::string(name) + "|window=" + Ptr(window) + "|cmd=" + Text(cmdLine) + "|output=" + Ptr(output) +
        "|size=" + std::to_string(size));
    if (output && size > 0) {
        std::string reply = std::string("tarc:") + Text(cmdLine);
        size_t n = reply.size() < size - 1 ? reply.size() : size - 1;
        std::memcpy(output, reply.data(), n);
        output[n] = '\0';
    }
    return Setting("result", 0);
}
}  // namespace

EXPORT int WINAPI TESTDLL_MAIN(HWND window, LPCSTR cmdLine, LPSTR output, DWORD size) {
    return Main(kMainName, window, cmdLine, output, size);
}

#ifdef TESTDLL_PACK
// A second main entry for packing (LMZIP32: "Zip").
EXPORT int WINAPI TESTDLL_PACK(HWND window, LPCSTR cmdLine, LPSTR output, DWORD size) {
    return Main(TESTDLL_STR(TESTDLL_PACK), window, cmdLine, output, size);
}
#endif

EXPORT BOOL WINAPI ENTRY(CheckArchive)(LPCSTR fileName, int mode) {
    Log(std::string("CheckArchive|") + Text(fileName) + "|mode=" + std::to_string(mode));
    return Parse(fileName) ? TRUE : FALSE;
}

EXPORT HANDLE WINAPI ENTRY(OpenArchive)(HWND window, LPCSTR fileName, DWORD mode) {
    Log(std::string("OpenArchive|window=") + Ptr(window) + "|" + Text(fileName) +
        "|mode=" + std::to_string(mode));
    std::unique_ptr<Archive> a = Parse(fileName);
    if (!a || Setting("openfails", 0)) return nullptr;
    g_archives.insert(a.get());
    return a.release();
}

EXPORT int WINAPI ENTRY(CloseArchive)(HANDLE archive) {
    Archive* a = Known(archive);
    Log("CloseArchive|" + Ptr(archive));
    if (!a) return -1;
    g_archives.erase(a);
    delete a;
    return 0;
}

EXPORT int WINAPI ENTRY(FindFirst)(HANDLE archive, LPCSTR wildcard, void* record) {
    Log(std::string("FindFirst|") + Text(wildcard));
    Archive* a = Known(archive);
    if (a && a->password != a->givenPassword) return 0x800A;
    if (a) a->next = 0;
    return Report(a, record);
}

EXPORT int WINAPI ENTRY(FindNext)(HANDLE archive, void* record) {
    Log("FindNext");
    return Report(Known(archive), record);
}

EXPORT BOOL WINAPI TESTDLL_WRITETIME(HANDLE archive, FILETIME* time) {
    return Time(archive, time, 0, "GetWriteTimeEx");
}

EXPORT BOOL WINAPI ENTRY(GetAccessTimeEx)(HANDLE archive, FILETIME* time) {
    return Time(archive, time, 1, "GetAccessTimeEx");
}

EXPORT int WINAPI ENTRY(GetArchiveType)(LPCSTR fileName) {
    Log(std::string("GetArchiveType|") + Text(fileName));
    std::unique_ptr<Archive> a = Parse(fileName);
    return Setting("archivetype", a ? a->type : 0);
}

#ifdef TESTDLL_PASSWORD
// Answers with the "dialog" setting (0 when unset) and hands over the "password" text.
EXPORT int WINAPI ENTRY(PasswordDialog)(HWND window, LPSTR buffer, DWORD size) {
    Log("PasswordDialog|window=" + Ptr(window) + "|size=" + std::to_string(size));
    const std::string& text = g_texts["password"];
    if (buffer && size > 0) {
        size_t n = text.size() < size - 1 ? text.size() : size - 1;
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
    return Setting("dialog", 0);
}

EXPORT int WINAPI ENTRY(SetDefaultPassword)(HANDLE archive, LPCSTR password) {
    Log("SetDefaultPassword|" + Text(password));
    Archive* a = Known(archive);
    if (!a) return -1;
    a->givenPassword = Text(password);
    return 0;
}
#endif

#ifndef TESTDLL_LEAN

EXPORT int WINAPI ENTRY(ExtractMem)(HWND window, LPCSTR cmdLine, LPBYTE buffer, DWORD size, void* time,
                                    LPWORD attributes, LPDWORD written) {
    Log(std::string("ExtractMem|window=") + Ptr(window) + "|cmd=" + Text(cmdLine) + "|buffer=" + Ptr(buffer) +
        "|size=" + std::to_string(size) + "|time=" + Ptr(time) + "|attributes=" + Ptr(attributes) +
        "|written=" + Ptr(written));
    std::string data = "memory";
    DWORD n = buffer ? (data.size() < size ? static_cast<DWORD>(data.size()) : size) : 0;
    if (n) std::memcpy(buffer, data.data(), n);
    if (written) *written = n;
    return Setting("result", 0);
}

EXPORT BOOL WINAPI ENTRY(SetOwnerWindowEx)(HWND window, void* callback) {
    Log("SetOwnerWindowEx|window=" + Ptr(window) + "|callback=" + Ptr(callback));
    g_owner = window;
    return TRUE;
}

EXPORT BOOL WINAPI ENTRY(KillOwnerWindowEx)(HWND window) {
    Log("KillOwnerWindowEx|window=" + Ptr(window));
    if (window != g_owner) return FALSE;
    g_owner = nullptr;
    return TRUE;
}

EXPORT BOOL WINAPI ENTRY(GetCreateTimeEx)(HANDLE archive, FILETIME* time) {
    return Time(archive, time, 2, "GetCreateTimeEx");
}

EXPORT BOOL WINAPI ENTRY(SetEnumMembersProc64)(BOOL(WINAPI* callback)(void*), DWORD size) {
    Log("SetEnumMembersProc64|callback=" + Ptr(reinterpret_cast<void*>(callback)) +
        "|size=" + std::to_string(size));
    g_enumProc = callback;
    return TRUE;
}

EXPORT BOOL WINAPI ENTRY(ClearEnumMembersProc64)() {
    Log("ClearEnumMembersProc64");
    g_enumProc = nullptr;
    return TRUE;
}

#endif

// ---- control of the tests ----

// Copies the log (NUL-terminated, truncated to size) and returns its full length.
EXPORT DWORD WINAPI TestDllLog(LPSTR buffer, DWORD size) {
    if (buffer && size > 0) {
        size_t n = g_log.size() < size - 1 ? g_log.size() : size - 1;
        std::memcpy(buffer, g_log.data(), n);
        buffer[n] = '\0';
    }
    return static_cast<DWORD>(g_log.size());
}

EXPORT void WINAPI TestDllClearLog() {
    g_log.clear();
}

// "result": what the main entry and ExtractMem answer; "archivetype": GetArchiveType's answer;
// "openfails": OpenArchive fails even for an archive CheckArchive accepts.
EXPORT void WINAPI TestDllSet(LPCSTR key, int value) {
    if (key) g_settings[key] = value;
}

// "password": what the password dialog hands over.
EXPORT void WINAPI TestDllSetText(LPCSTR key, LPCSTR value) {
    if (key) g_texts[key] = Text(value);
}
