#include "RegistryAccessor.h"

#include <stdexcept>
#include <vector>

namespace ostra {

namespace {

std::runtime_error ReadError(const std::string& name) {
    return std::runtime_error("レジストリの値 \"" + name + "\" を読めません");
}

}  // namespace

void TRegistryAccessor::SetRootKey(HKEY root) {
    if (root == root_) return;
    CloseKey();
    root_ = root;
}

bool TRegistryAccessor::OpenKey(const std::string& name) {
    CloseKey();
    if (!root_) return false;
    std::string sub = name;
    if (!sub.empty() && sub[0] == '\\') sub.erase(0, 1);
    HKEY h = nullptr;
    if (::RegOpenKeyExA(root_, sub.c_str(), 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS &&
        ::RegOpenKeyExA(root_, sub.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    key_.reset(h);
    path_ = sub;
    return true;
}

void TRegistryAccessor::CloseKey() {
    key_.reset();
    path_.clear();
}

TStrings TRegistryAccessor::GetKeyNames() const {
    TStrings names;
    if (!key_) return names;
    DWORD count = 0, maxLen = 0;
    if (::RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, &count, &maxLen, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    std::vector<char> buf(maxLen + 2);
    for (DWORD i = 0; i < count; ++i) {
        DWORD len = static_cast<DWORD>(buf.size());
        if (::RegEnumKeyExA(key_.get(), i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS)
            names.emplace_back(buf.data(), len);
    }
    return names;
}

TStrings TRegistryAccessor::GetValueNames() const {
    TStrings names;
    if (!key_) return names;
    DWORD count = 0, maxLen = 0;
    if (::RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxLen,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    std::vector<char> buf(maxLen + 2);
    for (DWORD i = 0; i < count; ++i) {
        DWORD len = static_cast<DWORD>(buf.size());
        if (::RegEnumValueA(key_.get(), i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS)
            names.emplace_back(buf.data(), len);
    }
    return names;
}

TRegDataInfo TRegistryAccessor::GetDataInfo(const std::string& name) const {
    TRegDataInfo info;
    if (!key_ || ::RegQueryValueExA(key_.get(), name.c_str(), nullptr, &info.Type, nullptr, &info.Size) !=
                     ERROR_SUCCESS)
        throw ReadError(name);
    return info;
}

int TRegistryAccessor::ReadInteger(const std::string& name) const {
    DWORD type = 0, value = 0, size = sizeof value;
    if (!key_ ||
        ::RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                           &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        throw ReadError(name);
    return static_cast<int>(value);
}

std::string TRegistryAccessor::ReadString(const std::string& name) const {
    TRegDataInfo info = GetDataInfo(name);
    if (info.Type != REG_SZ && info.Type != REG_EXPAND_SZ) throw ReadError(name);
    std::vector<char> buf(info.Size + 1);
    DWORD size = info.Size, type = 0;
    if (::RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                           &size) != ERROR_SUCCESS)
        throw ReadError(name);
    std::string s(buf.data(), size);
    while (!s.empty() && s.back() == '\0') s.pop_back();
    return s;
}

}  // namespace ostra
