#include "RunOptions.h"

#include <stdexcept>

#include "FileSystem.h"
#include "SettingsFile.h"
#include "TextRoutines.h"
#include "ostra_consts.h"

namespace ostra {

TRunOptions ReadRunOptions(const TSettingsFile& ini) {
    return ReadRunOptionsOf(ini);
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
