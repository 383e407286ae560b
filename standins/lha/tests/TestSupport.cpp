#include "TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace lhatest {

Bytes random_bytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& c : b) c = static_cast<unsigned char>(rng());
    return b;
}

Bytes text_like(std::size_t n, unsigned seed) {
    static const char* const words[] = {"int",      "return",      "static",  "const",  "template",
                                        "typename", "std::vector", "if",      "else",   "for",
                                        "while",    "namespace",   "class",   "struct", "value",
                                        "size_t",   "operator",    "nullptr", "auto",   "void",
                                        "{",        "}",           "(",       ")",      ";"};
    std::mt19937 rng(seed);
    Bytes b;
    b.reserve(n + 32);
    while (b.size() < n) {
        const char* w = words[rng() % (sizeof(words) / sizeof(words[0]))];
        b.insert(b.end(), w, w + std::char_traits<char>::length(w));
        b.push_back(rng() % 9 == 0 ? '\n' : ' ');
        if (rng() % 50 == 0) {
            // A number now and then, so not everything repeats.
            auto s = std::to_string(rng() % 100000);
            b.insert(b.end(), s.begin(), s.end());
        }
    }
    b.resize(n);
    return b;
}

Bytes repetitive(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<unsigned char>("abcabcabd"[i % 9]);
    return b;
}

Bytes make_archive(const std::vector<File>& files, lha::Method method, int level) {
    lha::MemorySink sink;
    lha::WriterOptions o;
    o.header_level = level;
    lha::Writer w(sink, o);
    for (const auto& f : files) {
        lha::NewEntry ne;
        ne.name = f.name;
        ne.dos_time = 0x58210000;  // 2024-01-01 00:00:00
        ne.unix_time = 1704067200;
        // Windows time stamps too, as the DLL writes them (an extension the other tools skip).
        ne.has_file_times = true;
        ne.creation_time = ne.write_time = ne.access_time = 133485408000000000ull;
        if (f.directory) {
            w.add_directory(ne);
        } else {
            lha::MemorySource src(f.data.data(), f.data.size());
            w.add_file(ne, src, method);
        }
    }
    w.finish();
    return sink.data();
}

std::vector<Extracted> extract_all(const Bytes& archive) {
    lha::MemorySource src(archive.data(), archive.size());
    lha::Reader r(src);
    std::vector<Extracted> out;
    lha::Entry e;
    while (r.next(e)) {
        lha::MemorySink sink;
        r.extract(e, sink);
        out.push_back({e, sink.data()});
    }
    return out;
}

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "lhatest-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void write_file(const std::filesystem::path& p, const Bytes& data) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!f) throw std::runtime_error("cannot write " + p.string());
}

Bytes read_file(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + p.string());
    return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

int run(const std::string& command, std::string* output) {
    FILE* p = popen((command + " 2>&1 </dev/null").c_str(), "r");
    if (!p) return -1;
    std::string out;
    char buf[4096];
    std::size_t k;
    while ((k = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, k);
    int status = pclose(p);
    if (output) *output = out;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string sh_quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

}  // namespace lhatest
