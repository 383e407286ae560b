#pragma once
// LHA header parsing (levels 0, 1, 2) and building (levels 0, 1, 2).
#include "lha/lha.h"

#include <cstdint>
#include <vector>

namespace lha::detail {

// Reads the header at `offset`. Returns false at the end of the archive (end mark, or nothing
// more to read). Throws BadArchive / Truncated / CrcMismatch on a bad header.
bool read_header(ByteSource& source, std::uint64_t offset, Entry& entry);

// The fields a new header is built from (entry.name etc.; offsets are ignored).
struct HeaderFields {
    std::string name;  // backslash separators
    bool is_directory = false;
    std::string method = "-lh0-";
    std::uint64_t original_size = 0;
    std::uint64_t packed_size = 0;
    std::uint16_t crc = 0;
    std::uint32_t dos_time = 0;
    std::int64_t unix_time = 0;
    std::uint16_t attributes = kAttrArchive;
    bool has_file_times = false;
    std::uint64_t creation_time = 0, write_time = 0, access_time = 0;
    std::uint8_t os_id = 'M';
    bool large = false;  // reserve the 64-bit size extension (level 2 only)
};

// Builds a header; its length depends only on the names, level and flags, never on sizes or
// CRC, so a placeholder can be patched in place. Throws InvalidArgument when the name does not
// fit the level or sizes need 64 bits at level 0/1.
std::vector<unsigned char> build_header(const HeaderFields& fields, int level);

// Fills an Entry from the fields of a header just written.
Entry entry_from_fields(const HeaderFields& fields, int level);

}  // namespace lha::detail
