#include "SelfExtractor.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <system_error>
#include <vector>

#include "ArchiverErrors.h"
#include "FileSystem.h"
#include "TextRoutines.h"
#include "WinHandles.h"

namespace arc {

namespace {

// The lookups of the back-ends give the search 512 bytes.
constexpr DWORD kSearchBufferSize = 512;

[[noreturn]] void RaiseFileError(const char* what, const std::string& path) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                            std::string(what) + " " + path);
}

ostra::FileHandle OpenForReading(const std::string& path) {
    // Others may read along, but nobody may change the file while it is copied.
    ostra::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) RaiseFileError("Cannot open file", path);
    return file;
}

// True when both names lead to one file: the same full name (letters folded), or, for files that
// exist, the same file on the same volume (another spelling, a short name, a link).
bool SameFile(const std::string& a, const std::string& b) {
    const std::string fullA = ostra::ExpandFileName(a), fullB = ostra::ExpandFileName(b);
    if (::CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, fullA.c_str(), -1, fullB.c_str(), -1) ==
        CSTR_EQUAL)
        return true;
    auto identify = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        ostra::FileHandle h(::CreateFileA(path.c_str(), 0,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        return h && ::GetFileInformationByHandle(h.get(), &info);
    };
    BY_HANDLE_FILE_INFORMATION ia, ib;
    if (!identify(fullA, ia) || !identify(fullB, ib)) return false;
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
}

void WriteAll(HANDLE out, const char* data, DWORD size, const std::string& path) {
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(out, data, size, &written, nullptr) || written == 0)
            RaiseFileError("Cannot write file", path);
        data += written;
        size -= written;
    }
}

void CopyAll(HANDLE in, const std::string& inPath, HANDLE out, const std::string& outPath) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
            RaiseFileError("Cannot read file", inPath);
        if (got == 0) return;
        WriteAll(out, buffer.data(), got, outPath);
    }
}

// True when the file at path begins with every byte of stub (read from its start; its position is
// put back to the start).
bool BeginsWithStub(const std::string& path, HANDLE stub, const std::string& stubPath) {
    ostra::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::vector<char> a(1 << 16), b(1 << 16);
    bool same = true;
    for (;;) {
        DWORD gotStub = 0, gotFile = 0;
        if (!::ReadFile(stub, a.data(), static_cast<DWORD>(a.size()), &gotStub, nullptr))
            RaiseFileError("Cannot read file", stubPath);
        if (gotStub == 0) break;
        // A file ends short of a full read only at its end.
        for (DWORD n = 0; gotFile < gotStub; gotFile += n)
            if (!::ReadFile(file.get(), b.data() + gotFile, gotStub - gotFile, &n, nullptr) || n == 0) break;
        if (gotFile != gotStub || std::memcmp(a.data(), b.data(), gotStub) != 0) {
            same = false;
            break;
        }
    }
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(stub, zero, nullptr, FILE_BEGIN)) RaiseFileError("Cannot read file", stubPath);
    return same;
}

}  // namespace

std::string FindSfxStub(const std::string& name, const std::string& folder) {
    char buffer[kSearchBufferSize];
    DWORD n = ::SearchPathA(folder.empty() ? nullptr : folder.c_str(), name.c_str(), nullptr,
                            kSearchBufferSize, buffer, nullptr);
    if (n == 0 || n >= kSearchBufferSize) return std::string();
    return std::string(buffer, n);
}

std::string SfxOutputName(const std::string& archiveFileName, const std::string& outputDir,
                          const std::string& ext) {
    std::string name = archiveFileName;
    size_t dot = ostra::LastDelimiter(name, ".\\:");
    if (dot != std::string::npos && name[dot] == '.') name.erase(dot);
    name += ext;
    if (outputDir.empty()) return name;
    return ostra::AddBackslash(outputDir) + ostra::ExtractFileName(name);
}

void WriteSelfExtractor(const std::string& stub, const std::string& archiveFileName,
                        const std::string& output, TSfxTrailer trailer) {
    // Creating the output would empty the very file it is to be made from.
    if (SameFile(output, archiveFileName) || SameFile(output, stub))
        throw EArchiver("自己解凍書庫の出力先 " + output + " は元の書庫ファイルと同じです。");

    ostra::FileHandle archive = OpenForReading(archiveFileName);
    ostra::FileHandle stubFile = OpenForReading(stub);
    LARGE_INTEGER archiveSize{};
    if (!::GetFileSizeEx(archive.get(), &archiveSize)) RaiseFileError("Cannot read file", archiveFileName);
    if (trailer == TSfxTrailer::BigEndianSize && static_cast<uint64_t>(archiveSize.QuadPart) > 0xFFFFFFFFull)
        throw EArchiver("自己解凍書庫には 4 GB 以上の書庫ファイルを収められません。");

    // A file of the output's name is replaced only when it is an earlier self-extractor made with
    // this stub: anything else there is a file of the user's that merely has that name.
    const DWORD existing = ::GetFileAttributesA(output.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && !(existing & FILE_ATTRIBUTE_DIRECTORY) &&
        !BeginsWithStub(output, stubFile.get(), stub))
        throw EArchiver("自己解凍書庫の出力先 " + output +
                        " には自己解凍書庫ではない別のファイルがあります。");

    ostra::FileHandle out(::CreateFileA(output.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) RaiseFileError("Cannot create file", output);
    try {
        CopyAll(stubFile.get(), stub, out.get(), output);
        CopyAll(archive.get(), archiveFileName, out.get(), output);
        if (trailer == TSfxTrailer::BigEndianSize) {
            const uint32_t size = static_cast<uint32_t>(archiveSize.QuadPart);
            const char bytes[4] = {static_cast<char>(size >> 24), static_cast<char>(size >> 16),
                                   static_cast<char>(size >> 8), static_cast<char>(size)};
            WriteAll(out.get(), bytes, 4, output);
        }
        if (!::FlushFileBuffers(out.get())) RaiseFileError("Cannot write file", output);
    } catch (...) {
        // A half-written self-extractor would only fail when someone runs it.
        out.reset();
        ::DeleteFileA(output.c_str());
        throw;
    }
}

}  // namespace arc
