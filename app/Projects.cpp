#include "Projects.h"

#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

#include "Archives.h"
#include "FileSystem.h"
#include "ListFile.h"
#include "SettingsFile.h"
#include "TextRoutines.h"
#include "WinHandles.h"
#include "ostra_consts.h"

namespace ostra {

namespace {

constexpr const char* kProjectDir = "Project\\";
constexpr const char* kArchiveExt = ".lzh";
// Where a project archive is packed before it replaces the old one; never listed as a project.
constexpr const char* kSavingDir = "~saving\\";

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

bool HasArchiveExtension(const std::string& name) {
    return name.size() > 4 && ::lstrcmpiA(name.c_str() + name.size() - 4, kArchiveExt) == 0;
}

bool IsReservedDeviceName(const std::string& name) {
    // The part before the first dot, blanks before the dot ignored: "con.txt" and "CON .x" are CON.
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    static const char* const fixed[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* r : fixed)
        if (::lstrcmpiA(stem.c_str(), r) == 0) return true;
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9') {
        const std::string head = stem.substr(0, 3);
        return ::lstrcmpiA(head.c_str(), "COM") == 0 || ::lstrcmpiA(head.c_str(), "LPT") == 0;
    }
    return false;
}

// The packed entries of an archive, in archive order.
TStrings ArchiveEntries(const std::string& path) {
    TStrings names;
    arc::TArchiveFile listing;
    listing.SetFileName(path);
    if (listing.OpenArchive(nullptr, 0) != 0) return names;
    arc::TEntryRecord e{};
    for (int r = listing.FindFirst("*.*", e); r == 0; r = listing.FindNext(e))
        names.emplace_back(e.FileName, strnlen(e.FileName, sizeof e.FileName));
    listing.CloseArchive();
    return names;
}

bool SameNames(const TStrings& a, const TStrings& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (::lstrcmpiA(a[i].c_str(), b[i].c_str()) != 0) return false;
    return true;
}

// A value of [Option] in the text of a profile file, as the profile functions read it (names
// without regard to case, blanks and one pair of quotes around the value dropped, 1023 bytes
// seen). Read from the text itself: the system's profile cache takes a file of the same name and
// time stamp for the one read before, and two projects unpacked to the same work file can have
// the same time stamp.
class TOptionText {
  public:
    explicit TOptionText(const std::string& text) {
        bool inOption = false;
        for (const std::string& raw : SplitLines(text)) {
            const std::string line = Trim(raw);
            if (!line.empty() && line[0] == '[') {
                const size_t close = line.find(']');
                const std::string section =
                    line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
                inOption = ::lstrcmpiA(Trim(section).c_str(), kSectionOption) == 0;
            } else if (const size_t eq = line.find('='); inOption && eq != std::string::npos) {
                lines_.emplace_back(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
            }
        }
    }
    // The section is always Option: only its lines are kept.
    std::string ReadString(const char*, const char* key, const std::string& def) const {
        for (const auto& [k, v] : lines_)
            if (::lstrcmpiA(k.c_str(), key) == 0) {
                std::string value = v;
                if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                    value.back() == value.front())
                    value = value.substr(1, value.size() - 2);
                return value.substr(0, kProfileBufferSize - 1);
            }
        return def;
    }
    int ReadInteger(const char* section, const char* key, int def) const {
        int v = 0;
        return ParseIniInteger(ReadString(section, key, ""), v) ? v : def;
    }
    bool ReadBool(const char* section, const char* key, bool def) const {
        return ReadInteger(section, key, def ? 1 : 0) != 0;
    }

  private:
    std::vector<std::pair<std::string, std::string>> lines_;
};

// Removes the work files when a save or load ends, however it ends.
class TWorkFilesGuard {
  public:
    explicit TWorkFilesGuard(const std::string& appDir) : appDir_(appDir) {}
    ~TWorkFilesGuard() { DeleteProjectWorkFiles(appDir_); }
    TWorkFilesGuard(const TWorkFilesGuard&) = delete;
    TWorkFilesGuard& operator=(const TWorkFilesGuard&) = delete;

  private:
    const std::string& appDir_;
};

}  // namespace

std::string ProjectFolder(const std::string& appDir) {
    return AddBackslash(appDir) + kProjectDir;
}

std::string ProjectArchivePath(const std::string& appDir, const std::string& name) {
    return ProjectFolder(appDir) + name + kArchiveExt;
}

std::string ProjectNameRefusal(const std::string& name) {
    if (name.empty()) return "プロジェクト名を入力して下さい";
    for (size_t i = 0; i < name.size(); i = NextChar(name, i)) {
        if (IsLeadByte(name, i)) continue;  // a trail byte 0x5C or 0x7C is part of a character
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7F ||
            std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos)
            return "プロジェクト名には \\ / : * ? \" < > | と制御文字は使えません";
    }
    if (name.back() == '.' || name.back() == ' ') return "プロジェクト名の最後にピリオドや空白は使えません";
    if (IsReservedDeviceName(name))
        return Quoted(name) + "はファイル名に使えない名前のため、プロジェクト名にできません";
    return std::string();
}

TStrings ListProjects(const std::string& appDir, int limit) {
    TStrings names;
    if (!DirectoryExists(ProjectFolder(appDir))) return names;
    WIN32_FIND_DATAA fd;
    FindHandle find(::FindFirstFileA((ProjectFolder(appDir) + "*" + kArchiveExt).c_str(), &fd));
    if (!find) return names;
    do {
        if (limit >= 0 && static_cast<int>(names.size()) >= limit) break;
        const std::string file = fd.cFileName;
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !HasArchiveExtension(file)) continue;
        names.push_back(file.substr(0, file.size() - 4));
    } while (::FindNextFileA(find.get(), &fd));
    return names;
}

const TStrings& ProjectEntryNames() {
    static const TStrings names = {kFileList, kFolderList, kRegistryList, kIniFile};
    return names;
}

void WriteProjectWorkFiles(const std::string& appDir, const TProjectData& data) {
    const std::string folder = ProjectFolder(appDir);
    CreateDir(folder);
    try {
        WriteProjectSettings(folder + kIniFile, data.Options);
        SaveList(folder + kFileList, data.Lists.Files);
        SaveList(folder + kFolderList, data.Lists.FolderEntries);
        SaveList(folder + kRegistryList, data.Lists.Registry);
    } catch (...) {
        DeleteProjectWorkFiles(appDir);
        throw;
    }
}

void DeleteProjectWorkFiles(const std::string& appDir) {
    for (const std::string& name : ProjectEntryNames()) ::DeleteFileA((ProjectFolder(appDir) + name).c_str());
}

void PackProject(HWND owner, const std::string& appDir, const std::string& name) {
    const std::string folder = ProjectFolder(appDir);
    const std::string saving = folder + kSavingDir;
    const std::string temp = saving + name + kArchiveExt;
    const std::string target = ProjectArchivePath(appDir, name);
    const std::string failed = "プロジェクト" + Quoted(name) + "を保存できませんでした";
    for (const std::string& entry : ProjectEntryNames())
        if (!FileExists(folder + entry)) throw std::runtime_error(failed + "（" + entry + " がありません）");
    CreateDir(saving);
    ::DeleteFileA(temp.c_str());  // left by a save that was cut off
    struct TTempGuard {
        const std::string &file, &dir;
        ~TTempGuard() {
            ::DeleteFileA(file.c_str());
            ::RemoveDirectoryA(dir.c_str());
        }
    } guard{temp, saving};
    int result;
    {
        arc::TArchiveFile archive;
        archive.SetFileName(temp);
        arc::TArchiverOptions& o = archive.Options();
        o.a = 1;
        o.jm = 4;
        o.n = 1;
        o.jso = 1;
        // The names go to the library as they stand, in the order of the table of entries (the
        // component's own selection would sort them).
        o.PackFilter = arc::TPackFilter::pfArchiver;
        result = archive.Pack(owner, nullptr, RemoveBackslash(folder), arc::TFileList{ProjectEntryNames()});
    }
    if (result != 0) throw std::runtime_error(failed + "（エラー " + std::to_string(result) + "）");
    if (!FileExists(temp) || !SameNames(ArchiveEntries(temp), ProjectEntryNames()))
        throw std::runtime_error(failed + "（書庫に 4 つの設定ファイルが揃いません）");
    if (!::MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw std::runtime_error(failed + "（" + target + " を置き換えられません）");
}

TProjectData ReadProject(HWND owner, const std::string& appDir, const std::string& name) {
    const std::string folder = ProjectFolder(appDir);
    const std::string path = ProjectArchivePath(appDir, name);
    const std::string failed = "プロジェクト" + Quoted(name) + "を読み込めませんでした";
    // Stale work files would otherwise stand in for entries the archive lacks.
    DeleteProjectWorkFiles(appDir);
    TWorkFilesGuard guard(appDir);
    int result;
    {
        arc::TArchiveFile archive;
        archive.SetFileName(path);
        arc::TArchiverOptions& o = archive.Options();
        o.n = 1;
        o.jse = 1;
        o.jso = 1;
        // Only the four entries: nothing else of an archive lands in the project folder.
        result = archive.Extract(owner, nullptr, folder, arc::TFileList{ProjectEntryNames()});
    }
    if (result != 0) throw std::runtime_error(failed + "（エラー " + std::to_string(result) + "）");
    std::string texts[4];
    for (size_t i = 0; i < 4; ++i) {
        const std::string& entry = ProjectEntryNames()[i];
        if (!FileExists(folder + entry) || !ReadWholeFile(folder + entry, texts[i]))
            throw std::runtime_error(failed + "（書庫に " + entry + " がありません）");
    }
    TProjectData data;
    data.Lists.Files = SplitLines(texts[0]);
    data.Lists.FolderEntries = SplitLines(texts[1]);
    data.Lists.Registry = SplitLines(texts[2]);
    data.Options = ReadRunOptionsOf(TOptionText(texts[3]));
    return data;
}

}  // namespace ostra
