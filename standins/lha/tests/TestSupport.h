#pragma once
// Shared helpers of the codec tests: test data, archives in memory, temporary folders and the
// reference tools.
#include "lha/lha.h"

#include <filesystem>
#include <string>
#include <vector>

namespace lhatest {

using Bytes = std::vector<unsigned char>;

Bytes random_bytes(std::size_t n, unsigned seed);
// Word salad with line structure: compresses like source text.
Bytes text_like(std::size_t n, unsigned seed);
Bytes repetitive(std::size_t n);

struct File {
    std::string name;  // archive name, backslash separators
    Bytes data;
    bool directory = false;
};

// Builds an archive in memory.
Bytes make_archive(const std::vector<File>& files, lha::Method method, int level = 2);

// Every entry and its extracted data.
struct Extracted {
    lha::Entry entry;
    Bytes data;
};
std::vector<Extracted> extract_all(const Bytes& archive);

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

void write_file(const std::filesystem::path& p, const Bytes& data);
Bytes read_file(const std::filesystem::path& p);

// Runs a shell command; returns its exit status and (if given) its standard output.
int run(const std::string& command, std::string* output = nullptr);
// Single-quotes for the shell.
std::string sh_quote(const std::string& s);

}  // namespace lhatest
