#include "Records.h"

#include <windows.h>

#include <cstring>

#include "FileTimes.h"

namespace unlha {

namespace {
std::uint32_t Clamp32(std::uint64_t v) {
    return v > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(v);
}
}  // namespace

void CopyText(char* field, std::size_t fieldSize, const std::string& s) {
    std::memset(field, 0, fieldSize);
    std::size_t take = 0;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t len = (::IsDBCSLeadByte(static_cast<BYTE>(s[i])) && i + 1 < s.size()) ? 2 : 1;
        if (i + len > fieldSize - 1) break;
        i += len;
        take = i;
    }
    std::memcpy(field, s.data(), take);
}

std::string AttributeText(std::uint16_t a, bool directory) {
    std::string t = "-----";
    if (a & lha::kAttrReadOnly) t[0] = 'r';
    if (a & lha::kAttrHidden) t[1] = 'h';
    if (a & lha::kAttrSystem) t[2] = 's';
    if (directory || (a & lha::kAttrDirectory)) t[3] = 'd';
    if (a & lha::kAttrArchive) t[4] = 'a';
    return t;
}

std::uint16_t RatioPerMille(std::uint64_t packed, std::uint64_t original) {
    if (original == 0) return 0;
    std::uint64_t r = packed * 1000 / original;  // sizes stay far below 2^54 in an LHA archive
    return static_cast<std::uint16_t>(r > 0xFFFF ? 0xFFFF : r);
}

void FillEntryInfo(const lha::Entry& e, UnlhaEntryInfo& info) {
    std::memset(&info, 0, sizeof info);
    info.originalSize = Clamp32(e.original_size);
    info.compressedSize = Clamp32(e.packed_size);
    info.crc = e.crc;
    info.flags = static_cast<std::uint32_t>(e.header_level);
    info.osType = e.os_id;
    info.ratio = RatioPerMille(e.packed_size, e.original_size);
    std::uint32_t dos = EntryDosTime(e);
    info.dosDate = static_cast<std::uint16_t>(dos >> 16);
    info.dosTime = static_cast<std::uint16_t>(dos);
    CopyText(info.fileName, sizeof info.fileName, e.name);
    CopyText(info.attributes, sizeof info.attributes, AttributeText(e.attributes, e.is_directory));
    CopyText(info.method, sizeof info.method, e.method);
}

void FillProgressInfo(const lha::Entry& e, const std::string& destination, UnlhaProgressInfo& info) {
    std::memset(&info, 0, sizeof info);
    info.fileSize = Clamp32(e.original_size);
    CopyText(info.nameInArchive, sizeof info.nameInArchive, e.name);
    CopyText(info.destination, sizeof info.destination, destination);
    info.compressedSize = Clamp32(e.packed_size);
    info.crc = e.crc;
    info.osType = e.os_id;
    info.ratio = RatioPerMille(e.packed_size, e.original_size);
    std::uint32_t dos = EntryDosTime(e);
    info.dosDate = static_cast<std::uint16_t>(dos >> 16);
    info.dosTime = static_cast<std::uint16_t>(dos);
    CopyText(info.attributes, sizeof info.attributes, AttributeText(e.attributes, e.is_directory));
    CopyText(info.method, sizeof info.method, e.method);
}

void FillMemberInfo(const lha::Entry& e, const std::string& destination, std::uint32_t command,
                    UnlhaMemberInfo& info) {
    std::memset(&info, 0, sizeof info);
    info.structSize = sizeof info;
    info.command = command;
    info.originalSize = e.original_size;
    info.compressedSize = e.packed_size;
    info.lastWriteTime = EntryWriteTime(e);
    info.crc = e.crc;
    info.attributes = e.attributes;
    CopyText(info.method, sizeof info.method, e.method);
    CopyText(info.nameInArchive, sizeof info.nameInArchive, e.name);
    CopyText(info.destination, sizeof info.destination, destination);
}

}  // namespace unlha
