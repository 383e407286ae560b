#include "RunOptions.h"

#include <stdexcept>

#include "FileSystem.h"
#include "SettingsFile.h"
#include "TextRoutines.h"
#include "ostra_consts.h"

namespace ostra {

TRunOptions ReadRunOptions(const TSettingsFile& ini) {
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
    return o;
}

std::string ProjectSettingsText(const TRunOptions& o) {
    std::string t;
    auto line = [&t](const std::string& l) { t += l + "\r\n"; };
    line("[Option]");
    line("BaseDir=" + o.BaseDir);
    line("ArcDir=" + o.ArcDir);
    line(std::string("Timestamp=") + BoolToIniStr(o.Timestamp));
    line(std::string("Archive=") + BoolToIniStr(o.Archive));
    line("Lha=" + std::to_string(o.Lha));
    line("ArcName=" + std::to_string(o.ArcName));
    line(std::string("ArcProgress=") + BoolToIniStr(o.ArcProgress));
    line(std::string("DeleteFiles=") + BoolToIniStr(o.DeleteFiles));
    line(std::string("DelConfirm=") + BoolToIniStr(o.DelConfirm));
    line(std::string("DelShowDialog=") + BoolToIniStr(o.DelShowDialog));
    line(std::string("DelUseRecycleBin=") + BoolToIniStr(o.DelUseRecycleBin));
    return t;
}

void WriteProjectSettings(const std::string& path, const TRunOptions& o) {
    if (!WriteFileAtomically(path, ProjectSettingsText(o))) {
        throw WriteFailedError(path);
    }
}

}  // namespace ostra
