// The commands that read an archive: x (extract with the stored folders), e (without them),
// t (test) and the extraction of one entry into memory.
//
// Extraction is all or nothing: every file is first decoded into a temporary file beside its
// final place and its CRC checked; only when the whole archive went through are they renamed
// to their final names (existing files are renamed aside first and deleted at the end) and the
// time stamps and attributes set. A broken archive, a CRC error, a cancel, an archive that
// holds a file and a folder of the same name, or a rename that fails (a file in use) removes
// the temporary files and the folders made for them and puts back the files already replaced,
// so the destination stays as it was. Entries whose names would leave the
// destination (".."), and entries of methods this library cannot decode, are left out and
// noted in the result; the others are still extracted.
#pragma once

#include <windows.h>

#include "Command.h"
#include "OutputReport.h"

namespace unlha {

class ArchiveExtractor {
  public:
    ArchiveExtractor(HWND window, const Command& cmd, OutputReport& report);
    int Run();
    // The first entry matching the command's first name goes into buffer (size bytes).
    int ExtractToMemory(LPBYTE buffer, DWORD size, DWORD* time, LPWORD attributes, LPDWORD written);

  private:
    void Note(int code);

    HWND window_;
    const Command& cmd_;
    OutputReport& report_;
    int result_ = 0;
};

}  // namespace unlha
