// Builder of archiver command lines: blank-separated items, quoted paths, numeric and flag
// switches, and file lists written inline or into a response file.
#pragma once

#include <functional>
#include <string>

#include "FileList.h"

namespace arc {

class TCmdOpt {
  public:
    // Applied to every file name of a file list; the names go out unchanged when unset.
    using TNameConverter = std::function<std::string(const std::string& name)>;

    // False: a switch and its path run together inside one pair of quotes ("-wC:\x\").
    // True: the switch, a blank, then the quoted path (-w "C:\x\").
    bool SeparateValue = false;
    TNameConverter NameConverter;
    // The line built so far; every item is preceded by one blank.
    std::string CmdLine;

    void Add(const std::string& item);
    // Nothing for the unset text marker; an empty path is written like any other. An empty switch
    // writes the quoted path alone; a switch beginning with a blank is written without that blank
    // and without a dash.
    void AddPathOption(const std::string& option, const std::string& path);
    // "-" + switch + n; nothing for a negative n (the options' "not set").
    void AddNumber(const std::string& option, int n);
    void AddFlag(const std::string& option, bool flag);
    void AddFile(const std::string& option, const std::string& path);
    // Nothing for an empty or unset directory; otherwise written with a trailing backslash.
    void AddDir(const std::string& option, const std::string& dir);
    // Every name of the list through AddFile; returns the number of names.
    int AddFiles(const std::string& option, const TFileList& files);
    // Writes every name, quoted, one a line (CR LF), into fileName (an existing file is replaced),
    // then adds the quoted "@" + fileName. Returns the number of names. When the file cannot be
    // written, std::system_error is raised and the line is unchanged.
    int AddResponseFile(const TFileList& files, const std::string& fileName);

  private:
    std::string Converted(const std::string& name) const;
};

}  // namespace arc
