#include "ExtStrms.h"

#include "Archiver.h"
#include "FileList.h"
#include "FileSystem.h"
#include "TextRoutines.h"
#include "WideText.h"

namespace arc {

namespace {

constexpr DWORD kChunkSize = 64 * 1024;  // bounded copy buffer: a stream of any size costs this much memory

std::string SystemMessage(DWORD code) {
    char* text = nullptr;
    DWORD n = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string s = n && text ? std::string(text, n) : std::string();
    if (text) ::LocalFree(text);
    return ostra::Trim(s);
}

using ostra::AnsiToWide;

// The separator's two characters in UTF-16, when it is two single-byte characters.
bool SeparatorChars(const std::string& separator, wchar_t& s1, wchar_t& s2) {
    if (separator.size() != 2 || ostra::IsLeadByte(separator, 0) || ostra::IsLeadByte(separator, 1))
        return false;
    std::wstring w = AnsiToWide(separator);
    if (w.size() != 2) return false;
    s1 = w[0];
    s2 = w[1];
    return true;
}

// Reads exactly n bytes of the backup stream; false on failure or a short read.
bool ReadExactly(TStreamState& state, void* buffer, DWORD n) {
    DWORD got = 0;
    return ::BackupRead(state.File.get(), static_cast<LPBYTE>(buffer), n, &got, FALSE, FALSE,
                        &state.Context) &&
           got == n;
}

// One stream header, its name, and a seek over its data.
bool ReadStreamHeader(TStreamState& state) {
    // dwStreamId, dwStreamAttributes, Size, dwStreamNameSize: the 20 bytes before the name.
    BYTE header[20];
    if (!ReadExactly(state, header, sizeof header)) return false;
    DWORD id, attributes, sizeLow, sizeHigh, nameBytes;
    memcpy(&id, header + 0, 4);
    memcpy(&attributes, header + 4, 4);
    memcpy(&sizeLow, header + 8, 4);
    memcpy(&sizeHigh, header + 12, 4);
    memcpy(&nameBytes, header + 16, 4);
    if (nameBytes > kMaxStreamNameBytes || nameBytes % 2 != 0) return false;
    std::wstring name(nameBytes / 2, L'\0');
    if (nameBytes > 0 && !ReadExactly(state, name.data(), nameBytes)) return false;
    state.Id = id;
    state.Attributes = attributes;
    state.Size = (static_cast<uint64_t>(sizeHigh) << 32) | sizeLow;
    state.Name = std::move(name);
    if (state.Size > 0) {
        DWORD seekedLow = 0, seekedHigh = 0;
        if (!::BackupSeek(state.File.get(), sizeLow, sizeHigh, &seekedLow, &seekedHigh, &state.Context))
            return false;
        if (seekedLow != sizeLow || seekedHigh != sizeHigh) return false;
    }
    return true;
}

bool ReadOrClose(TStreamState& state) {
    if (state.File && ReadStreamHeader(state)) return true;
    CloseStreams(state);
    return false;
}

// A stream that holds data under a name: ":name:$DATA".
bool IsNamedDataStream(const TStreamState& state) {
    static const std::wstring kDataSuffix = L":$DATA";
    return state.Id == BACKUP_ALTERNATE_DATA && state.Name.size() > 1 + kDataSuffix.size() &&
           state.Name[0] == L':' &&
           state.Name.compare(state.Name.size() - kDataSuffix.size(), kDataSuffix.size(), kDataSuffix) == 0;
}

// Splits an extracted name of the packing form "<dir><host><S1><S2><rest><S1>$DATA" (looking only at
// the last path component) into the host file's path and the rest of the stream name.
bool SplitStreamFileName(const std::string& fileName, const std::string& separator, std::string& host,
                         std::string& rest) {
    if (separator.size() != 2 || ostra::IsLeadByte(separator, 0) || ostra::IsLeadByte(separator, 1))
        return false;
    size_t delim = ostra::LastDelimiter(fileName, "\\/:");
    size_t start = delim == std::string::npos ? 0 : delim + 1;
    const std::string suffix = std::string(1, separator[0]) + "$DATA";
    if (fileName.size() < start + suffix.size()) return false;
    const size_t suffixAt = fileName.size() - suffix.size();
    if (fileName.compare(suffixAt, suffix.size(), suffix) != 0 || !ostra::IsCharStart(fileName, suffixAt))
        return false;
    // The last whole separator before the suffix ends the host name, which cannot be empty: a
    // separator inside a file name is far more likely than one inside a stream name.
    size_t sep = std::string::npos;
    for (size_t i = start; i + 1 < suffixAt; i = ostra::NextChar(fileName, i)) {
        if (fileName[i] == separator[0] && fileName[i + 1] == separator[1]) sep = i;
    }
    if (sep == std::string::npos || sep == start) return false;
    host = fileName.substr(0, sep);
    rest = fileName.substr(sep + 2, suffixAt - sep - 2);
    return true;
}

}  // namespace

EOSError::EOSError(DWORD code, const std::string& what) : std::runtime_error(what), ErrorCode(code) {}

void RaiseLastOSError() {
    DWORD code = ::GetLastError();
    std::string text = "システムエラー。コード: " + std::to_string(code) + "。";
    std::string detail = SystemMessage(code);
    if (!detail.empty()) text += "\r\n" + detail;
    throw EOSError(code, text);
}

namespace {
std::string DriveRootOf(const std::string& path) {
    std::string drive = ostra::ExtractFileDrive(ExpandFileName(path.empty() ? std::string(".") : path));
    return drive.empty() ? drive : drive + "\\";
}
bool RootHasStreams(const std::string& root, const TVolumeFlagsQuery& query) {
    if (root.empty()) return false;
    DWORD flags = 0;
    if (!(query ? query(root, flags) : QueryVolumeFlags(root, flags))) return false;
    return (flags & kNamedStreamsFlag) != 0;
}
}  // namespace

bool QueryVolumeFlags(const std::string& root, DWORD& flags) {
    return ::GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) != 0;
}

bool StreamsSupported(const std::string& path) {
    return RootHasStreams(DriveRootOf(path), nullptr);
}

bool TStreamVolumes::Supported(const std::string& path) {
    const std::string root = DriveRootOf(path);
    for (const auto& [known, answer] : Roots_)
        if (::lstrcmpiA(known.c_str(), root.c_str()) == 0) return answer;
    const bool answer = RootHasStreams(root, Query_);
    Roots_.emplace_back(root, answer);
    return answer;
}

TStreamState::~TStreamState() {
    CloseStreams(*this);
}

bool OpenStreams(const std::string& fileName, TStreamState& state, TStreamVolumes* volumes) {
    CloseStreams(state);
    if (!(volumes ? volumes->Supported(fileName) : StreamsSupported(fileName))) return false;
    state.File.reset(::CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return ReadOrClose(state);
}

bool NextStream(TStreamState& state) {
    return ReadOrClose(state);
}

void CloseStreams(TStreamState& state) {
    if (state.Context) {
        DWORD got = 0;
        // Reading with the abort flag set releases the context.
        ::BackupRead(state.File.get(), nullptr, 0, &got, TRUE, FALSE, &state.Context);
        state.Context = nullptr;
    }
    state.File.reset();
    state.Id = 0;
    state.Name.clear();
    state.Size = 0;
    state.Attributes = 0;
}

std::wstring StreamToFileName(const std::wstring& streamName, const std::string& separator) {
    wchar_t s1, s2;
    if (!SeparatorChars(separator, s1, s2)) return streamName;
    std::wstring out = streamName;
    for (size_t i = 0; i < out.size(); ++i) {
        if (out[i] != L':') continue;
        out[i] = s1;
        if (i + 1 < out.size() && out[i + 1] == L'\x05') out[++i] = s2;
    }
    return out;
}

bool StreamNameMapsBack(const std::wstring& streamName, const std::string& separator) {
    wchar_t s1, s2;
    if (!SeparatorChars(separator, s1, s2)) return false;
    const size_t end = streamName.rfind(L':');
    if (streamName.empty() || streamName[0] != L':' || end == std::wstring::npos || end <= 1) return false;
    for (size_t i = 1; i < end; ++i) {
        const wchar_t c = streamName[i];
        if (c == s1 || c == s2 || (c == L'\x05' && i != 1)) return false;
    }
    return true;
}

std::string FileNameToStreamPath(const std::string& fileName, const std::string& separator) {
    std::string host, rest;
    if (!SplitStreamFileName(fileName, separator, host, rest)) return std::string();
    return host + ":\x05" + rest + ":$DATA";
}

bool CopyFileData(const std::wstring& source, const std::wstring& destination, uint64_t size,
                  DWORD attributes, const FILETIME& creationTime, const FILETIME& accessTime,
                  const FILETIME& writeTime) {
    ostra::FileHandle in(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) return false;
    ostra::FileHandle out(
        ::CreateFileW(destination.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
    if (!out) return false;
    try {
        // Read to the end rather than Size bytes: data that grew since Size was taken is copied
        // too, and data that shrank is an error, so a copy is never shorter than its source.
        std::vector<char> buffer(kChunkSize);
        uint64_t total = 0;
        for (;;) {
            DWORD got = 0, written = 0;
            if (!::ReadFile(in.get(), buffer.data(), kChunkSize, &got, nullptr)) RaiseLastOSError();
            if (got == 0) break;
            if (!::WriteFile(out.get(), buffer.data(), got, &written, nullptr) || written != got)
                RaiseLastOSError();
            total += got;
        }
        if (total < size) {
            ::SetLastError(ERROR_HANDLE_EOF);
            RaiseLastOSError();
        }
        if (!::SetFileTime(out.get(), &creationTime, &accessTime, &writeTime)) RaiseLastOSError();
    } catch (...) {
        out.reset();
        ::DeleteFileW(destination.c_str());
        throw;
    }
    return true;
}

bool AddStreamFile(std::vector<std::string>& selected, std::vector<std::string>& tempFiles,
                   const std::wstring& source, const std::string& diskPath, const std::string& entryName,
                   uint64_t size, const WIN32_FIND_DATAA& foundItem) {
    // The temporary file is ours alone: an existing file of that name is left as it is.
    if (!CopyFileData(source, AnsiToWide(diskPath), size, FILE_ATTRIBUTE_ARCHIVE, foundItem.ftCreationTime,
                      foundItem.ftLastAccessTime, foundItem.ftLastWriteTime))
        return false;
    tempFiles.push_back(ExpandFileName(diskPath));
    selected.push_back(entryName);
    return true;
}

bool AddNamedStream(std::vector<std::string>& selected, std::vector<std::string>& tempFiles,
                    const std::string& fullPath, const std::string& entryName, const std::wstring& streamName,
                    const std::wstring& source, uint64_t size, const std::string& separator,
                    const WIN32_FIND_DATAA& foundItem) {
    if (!StreamNameMapsBack(streamName, separator)) return false;
    std::string suffix;
    // A name without an exact ANSI form could not be given to the library.
    if (!ostra::ExactAnsi(StreamToFileName(streamName, separator), suffix)) return false;
    // The temporary file lies beside the file itself; the entry name keeps the selection's form
    // (short or relative names).
    const std::string diskBase = ostra::ExtractFilePath(fullPath) + ostra::ExtractFileName(entryName);
    return AddStreamFile(selected, tempFiles, source, diskBase + suffix, entryName + suffix, size, foundItem);
}

std::vector<TNamedStream> NamedStreams(const std::string& fullPath) {
    std::vector<TNamedStream> streams;
    TStreamState state;
    state.File.reset(::CreateFileA(fullPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!ReadOrClose(state)) return streams;
    const std::wstring sourceBase = AnsiToWide(fullPath);
    do {
        if (IsNamedDataStream(state)) streams.push_back({state.Name, sourceBase + state.Name, state.Size});
    } while (NextStream(state));
    return streams;
}

void AddStreams(std::vector<std::string>& selected, std::vector<std::string>& tempFiles,
                const std::string& fullPath, const TArchiverOptions& options,
                const WIN32_FIND_DATAA& foundItem, const std::string& entryName, TStreamVolumes* volumes,
                const TStreamLister& lister) {
    // A volume without named streams has none to add: its files are not even opened.
    if (!(volumes ? volumes->Supported(fullPath) : StreamsSupported(fullPath))) return;
    for (const TNamedStream& s : lister ? lister(fullPath) : NamedStreams(fullPath))
        AddNamedStream(selected, tempFiles, fullPath, entryName, s.Name, s.Source, s.Size,
                       options.StreamSeparator, foundItem);
}

bool RestoreStreamFile(const std::string& fileName, const std::string& separator) {
    std::string host, rest;
    if (!SplitStreamFileName(fileName, separator, host, rest)) return false;
    // Restoring onto a missing host would create a stray empty file.
    if (!ostra::FileExists(host)) return false;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    bool whole = false;
    try {
        whole = CopyFileData(AnsiToWide(fileName), AnsiToWide(host + ":\x05" + rest + ":$DATA"), size,
                             data.dwFileAttributes, data.ftCreationTime, data.ftLastAccessTime,
                             data.ftLastWriteTime);
    } catch (const std::exception&) {
        whole = false;  // this file stays as it was extracted
    }
    if (whole) ::DeleteFileA(fileName.c_str());
    return whole;
}

void RestoreStreams(const std::vector<std::string>& streamList, const TArchiverOptions& options,
                    const std::string& destDir, TStreamVolumes* volumes, const TStreamRestorer& restore) {
    // On a volume without named streams the extracted files stay as they are.
    if (streamList.empty() || !(volumes ? volumes->Supported(destDir) : StreamsSupported(destDir))) return;
    for (const std::string& name : streamList)
        restore ? restore(name, options.StreamSeparator) : RestoreStreamFile(name, options.StreamSeparator);
}

}  // namespace arc
