#include "DetailContent.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "Archives.h"
#include "CollectFiles.h"
#include "FileSystem.h"
#include "FolderEntry.h"
#include "Memo.h"
#include "TextRoutines.h"
#include "WinHandles.h"

namespace ostra {

namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return ::lstrcmpiA(a.c_str(), b.c_str()) < 0;
}

}  // namespace

TStrings ReadFilePreview(const std::string& path, size_t limit) {
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size))
        throw std::runtime_error("ファイル\"" + path + "\"を読み込めません");
    const bool cut = static_cast<unsigned long long>(size.QuadPart) > limit;
    std::string data(cut ? limit : static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!data.empty() &&
        !::ReadFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &read, nullptr))
        throw std::runtime_error("ファイル\"" + path + "\"を読み込めません");
    data.resize(read);
    // A lead byte left alone at the cut would swallow the line break after it.
    if (cut && !data.empty()) {
        size_t last = 0;
        for (size_t i = 0; i < data.size(); i = NextChar(data, i)) last = i;
        if (IsLeadByte(data, last) && last + 1 >= data.size()) data.resize(last);
    }
    // The text box ends a text at its first NUL: binary data shows as far as it can.
    std::replace(data.begin(), data.end(), '\0', ' ');
    TStrings lines = widgets::TextToLines(data);
    if (cut) lines.emplace_back(kPreviewCut);
    return lines;
}

TStrings FolderPreview(const std::string& folder, const std::string& filter, bool subfolders,
                       const TStrings& leaveOut) {
    TStrings files;
    const std::string root = AddBackslash(folder);
    if (!IsAbsolutePath(root)) return files;
    std::string commas = filter;
    std::replace(commas.begin(), commas.end(), ';', ',');
    for (const std::string& pattern : SplitPatterns(commas))
        CollectFiles(root, pattern, files, subfolders, false, leaveOut);
    return files;
}

TDetailRows RegistryValueRows(TRegistryTreeView& tree, TTreeNode node) {
    TStrings names;
    tree.ListValueNames(node, names);
    std::stable_sort(names.begin(), names.end(), LessIgnoringCase);
    TDetailRows rows;
    if (names.empty() || !names.front().empty()) rows.emplace_back("(標準)", "(値の設定無し)");
    for (const std::string& name : names) {
        if (name.empty()) {
            rows.emplace_back("(標準)", "");
            continue;
        }
        // One value that cannot be read (a name the code page cannot spell, a value gone since
        // the names were read) says so in its own row; the others are still listed.
        std::string data;
        try {
            switch (tree.ValueInfo(node, name).Type) {
                case REG_SZ:
                case REG_EXPAND_SZ:
                    data.append(1, '"').append(tree.ValueAsString(node, name)).append(1, '"');
                    break;
                case REG_DWORD:
                    data = std::to_string(tree.ValueAsInteger(node, name));
                    break;
                case REG_BINARY:
                    data = " - binary data - ";
                    break;
                default:
                    break;
            }
        } catch (const std::runtime_error&) {
            data = kUnreadableValue;
        }
        rows.emplace_back(name, data);
    }
    return rows;
}

TDetailRows ArchiveEntryRows(HWND owner, const std::string& archivePath) {
    TDetailRows rows;
    arc::TArchiveFile archive;
    archive.SetFileName(archivePath);
    // An archive the library cannot open lists nothing: the component asks no search of it.
    archive.OpenArchive(owner, 0);
    arc::TEntryRecord entry{};
    for (int found = archive.FindFirst("*.*", entry); found == 0; found = archive.FindNext(entry)) {
        const std::string name(entry.FileName, strnlen(entry.FileName, sizeof entry.FileName));
        rows.emplace_back(name, std::to_string(entry.CompressedSize) + " byte");
    }
    archive.CloseArchive();
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& a, const auto& b) { return LessIgnoringCase(a.first, b.first); });
    return rows;
}

}  // namespace ostra
