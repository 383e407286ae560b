#include "CmdOpt.h"

#include <windows.h>

#include <system_error>

#include "ArchiverOptions.h"
#include "FileSystem.h"
#include "TempFile.h"
#include "TextRoutines.h"
#include "WinHandles.h"

namespace arc {

namespace {
std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}
}  // namespace

void TCmdOpt::Add(const std::string& item) {
    CmdLine += ' ';
    CmdLine += item;
}

void TCmdOpt::AddPathOption(const std::string& option, const std::string& path) {
    if (IsUnsetText(path)) return;
    if (option.empty()) {
        Add(Quoted(path));
        return;
    }
    std::string text = option[0] == ' ' ? option.substr(1) : "-" + option;
    if (SeparateValue)
        Add(text + " " + Quoted(path));
    else
        Add(Quoted(text + path));
}

void TCmdOpt::AddNumber(const std::string& option, int n) {
    if (n >= 0) Add("-" + option + std::to_string(n));
}

void TCmdOpt::AddFlag(const std::string& option, bool flag) {
    if (flag) Add("-" + option);
}

void TCmdOpt::AddFile(const std::string& option, const std::string& path) {
    AddPathOption(option, path);
}

void TCmdOpt::AddDir(const std::string& option, const std::string& dir) {
    if (dir.empty() || IsUnsetText(dir)) return;
    // Double-byte aware: a trail byte 0x5C is not a backslash.
    AddFile(option, ostra::AddBackslash(dir));
}

std::string TCmdOpt::Converted(const std::string& name) const {
    return NameConverter ? NameConverter(name) : name;
}

int TCmdOpt::AddFiles(const std::string& option, const TFileList& files) {
    TStrings names = FlattenFiles(files);
    for (const std::string& name : names) AddFile(option, Converted(name));
    return static_cast<int>(names.size());
}

int TCmdOpt::AddResponseFile(const TFileList& files, const std::string& fileName) {
    TStrings names = FlattenFiles(files);
    std::string text;
    for (const std::string& name : names) text += Quoted(Converted(name)) + "\r\n";
    ostra::FileHandle file(::CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                                "Cannot create file " + fileName);
    }
    // A response file that is not whole would hand the library a shorter list: it goes.
    ostra::TTempFile written(fileName);
    if (!ostra::WriteAll(file.get(), text)) {
        const DWORD error = ::GetLastError();
        file.reset();
        throw std::system_error(static_cast<int>(error), std::system_category(),
                                "Cannot write file " + fileName);
    }
    file.reset();
    written.Keep();
    AddFile("", "@" + fileName);
    return static_cast<int>(names.size());
}

}  // namespace arc
