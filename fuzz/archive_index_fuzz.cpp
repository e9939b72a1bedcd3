// The self-extracting program reads its own tail, which a damaged download or
// a crafted file may hold. The first input byte chooses how the rest is used:
// as the whole program's bytes, or as files packed into a sound archive, so
// that the paths themselves are fuzzed past the checksums. Whatever
// ReadArchive accepts must stay inside the folder it is unpacked to, and
// every file must lie within the payload with a matching CRC.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "ArchiveFormat.h"
#include "floppy/Crc32.h"
#include "util/TextUtil.h"

namespace {

using mivox::archive::IndexEntry;
using mivox::archive::PackedFile;

[[noreturn]] void Fail(const char* what, const std::string& path) {
    std::fprintf(stderr, "%s: \"%s\"\n", what, path.c_str());
    std::abort();
}

// The names of path, cut at either separator.
std::vector<std::string> Names(const std::string& path) {
    std::vector<std::string> names(1);
    for (const char c : path) {
        if (c == '\\' || c == '/')
            names.emplace_back();
        else
            names.back() += c;
    }
    return names;
}

bool IsDevice(std::string name) {
    name = mivox::UpperText(name.substr(0, name.find('.')));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (name == device) return true;
    return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) &&
           name[3] >= '1' && name[3] <= '9';
}

// A path unpacked below a folder must name a file inside it, as written:
// Windows drops trailing dots and blanks ("..." would climb like ".."),
// reads ":" as a drive or a stream, and opens devices by name.
void CheckStaysInside(const std::string& path) {
    for (const std::string& name : Names(path)) {
        if (name.empty()) Fail("accepted an empty name or a rooted path", path);
        if (name.back() == '.' || name.back() == ' ')
            Fail("accepted a name Windows changes (., .., trailing dot or blank)", path);
        for (const unsigned char c : name) {
            if (c < 32 || c == 127 || std::strchr(":*?\"<>|", c))
                Fail("accepted a name with a drive, stream, wildcard or control character", path);
        }
        if (IsDevice(name)) Fail("accepted a device name", path);
    }
}

void CheckAccepted(const std::string& program, const std::vector<IndexEntry>& index) {
    std::set<std::string> files, folders;
    for (const IndexEntry& entry : index) {
        CheckStaysInside(entry.path);
        if (entry.path.find('/') != std::string::npos) Fail("left a slash in the path", entry.path);
        if (entry.offset > program.size() || entry.size > program.size() - entry.offset)
            Fail("accepted a file outside the program", entry.path);
        const uint32_t crc = mivox::Crc32Finish(mivox::Crc32Update(
            mivox::kCrc32Start, program.data() + entry.offset, static_cast<size_t>(entry.size)));
        if (crc != entry.crc) Fail("accepted a file whose CRC does not match", entry.path);
        const std::string key = mivox::UpperText(entry.path);
        if (!files.insert(key).second || folders.count(key)) Fail("accepted a name twice", key);
        for (size_t slash = key.find('\\'); slash != std::string::npos;
             slash = key.find('\\', slash + 1)) {
            folders.insert(key.substr(0, slash));
            if (files.count(key.substr(0, slash))) Fail("accepted a file used as a folder", key);
        }
    }
    for (const std::string& folder : folders)
        if (files.count(folder)) Fail("accepted a file used as a folder", folder);
}

// Files of the form path NUL contents NUL ..., packed after a stand-in
// extractor program.
std::vector<PackedFile> Files(const std::string& text) {
    std::vector<PackedFile> files;
    size_t at = 0;
    while (at < text.size() && files.size() < 64) {
        PackedFile file;
        const size_t pathEnd = std::min(text.find('\0', at), text.size());
        file.path = text.substr(at, pathEnd - at);
        at = std::min(pathEnd + 1, text.size());
        const size_t contentsEnd = std::min(text.find('\0', at), text.size());
        file.contents = text.substr(at, contentsEnd - at);
        file.age = static_cast<mivox::PackedDateTime>(files.size() * 0x10001u);
        at = contentsEnd + 1;
        files.push_back(std::move(file));
    }
    return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const bool packed = data[0] & 1;
    std::vector<PackedFile> files;
    const std::string program =
        packed ? "MZ extractor" + mivox::archive::Pack(files = Files(rest)) : rest;
    std::string problem;
    const auto index = mivox::archive::ReadArchive(program, problem);
    if (!index) {
        if (problem.empty()) Fail("refused without saying why", program);
        // A sound archive is refused for its names only.
        if (packed && problem.find("names the file") == std::string::npos)
            Fail("refused a sound archive", problem);
        return 0;
    }
    if (!problem.empty()) Fail("accepted but gave a problem", problem);
    CheckAccepted(program, *index);
    if (packed) {
        if (index->size() != files.size()) Fail("lost or added files", program);
        for (size_t i = 0; i < files.size(); ++i) {
            std::string path = files[i].path;
            for (char& c : path) c = c == '/' ? '\\' : c;
            const IndexEntry& entry = (*index)[i];
            if (entry.path != path || entry.age != files[i].age ||
                program.compare(entry.offset, entry.size, files[i].contents) != 0)
                Fail("read a file back other than packed", entry.path);
        }
    }
    return 0;
}
