// The run settings of section Option: the eleven that ostra.ini and a project settings file hold,
// and KeepArchives, which ostra.ini alone holds (a project's file keeps its twelve lines).
#pragma once

#include <string>

#include "ArchivePruning.h"
#include "ostra_consts.h"

namespace ostra {

class TSettingsFile;

struct TRunOptions {
    std::string BaseDir;
    std::string ArcDir;
    bool Timestamp = false;
    bool Archive = false;
    int Lha = 0;
    int ArcName = 0;
    bool ArcProgress = false;
    bool DeleteFiles = false;
    bool DelConfirm = true;
    bool DelShowDialog = true;
    bool DelUseRecycleBin = true;
    // How many archives the archive folder keeps after a sound run, the new one counted; 0 keeps
    // all (the default: a configuration without the key runs as it always did).
    int KeepArchives = 0;
};

// Reads the eleven keys with their defaults (BaseDir to DelUseRecycleBin) and KeepArchives (a
// negative value or text reads as 0, one above kMaxKeepArchives as that) from anything that reads
// profile values by section and key (ReadString, ReadInteger, ReadBool): the profile file, or a
// project's settings text read as text.
template <class TIni>
TRunOptions ReadRunOptionsOf(const TIni& ini) {
    const char* s = kSectionOption;
    TRunOptions o;
    o.BaseDir = ini.ReadString(s, "BaseDir", "");
    o.ArcDir = ini.ReadString(s, "ArcDir", "");
    o.Timestamp = ini.ReadBool(s, "Timestamp", false);
    o.Archive = ini.ReadBool(s, "Archive", false);
    o.Lha = ini.ReadInteger(s, "lha", 0);
    o.ArcName = ini.ReadInteger(s, "ArcName", 0);
    o.ArcProgress = ini.ReadBool(s, "ArcProgress", false);
    o.DeleteFiles = ini.ReadBool(s, "DeleteFiles", false);
    o.DelConfirm = ini.ReadBool(s, "DelConfirm", true);
    o.DelShowDialog = ini.ReadBool(s, "DelShowDialog", true);
    o.DelUseRecycleBin = ini.ReadBool(s, "DelUseRecycleBin", true);
    o.KeepArchives = KeepArchivesOf(ini.ReadInteger(s, "KeepArchives", 0));
    return o;
}
TRunOptions ReadRunOptions(const TSettingsFile& ini);

// The project settings file: exactly twelve CR LF terminated lines.
std::string ProjectSettingsText(const TRunOptions& o);
// Writes it whole (the old file stays whole when the write fails; error "<path> に書き込めません").
void WriteProjectSettings(const std::string& path, const TRunOptions& o);

}  // namespace ostra
