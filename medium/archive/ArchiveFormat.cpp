#include "ArchiveFormat.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "floppy/Crc32.h"
#include "util/SafeFileName.h"
#include "util/TextUtil.h"

namespace mivox::archive {

namespace {

constexpr char kMagic[8] = {'M', 'V', 'X', 'S', 'F', 'X', '0', '1'};
// magic, payload size (8), index size (4), index CRC (4)
constexpr size_t kTrailerSize = sizeof(kMagic) + 8 + 4 + 4;

uint32_t Crc(const std::string& bytes) {
    return StreamCrc32(bytes);
}

void PutInt(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Reads little-endian integers from a byte range, failing past its end.
class Reader {
public:
    Reader(const std::string& bytes, size_t at, size_t end) : bytes_(bytes), at_(at), end_(end) {}
    bool Int(uint64_t& value, int size) {
        if (end_ - at_ < static_cast<size_t>(size)) return false;
        value = 0;
        for (int i = 0; i < size; ++i) {
            value |= uint64_t{static_cast<unsigned char>(bytes_[at_ + i])} << (8 * i);
        }
        at_ += static_cast<size_t>(size);
        return true;
    }
    bool Text(std::string& text, uint64_t size) {
        if (end_ - at_ < size) return false;
        text = bytes_.substr(at_, static_cast<size_t>(size));
        at_ += static_cast<size_t>(size);
        return true;
    }
    bool AtEnd() const { return at_ == end_; }

private:
    const std::string& bytes_;
    size_t at_;
    size_t end_;
};

// The path as the archive names it, for a message: control characters shown
// as "?".
std::string Printable(const std::string& path) {
    std::string shown = path;
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = '?';
    }
    return "\"" + shown + "\"";
}

// Folders and files compare as Windows compares names.
std::string Key(const std::string& path) {
    return UpperText(path);
}

}  // namespace

std::string Pack(const std::vector<PackedFile>& files) {
    std::string payload;
    std::string index;
    for (const PackedFile& file : files) {
        PutInt(index, file.path.size(), 4);
        index += file.path;
        PutInt(index, payload.size(), 8);
        PutInt(index, file.contents.size(), 8);
        PutInt(index, Crc(file.contents), 4);
        PutInt(index, static_cast<uint32_t>(file.age), 4);
        payload += file.contents;
    }
    std::string trailer(kMagic, sizeof(kMagic));
    PutInt(trailer, payload.size(), 8);
    PutInt(trailer, index.size(), 4);
    PutInt(trailer, Crc(index), 4);
    return payload + index + trailer;
}

std::optional<std::vector<IndexEntry>> ReadArchive(const std::string& program,
                                                   std::string& problem) {
    problem = "it holds no installation files";
    if (program.size() < kTrailerSize) return std::nullopt;
    const size_t trailerAt = program.size() - kTrailerSize;
    if (std::memcmp(program.data() + trailerAt, kMagic, sizeof(kMagic)) != 0) return std::nullopt;
    uint64_t payloadSize = 0, indexSize = 0, indexCrc = 0;
    Reader trailer(program, trailerAt + sizeof(kMagic), program.size());
    trailer.Int(payloadSize, 8);
    trailer.Int(indexSize, 4);
    trailer.Int(indexCrc, 4);
    problem = "its list of files is damaged";
    if (indexSize > trailerAt || payloadSize > trailerAt - indexSize) return std::nullopt;
    const size_t indexAt = trailerAt - static_cast<size_t>(indexSize);
    if (Crc(program.substr(indexAt, static_cast<size_t>(indexSize))) != indexCrc) {
        return std::nullopt;
    }
    std::vector<IndexEntry> entries;
    std::set<std::string> files, folders;
    Reader index(program, indexAt, trailerAt);
    while (!index.AtEnd()) {
        IndexEntry entry;
        uint64_t pathSize = 0, crc = 0, age = 0;
        if (!index.Int(pathSize, 4) || !index.Text(entry.path, pathSize) ||
            !index.Int(entry.offset, 8) || !index.Int(entry.size, 8) || !index.Int(crc, 4) ||
            !index.Int(age, 4) || entry.offset > payloadSize ||
            entry.size > payloadSize - entry.offset) {
            problem = "its list of files is damaged";
            return std::nullopt;
        }
        if (!IsSafeRelativePath(entry.path.data(), entry.path.size())) {
            problem = "it names the file " + Printable(entry.path) +
                      ", which is not a plain path inside the folder it is unpacked to";
            return std::nullopt;
        }
        std::replace(entry.path.begin(), entry.path.end(), '/', '\\');
        // No file twice, and none where another file needs a folder.
        const std::string key = Key(entry.path);
        bool clash = folders.count(key) > 0 || !files.insert(key).second;
        for (size_t slash = key.find('\\'); slash != std::string::npos;
             slash = key.find('\\', slash + 1)) {
            folders.insert(key.substr(0, slash));
            clash = clash || files.count(key.substr(0, slash)) > 0;
        }
        if (clash) {
            problem = "it names the file " + Printable(entry.path) + " twice or also as a folder";
            return std::nullopt;
        }
        entry.crc = static_cast<uint32_t>(crc);
        entry.age = static_cast<PackedDateTime>(static_cast<uint32_t>(age));
        // Offsets count from the payload's start, found from the end.
        entry.offset += indexAt - payloadSize;
        if (Crc32Finish(Crc32Update(kCrc32Start, program.data() + entry.offset,
                                    static_cast<size_t>(entry.size))) != entry.crc) {
            problem = Printable(entry.path) + " does not match its checksum";
            return std::nullopt;
        }
        entries.push_back(std::move(entry));
    }
    problem.clear();
    return entries;
}

std::vector<std::string> ExistingFiles(const FileSystem& files,
                                       const std::vector<IndexEntry>& index,
                                       const std::string& folder) {
    const std::string base = folder.back() == '\\' ? folder : folder + "\\";
    std::vector<std::string> existing;
    for (const IndexEntry& entry : index) {
        if (files.FileExists(base + entry.path)) existing.push_back(base + entry.path);
    }
    return existing;
}

namespace {

bool IsDotEntry(const std::string& name) {
    return name == "." || name == "..";
}

// Walks folder (relative path prefix) and collects what the sets lack.
void CollectForeign(const FileSystem& files, const std::set<std::string>& indexFiles,
                    const std::set<std::string>& indexFolders, const std::string& base,
                    const std::string& relative, std::vector<std::string>& foreign) {
    for (const FindData& entry : files.FindEntries(base + relative + "*")) {
        if (IsDotEntry(entry.name)) continue;
        const std::string path = relative + entry.name;
        const bool folder = (entry.attributes & kAttrDirectory) != 0;
        const std::string key = UpperText(path);
        if (folder && indexFolders.count(key) && !(entry.attributes & kAttrReparsePoint)) {
            CollectForeign(files, indexFiles, indexFolders, base, path + "\\", foreign);
        } else if (folder || !indexFiles.count(key)) {
            foreign.push_back(base + path);
        }
    }
}

}  // namespace

std::vector<std::string> ForeignEntries(const FileSystem& files,
                                        const std::vector<IndexEntry>& index,
                                        const std::string& folder) {
    std::set<std::string> indexFiles;
    std::set<std::string> indexFolders;
    for (const IndexEntry& entry : index) {
        const std::string path = UpperText(entry.path);
        indexFiles.insert(path);
        for (size_t slash = path.find('\\'); slash != std::string::npos;
             slash = path.find('\\', slash + 1))
            indexFolders.insert(path.substr(0, slash));
    }
    std::vector<std::string> foreign;
    CollectForeign(files, indexFiles, indexFolders, folder.back() == '\\' ? folder : folder + "\\",
                   "", foreign);
    return foreign;
}

bool RemoveTree(FileSystem& files, const std::string& folder) {
    bool removed = true;
    for (const FindData& entry : files.FindEntries(folder + "\\*")) {
        if (IsDotEntry(entry.name)) continue;
        const std::string path = folder + "\\" + entry.name;
        // A reparse point is removed itself, never what it points to.
        if ((entry.attributes & kAttrDirectory) && !(entry.attributes & kAttrReparsePoint)) {
            removed = RemoveTree(files, path) && removed;
            continue;
        }
        if (entry.attributes & kAttrReadOnly)
            static_cast<void>(files.SetAttributes(path, entry.attributes & ~kAttrReadOnly));
        const IoResult gone =
            (entry.attributes & kAttrDirectory) ? files.RemoveDir(path) : files.Delete(path);
        removed = static_cast<bool>(gone) && removed;
    }
    return static_cast<bool>(files.RemoveDir(folder)) && removed;
}

UnpackResult Unpack(FileSystem& files, const std::string& program,
                    const std::vector<IndexEntry>& index, const std::string& folder) {
    UnpackResult result;
    const std::string base = folder.back() == '\\' ? folder : folder + "\\";
    for (const IndexEntry& entry : index) {
        result.failedPath = base + entry.path;
        // Each folder of the path, parent first.
        for (size_t slash = entry.path.find('\\'); slash != std::string::npos;
             slash = entry.path.find('\\', slash + 1)) {
            const std::string directory = base + entry.path.substr(0, slash);
            if (files.DirectoryExists(directory)) continue;
            if (const IoResult made = files.CreateDir(directory); !made) {
                result.failedPath = directory;
                result.error = made.Error();
                return result;
            }
        }
        auto out = files.CreateOutputFile(result.failedPath);
        IoResult written =
            out ? out->Write(program.data() + entry.offset, static_cast<size_t>(entry.size))
                : out.Result();
        if (written) written = out->Close();
        if (!written) {
            result.error = written.Error();
            return result;
        }
        files.SetFileAge(result.failedPath, entry.age);
    }
    result.status = UnpackResult::kUnpacked;
    result.failedPath.clear();
    return result;
}

}  // namespace mivox::archive
