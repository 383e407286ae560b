// Self-extracting archives that the back-ends build themselves: a stub file found by name, copied
// unchanged in front of the archive data into an output file beside (or instead of) the archive.
#pragma once

#include <string>

namespace arc {

// The full name of the stub file name on the system search path, or in folder when one is given;
// empty when it is not found.
std::string FindSfxStub(const std::string& name, const std::string& folder = std::string());

// The archive name with its extension changed to ext; when outputDir is not empty, the file part
// of that name placed in outputDir.
std::string SfxOutputName(const std::string& archiveFileName, const std::string& outputDir,
                          const std::string& ext);

// What follows the archive data in the output.
enum class TSfxTrailer {
    None,
    BigEndianSize,  // the archive's size in bytes, 4 bytes, most significant first
};

// Writes the stub, then the archive, then the trailer into output. An existing output is replaced
// only when it begins with the stub (an earlier self-extractor); any other file of that name, and
// an output that is the archive or the stub itself, is refused (EArchiver) before anything is
// opened for writing; so is an archive too large for a 4-byte trailer. When reading or writing
// fails, std::system_error is raised and the partial output file is removed.
void WriteSelfExtractor(const std::string& stub, const std::string& archiveFileName,
                        const std::string& output, TSfxTrailer trailer);

}  // namespace arc
