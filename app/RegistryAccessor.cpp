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

namespace {

// The names of a key's subkeys or values. The key's longest name is counted in UTF-16
// characters, and a name is handed over in Shift-JIS, up to two bytes a character: the buffer
// is sized in bytes, and grown when a name still does not fit (the registry may change between
// the two calls). A name that cannot be read at all is left out, the others stay.
template <typename TEnum>
TStrings EnumNames(DWORD count, DWORD longest, TEnum enumerate) {
    TStrings names;
    std::vector<char> buf(2 * static_cast<size_t>(longest) + 2);
    for (DWORD i = 0; i < count; ++i) {
        for (;;) {
            DWORD len = static_cast<DWORD>(buf.size());
            const LONG r = enumerate(i, buf.data(), &len);
            if (r == ERROR_SUCCESS) {
                names.emplace_back(buf.data(), len);
            } else if (r == ERROR_MORE_DATA && buf.size() < 65536) {
                buf.resize(buf.size() * 2);
                continue;
            }
            break;
        }
    }
    return names;
}

}  // namespace

TStrings TRegistryAccessor::GetKeyNames() const {
    if (!key_) return {};
    DWORD count = 0, longest = 0;
    if (::RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    return EnumNames(count, longest, [this](DWORD i, char* name, DWORD* len) {
        return ::RegEnumKeyExA(key_.get(), i, name, len, nullptr, nullptr, nullptr, nullptr);
    });
}

TStrings TRegistryAccessor::GetValueNames() const {
    if (!key_) return {};
    DWORD count = 0, longest = 0;
    if (::RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longest,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    return EnumNames(count, longest, [this](DWORD i, char* name, DWORD* len) {
        return ::RegEnumValueA(key_.get(), i, name, len, nullptr, nullptr, nullptr, nullptr);
    });
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
