// The open file list of the archive operations: a sequence of arguments of several kinds (texts,
// null-terminated text arrays, string lists, variants) that is flattened into one list of names.
// Callers write TFileList{names} or {"a.txt", list}; arguments of other kinds (numbers, booleans)
// are accepted and contribute nothing.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "ArchiverOptions.h"
#include "WideText.h"

namespace arc {

// One value a variant can hold: nothing, a boolean, a number or a text.
using TVarValue = std::variant<std::monostate, bool, long long, double, std::string>;
// A variant argument: one value, or a one-dimensional array of values (one name per element).
using TVariant = std::variant<TVarValue, std::vector<TVarValue>>;

// A variant value as text: empty for nothing, "True"/"False", decimal numbers.
std::string VarToStr(const TVarValue& value);

using ostra::ExactAnsi;

// One argument of a file list. Its names are taken when it is made, so an argument never refers
// to the caller's objects afterwards. Empty names are kept here; flattening drops them.
class TFileArg {
  public:
    TFileArg(const std::string& name) : Names_{name} {}
    TFileArg(std::string_view name) : Names_{std::string(name)} {}
    // A null pointer yields no names.
    TFileArg(const char* name);
    // A null-terminated array of text pointers; a null array yields no names.
    TFileArg(const char* const* names);
    TFileArg(char** names) : TFileArg(const_cast<const char* const*>(names)) {}
    // Wide texts are converted to the ANSI code page. A text without an exact ANSI form becomes an
    // empty name: skipped by FlattenFiles, and selecting nothing in the pack file selection (where
    // no name at all would select every file).
    TFileArg(const wchar_t* name);
    TFileArg(const std::wstring& name) : TFileArg(name.c_str()) {}
    TFileArg(const TStrings& names) : Names_(names) {}
    TFileArg(const TVariant& value);
    TFileArg(const TVarValue& value) : TFileArg(TVariant(value)) {}
    TFileArg(std::nullptr_t) {}
    // Numbers, booleans and characters contribute nothing.
    template <typename T, std::enable_if_t<std::is_arithmetic_v<T>, int> = 0>
    TFileArg(T) {}

    const TStrings& names() const { return Names_; }

  private:
    TStrings Names_;
};

class TFileList {
  public:
    TFileList() = default;
    TFileList(std::initializer_list<TFileArg> args) : Args_(args) {}
    explicit TFileList(std::vector<TFileArg> args) : Args_(std::move(args)) {}

    void Add(const TFileArg& arg) { Args_.push_back(arg); }
    const std::vector<TFileArg>& args() const { return Args_; }

  private:
    std::vector<TFileArg> Args_;
};

// All names of the list in order. Empty names are skipped unless keepEmpty is set (the pack file
// selection keeps them: an empty name there selects nothing rather than everything).
TStrings FlattenFiles(const TFileList& files, bool keepEmpty = false);

}  // namespace arc
