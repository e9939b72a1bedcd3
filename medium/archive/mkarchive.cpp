// mkarchive: builds the self-extracting archive program of a medium folder on
// the build machine: the extractor program with every file of the folder
// appended.
//   mkarchive EXTRACTOR.exe MEDIUM_FOLDER OUTPUT.exe
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>

#include "ArchiveFormat.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The file's modification time as a packed local DOS date and time.
mivox::PackedDateTime PackedAge(const fs::path& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return 0;
    std::tm local{};
    localtime_r(&info.st_mtime, &local);
    const uint32_t date = static_cast<uint32_t>(((local.tm_year + 1900 - 1980) << 9) |
                                                ((local.tm_mon + 1) << 5) | local.tm_mday);
    const uint32_t time =
        static_cast<uint32_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    return static_cast<mivox::PackedDateTime>((date << 16) | time);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: mkarchive EXTRACTOR.exe MEDIUM_FOLDER OUTPUT.exe\n");
        return 2;
    }
    const fs::path medium = argv[2];
    std::vector<fs::path> paths;
    for (const auto& entry : fs::recursive_directory_iterator(medium)) {
        if (entry.is_regular_file()) paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    std::vector<mivox::archive::PackedFile> files;
    for (const fs::path& path : paths) {
        std::string relative = fs::relative(path, medium).generic_string();
        std::replace(relative.begin(), relative.end(), '/', '\\');
        files.push_back({relative, ReadBytes(path), PackedAge(path)});
    }
    std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
    out << ReadBytes(argv[1]) << mivox::archive::Pack(files);
    out.close();
    if (!out) {
        std::fprintf(stderr, "mkarchive: cannot write %s\n", argv[3]);
        return 1;
    }
    std::printf("mkarchive: %zu files in %s\n", files.size(), argv[3]);
    return 0;
}
