// lhatool: native command line over the LHA codec, for tests and benchmarks.
//   lhatool c [-m lh0|lh5|lh6|lh7] [-level N] [-depth N] [-nice N] [-passes N] [-threads N]
//             ARCHIVE PATH...
//   lhatool l ARCHIVE          list
//   lhatool t ARCHIVE          test every entry
//   lhatool x ARCHIVE DESTDIR  extract (never outside DESTDIR)
// Exit status: 0 success, 1 usage, 2 archive/data error, 3 I/O error.
#include "PosixFile.h"
#include "lha/lha.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <sys/time.h>
#include <vector>

namespace {

using lhatool::PosixFileSink;
using lhatool::PosixFileSource;

int usage() {
    std::fprintf(stderr,
                 "usage: lhatool c [-m lh0|lh5|lh6|lh7] [-level N] ARCHIVE PATH...\n"
                 "       lhatool l|t ARCHIVE\n"
                 "       lhatool x ARCHIVE DESTDIR\n");
    return 1;
}

std::string to_archive_name(std::string path) {
    while (path.rfind("./", 0) == 0) path.erase(0, 2);
    while (!path.empty() && path[0] == '/') path.erase(0, 1);
    for (auto& c : path)
        if (c == '/') c = '\\';
    return path;
}

void fill_times(const struct stat& st, lha::NewEntry& ne) {
    ne.unix_time = st.st_mtime;
    struct tm lt;
    time_t t = st.st_mtime;
    localtime_r(&t, &lt);
    ne.dos_time = lha::seconds_to_dos_time(static_cast<std::int64_t>(t) + lt.tm_gmtoff);
    ne.attributes = (st.st_mode & S_IWUSR) ? lha::kAttrArchive : (lha::kAttrArchive | lha::kAttrReadOnly);
}

void add_path(lha::Writer& w, const std::string& path, lha::Method m) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        throw lha::Error(lha::ErrorCode::Io, "cannot stat " + path + ": " + std::strerror(errno));
    lha::NewEntry ne;
    ne.name = to_archive_name(path);
    fill_times(st, ne);
    if (S_ISDIR(st.st_mode)) {
        if (!ne.name.empty()) w.add_directory(ne);
        DIR* d = ::opendir(path.c_str());
        if (!d) throw lha::Error(lha::ErrorCode::Io, "cannot open folder " + path);
        std::vector<std::string> names;
        while (dirent* de = ::readdir(d))
            if (std::strcmp(de->d_name, ".") != 0 && std::strcmp(de->d_name, "..") != 0)
                names.push_back(de->d_name);
        ::closedir(d);
        std::sort(names.begin(), names.end());
        for (auto& n : names) add_path(w, path + (path.back() == '/' ? "" : "/") + n, m);
    } else if (S_ISREG(st.st_mode)) {
        PosixFileSource src(path);
        w.add_file(ne, src, m);
    }
}

int create(int argc, char** argv) {
    lha::Method m = lha::Method::Lh5;
    lha::WriterOptions wo;
    int i = 2;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        std::string o = argv[i];
        if (i + 1 >= argc) return usage();
        if (o == "-m")
            m = lha::parse_method(argv[++i]);
        else if (o == "-level")
            wo.header_level = std::atoi(argv[++i]);
        else if (o == "-depth")
            wo.search_depth = std::atoi(argv[++i]);
        else if (o == "-nice")
            wo.nice_length = std::atoi(argv[++i]);
        else if (o == "-passes")
            wo.passes = std::atoi(argv[++i]);
        else if (o == "-threads")
            wo.threads = std::atoi(argv[++i]);
        else
            return usage();
    }
    if (argc - i < 2) return usage();
    std::string archive = argv[i++];
    PosixFileSink sink(archive);
    lha::Writer w(sink, wo);
    for (; i < argc; ++i) add_path(w, argv[i], m);
    w.finish();
    sink.close();
    return 0;
}

int list(const char* archive) {
    PosixFileSource src(archive);
    lha::Reader r(src);
    lha::Entry e;
    std::printf("%-5s %12s %12s %4s %-5s %s\n", "meth", "packed", "original", "crc", "level", "name");
    while (r.next(e))
        std::printf("%-5s %12llu %12llu %04x %-5d %s%s\n", e.method.c_str(),
                    static_cast<unsigned long long>(e.packed_size),
                    static_cast<unsigned long long>(e.original_size), e.crc, e.header_level, e.name.c_str(),
                    e.is_directory ? "\\" : "");
    return 0;
}

int test(const char* archive) {
    PosixFileSource src(archive);
    lha::Reader r(src);
    lha::Entry e;
    int bad = 0;
    while (r.next(e)) {
        try {
            r.test(e);
        } catch (const lha::Error& err) {
            std::fprintf(stderr, "%s\n", err.what());
            ++bad;
        }
    }
    return bad ? 2 : 0;
}

void make_dirs(const std::string& path) {
    for (std::size_t k = 1; k <= path.size(); ++k) {
        if (k == path.size() || path[k] == '/') {
            std::string p = path.substr(0, k);
            if (::mkdir(p.c_str(), 0755) != 0 && errno != EEXIST)
                throw lha::Error(lha::ErrorCode::Io, "cannot create folder " + p);
        }
    }
}

int extract(const char* archive, const std::string& dest) {
    PosixFileSource src(archive);
    lha::Reader r(src);
    lha::Entry e;
    int bad = 0;
    while (r.next(e)) {
        std::string rel = lha::safe_relative_path(e.name);
        if (rel.empty()) {
            std::fprintf(stderr, "skipped unsafe name %s\n", e.name.c_str());
            ++bad;
            continue;
        }
        // Our separators are backslashes outside double-byte characters: split them the same way.
        std::string out;
        for (std::size_t k = 0; k < rel.size(); ++k) {
            auto c = static_cast<unsigned char>(rel[k]);
            if (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && k + 1 < rel.size()) {
                out += rel[k];
                out += rel[++k];
            } else {
                out += c == '\\' ? '/' : rel[k];
            }
        }
        std::string path = dest + "/" + out;
        if (e.is_directory) {
            make_dirs(path);
            continue;
        }
        auto slash = path.rfind('/');
        make_dirs(path.substr(0, slash));
        if (!e.method_supported()) {
            std::fprintf(stderr, "cannot extract %s: unsupported method %s\n", e.name.c_str(),
                         e.method.c_str());
            ++bad;
            continue;
        }
        std::string tmp = path + ".lhatool-part";
        try {
            PosixFileSink sink(tmp);
            r.extract(e, sink);
            sink.close();
        } catch (const lha::Error& err) {
            ::unlink(tmp.c_str());
            std::fprintf(stderr, "%s\n", err.what());
            ++bad;
            continue;
        }
        if (::rename(tmp.c_str(), path.c_str()) != 0)
            throw lha::Error(lha::ErrorCode::Io, "cannot rename to " + path);
        std::int64_t t = e.unix_time;
        if (!e.has_unix_time) {
            struct tm lt {};
            std::int64_t s = lha::dos_time_to_seconds(e.dos_time);
            time_t tt = static_cast<time_t>(s);
            gmtime_r(&tt, &lt);
            lt.tm_isdst = -1;
            t = mktime(&lt);
        }
        struct timeval tv[2] = {{static_cast<time_t>(t), 0}, {static_cast<time_t>(t), 0}};
        ::utimes(path.c_str(), tv);
    }
    return bad ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    std::string cmd = argv[1];
    try {
        if (cmd == "c") return create(argc, argv);
        if (cmd == "l") return list(argv[2]);
        if (cmd == "t") return test(argv[2]);
        if (cmd == "x" && argc == 4) return extract(argv[2], argv[3]);
        return usage();
    } catch (const lha::Error& err) {
        std::fprintf(stderr, "lhatool: %s\n", err.what());
        return err.code() == lha::ErrorCode::Io ? 3 : 2;
    }
}
