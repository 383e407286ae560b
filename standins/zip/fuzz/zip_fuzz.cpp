// Fuzz target of the ZIP reader: any bytes as an archive file, its directory read and every entry
// decoded (output capped), the stored names through the name checks, and its records written
// again. Nothing may crash, overrun or hang; every rejection is a ZipError.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ZipFormat.h"
#include "ZipNames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zipfmt::MemorySource src(data, size);
    try {
        const zipfmt::ZipDirectory dir = zipfmt::ReadDirectory(src);
        size_t budget = 1 << 20;
        for (const zipfmt::ZipEntry& e : dir.Entries) {
            std::vector<std::string> parts;
            if (zipfmt::SafeComponents(e.Name, parts)) zipfmt::JoinedComponents(parts);
            // Written again as a rewrite keeps it (the Unicode path field included).
            zipfmt::LocalHeader(e);
            zipfmt::CentralHeader(e);
            std::string literal;
            zipfmt::LiteralOf(e.Name, literal);
            zipfmt::WildMatch(e.Name, e.Name);
            try {
                zipfmt::ReadEntryData(src, e, dir.DirectoryOffset, [&](const void*, size_t n) {
                    if (n > budget) return false;
                    budget -= n;
                    return true;
                });
            } catch (const zipfmt::ZipError&) {
            }
        }
    } catch (const zipfmt::ZipError&) {
    }
    // Patterns from the input against a fixed name and the input against a pattern.
    const std::string text(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
    zipfmt::WildMatch(text, "dir/sub/file[1].txt");
    zipfmt::WildMatch("*[a-z]?*.t*t", text);
    return 0;
}
