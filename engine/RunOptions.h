// The eleven run settings of section Option, as ostra.ini and a project settings file hold them.
#pragma once

#include <string>

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
};

// Reads the eleven keys with their defaults (BaseDir to DelUseRecycleBin).
TRunOptions ReadRunOptions(const TSettingsFile& ini);

// The project settings file: exactly twelve CR LF terminated lines.
std::string ProjectSettingsText(const TRunOptions& o);
// Writes it whole (the old file stays whole when the write fails; error "<path> に書き込めません").
void WriteProjectSettings(const std::string& path, const TRunOptions& o);

}  // namespace ostra
