// A command line of the main entry, taken apart.
//
// Form: WORD {-switch} "archive" ["directory\"] {"name" | @responsefile}
//   WORD   u (create or update; a is the same), f (freshen), d (delete), x (extract with the
//          stored folders), e (extract without folders), t (test), s (self-extractor: not
//          provided), or nothing (ExtractMem). Items are separated by blanks; double quotes
//          group, and are removed from, an item.
//   Items before the archive that begin with '-' are switches, one per item. The first item
//   that is not a switch is the archive. For u, a, f, x, e and s the next one is the base (or
//   destination) directory when it ends in a backslash; every later item names a file
//   (wildcards allowed), also when it begins with '-': callers write the switches first, and a
//   backed-up file may well be called "-x-".
//   "@file" reads names from a file, one per line (quotes optional). A name may begin with '@'
//   too, so: for u, a and f an item "@..." that matches a file or folder in the base folder is
//   that name, otherwise a response file (an error when unreadable); for the words that name
//   archive entries (x, e, t, d, none) it is a response file when such a file exists (relative
//   to the current folder, or absolute), otherwise an entry name.
//
// Switches (letters in any case; a bare switch means the value 1):
//   -+        no effect (this library reads no settings of its own)
//   -a<n>     a1: wildcards also select hidden and system files (named files are always packed)
//   -n<n>     n0: show a progress dialog with a cancel button; n1 (default): no dialog
//   -x<n>     x1 (default): keep the folders of the names; x0: file names only
//   -r<n>     r1: wildcards also search subfolders; r2: a named folder packs its whole tree
//   -jm<n>    method: 0 lh0 (store), 1 and 2 lh5 (default), 3 lh6, 4 lh7
//   -z<n>     z1 (or bare -z): same as -jm0; z0: no effect
//   -h<n>     header level 0, 1 or 2 (default 2) of new entries
//   -jx<pat>  leave out names matching pat (whole stored name, or its last part when pat has no
//             folder); repeatable; applies to packing, deleting and extracting
//   -w<dir>   folder for the temporary archive (default: beside the archive)
//   -p, -jso, -jse, and any switch not listed: accepted and ignored. Existing files are always
//             replaced on extraction, and no question or message box is ever shown, which is
//             what -jso and -jse ask for.
#pragma once

#include <lha/lha.h>

#include <string>
#include <vector>

namespace unlha {

struct Switches {
    bool showDialog = false;
    int attributes = 0;
    bool keepPaths = true;
    int recurse = 0;
    lha::Method method = lha::Method::Lh5;
    int headerLevel = 2;
    std::vector<std::string> excludes;
    std::string workDir;
    std::vector<std::string> ignored;  // switches taken without effect, for the report
};

struct Command {
    std::string word;       // lower case; empty for none
    std::string archive;    // as given
    std::string directory;  // base or destination folder with its backslash; empty when none
    std::vector<std::string> names;
    Switches switches;
};

}  // namespace unlha
