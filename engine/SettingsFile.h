// The settings accessor: typed reads and writes of one profile file, each going to the file at
// once through the private-profile functions (names match without regard to case; a missing
// file, section or key gives the default; reading creates nothing).
#pragma once

#include <stdexcept>
#include <string>

namespace ostra {

class TSettingsFile {
  public:
    explicit TSettingsFile(std::string path) : Path_(std::move(path)) {}

    const std::string& FileName() const { return Path_; }

    // At most 1023 bytes of a value are seen.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // Decimal; "0x"/"0X" followed by digits is hexadecimal; a value that does not parse gives def.
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    // An integer read with default 1 or 0; any nonzero value is true.
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;

    // A failed write raises std::runtime_error "<path> に書き込めません".
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

  private:
    std::string Path_;
};

// The error of a settings, list or project file that could not be written: "<path> に書き込めません",
// the path whole, however long.
std::runtime_error WriteFailedError(const std::string& path);

// Parses an integer as the settings file stores it; false when the text is no number.
bool ParseIniInteger(const std::string& text, int& value);

}  // namespace ostra
