// Read access to the registry for the registry tree: one root key and at most one open key.
#pragma once

#include <windows.h>

#include <string>

#include "WinHandles.h"
#include "StringLists.h"

namespace ostra {

struct TRegDataInfo {
    DWORD Type = REG_NONE;
    DWORD Size = 0;
};

class TRegistryAccessor {
  public:
    void SetRootKey(HKEY root);
    HKEY RootKey() const { return root_; }
    // Opens name below the root key (a leading backslash is allowed), with full access or, when
    // that is refused, for reading. The key opened before is closed. False when neither worked.
    bool OpenKey(const std::string& name);
    void CloseKey();
    bool HasOpenKey() const { return key_.valid(); }
    const std::string& CurrentPath() const { return path_; }

    // Names of the open key's subkeys and values; empty without an open key.
    TStrings GetKeyNames() const;
    TStrings GetValueNames() const;
    // The value's type and size; raises an error when the value cannot be read.
    TRegDataInfo GetDataInfo(const std::string& name) const;
    // Raise an error when the value is missing or of another kind.
    int ReadInteger(const std::string& name) const;
    std::string ReadString(const std::string& name) const;

  private:
    HKEY root_ = HKEY_CURRENT_USER;
    RegKey key_;
    std::string path_;
};

}  // namespace ostra
