// NTFS alternate data streams as ordinary archive entries. Archiver libraries store only a file's
// main contents, so before packing every named stream of a selected file is copied into a
// temporary file beside it, and after extracting such files are turned back into streams.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ArchiverOptions.h"
#include "WinHandles.h"

namespace arc {

// A Windows call failed; carries the system's error code.
class EOSError : public std::runtime_error {
  public:
    EOSError(DWORD code, const std::string& what);
    DWORD ErrorCode;
};

// Raises EOSError for the calling thread's last error.
[[noreturn]] void RaiseLastOSError();

// The volume flag for named streams (FILE_NAMED_STREAMS).
constexpr DWORD kNamedStreamsFlag = 0x40000;

// True when the volume holding path (expanded to a full path) supports named streams.
bool StreamsSupported(const std::string& path);

// The file-system flags of the volume of a drive root ("C:\"); false when it cannot be asked.
using TVolumeFlagsQuery = std::function<bool(const std::string& root, DWORD& flags)>;
bool QueryVolumeFlags(const std::string& root, DWORD& flags);

// The named-streams answer per drive root, for one selection run: asking the volume for every
// file would cost more than the selection itself. The answer is the one StreamsSupported gives.
class TStreamVolumes {
  public:
    // The flags come from the volume (QueryVolumeFlags) unless a test gives others: Wine has no
    // volume with named streams.
    explicit TStreamVolumes(TVolumeFlagsQuery query = nullptr) : Query_(std::move(query)) {}

    bool Supported(const std::string& path);

  private:
    TVolumeFlagsQuery Query_;
    std::vector<std::pair<std::string, bool>> Roots_;  // few entries: a run touches few drives
};

// Enumeration of one file's streams through the backup-read interface.
struct TStreamState {
    TStreamState() = default;
    TStreamState(const TStreamState&) = delete;
    TStreamState& operator=(const TStreamState&) = delete;
    ~TStreamState();

    ostra::FileHandle File;
    LPVOID Context = nullptr;  // the backup-read context, released by CloseStreams
    DWORD Id = 0;              // BACKUP_DATA, BACKUP_ALTERNATE_DATA, ...
    std::wstring Name;         // as reported: ":name:$DATA"; empty for the main stream
    uint64_t Size = 0;
    DWORD Attributes = 0;  // stream attributes (STREAM_SPARSE_ATTRIBUTE, ...), not file attributes
};

// Names longer than this are taken as a damaged header and end the enumeration. NTFS names are at
// most 255 characters, so ":" + name + ":$DATA" always fits.
constexpr DWORD kMaxStreamNameBytes = 65534;

// Opens FileName and reads its first stream header. False (and the state closed) when the volume
// has no named streams, the file cannot be opened or it reports no stream.
// With Volumes given, the volume's answer is taken from there.
bool OpenStreams(const std::string& fileName, TStreamState& state, TStreamVolumes* volumes = nullptr);
// Reads the next stream header; false at the end or on any failure (the state is then closed).
bool NextStream(TStreamState& state);
void CloseStreams(TStreamState& state);

// Stream name as reported (":name:$DATA") to the text appended to the file name: every ":"
// becomes the separator's first character, a character 5 after a ":" becomes its second. A
// separator that is not two single-byte characters leaves the name as it is.
std::wstring StreamToFileName(const std::wstring& streamName, const std::string& separator);

// True when a stream (name as reported, ":name:$DATA") can be packed under the separator without
// ambiguity: the separator is two single-byte characters and the stream's own name holds neither of
// them, nor character 5 anywhere but first (the whole separator stands for that one). Any other name
// could take another stream's temporary name ("#S" and character 5 + "S" both give ";#S;$DATA") and
// come back under that stream's name.
bool StreamNameMapsBack(const std::wstring& streamName, const std::string& separator);

// The reverse for one name that extraction produced. Only the last path component is looked at,
// and only a component of the form packing makes is translated: a non-empty host name, the whole
// separator, the rest of the stream name, the separator's first character and "$DATA"
// ("a.doc;#Summary;$DATA" gives "a.doc:<5>Summary:$DATA"). Everything else yields the empty text.
std::string FileNameToStreamPath(const std::string& fileName, const std::string& separator);

// Copies all of Source to a newly created Destination (never an existing one) in bounded chunks
// and sets its times. Returns true when Destination was created and holds the whole data; false,
// with nothing changed, when Source cannot be opened or Destination exists or cannot be created.
// A failed read, write or time setting, or a Source that ends before Size bytes, removes the
// partial Destination and raises EOSError.
bool CopyFileData(const std::wstring& source, const std::wstring& destination, uint64_t size,
                  DWORD attributes, const FILETIME& creationTime, const FILETIME& accessTime,
                  const FILETIME& writeTime);

// One named data stream of a file: its name as reported (":name:$DATA"), the path its data is
// read from, and its size.
struct TNamedStream {
    std::wstring Name;
    std::wstring Source;
    uint64_t Size = 0;
};

// The named data streams of a file, read through the backup interface; none when it cannot be
// read. The volume is not asked (AddStreams does that first).
std::vector<TNamedStream> NamedStreams(const std::string& fullPath);
using TStreamLister = std::function<std::vector<TNamedStream>(const std::string& fullPath)>;

// Pack side, for one selected file: writes every named stream of FullPath into a temporary file
// beside it, appends the temporary files' entry names to Selected and their absolute paths to
// TempFiles. A stream whose temporary name is already taken by an existing file is skipped, so that
// file is neither packed in the stream's place nor deleted afterwards; so is a stream whose name
// would not come back as itself (StreamNameMapsBack). On a volume without named streams (Volumes,
// or the volume's own answer) nothing is read. The streams come from NamedStreams unless a test
// gives a Lister.
void AddStreams(std::vector<std::string>& selected, std::vector<std::string>& tempFiles,
                const std::string& fullPath, const TArchiverOptions& options,
                const WIN32_FIND_DATAA& foundItem, const std::string& entryName,
                TStreamVolumes* volumes = nullptr, const TStreamLister& lister = nullptr);

// One named stream of AddStreams, its data read from Source (the stream's own path): skipped unless
// its name maps back (StreamNameMapsBack) and has an ANSI form; else written into the temporary file
// beside FullPath that is named after EntryName's last component and the translated stream name.
// False when nothing was made.
bool AddNamedStream(std::vector<std::string>& selected, std::vector<std::string>& tempFiles,
                    const std::string& fullPath, const std::string& entryName, const std::wstring& streamName,
                    const std::wstring& source, uint64_t size, const std::string& separator,
                    const WIN32_FIND_DATAA& foundItem);

// One stream copy of AddStreams: Source (the stream's own path) into the temporary file DiskPath,
// listed as EntryName. False when nothing was made (the stream is skipped).
bool AddStreamFile(std::vector<std::string>& selected, std::vector<std::string>& tempFiles,
                   const std::wstring& source, const std::string& diskPath, const std::string& entryName,
                   uint64_t size, const WIN32_FIND_DATAA& foundItem);

// Extract side: turns every name of StreamList (destination files that extraction reported) back
// into the stream it was packed from (RestoreStreamFile, unless a test gives Restore), when DestDir's
// volume supports named streams (Volumes, or the volume's own answer).
using TStreamRestorer = std::function<bool(const std::string& fileName, const std::string& separator)>;
void RestoreStreams(const std::vector<std::string>& streamList, const TArchiverOptions& options,
                    const std::string& destDir, TStreamVolumes* volumes = nullptr,
                    const TStreamRestorer& restore = nullptr);

// One name of RestoreStreams. The extracted file is deleted only after its data was written whole
// into the stream; it stays when the name is not of the packing form, its host file is missing,
// the stream exists already or the copy fails. True when the stream was restored.
bool RestoreStreamFile(const std::string& fileName, const std::string& separator);

}  // namespace arc
