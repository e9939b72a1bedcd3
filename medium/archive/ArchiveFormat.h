// The stored format of the product's self-extracting archive program: the
// extractor program, then every file's bytes one after another, then an index
// of the files and a trailer that finds the index from the end of the file.
// Each file and the index carry their CRC-32, checked when unpacking.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace mivox::archive {

struct PackedFile {
    std::string path;  // relative, with backslashes: "APP\Samples\SINE.MDF"
    std::string contents;
    PackedDateTime age = 0;  // the file's last-write time, kept through unpacking
};

struct IndexEntry {
    std::string path;
    uint64_t offset = 0;  // from the start of the payload
    uint64_t size = 0;
    uint32_t crc = 0;
    PackedDateTime age = 0;
};

// The bytes to append to the extractor program.
std::string Pack(const std::vector<PackedFile>& files);

// The index of an archive program's bytes; nothing when it holds no archive
// or the index is damaged.
std::optional<std::vector<IndexEntry>> ReadIndex(const std::string& program);

struct UnpackResult {
    enum Status { kUnpacked, kDamaged, kWriteFailed };
    Status status = kDamaged;
    std::string failedPath;  // the file that was damaged or could not be written
};

// Writes every file below folder (which must exist), creating subfolders.
UnpackResult Unpack(FileSystem& files, const std::string& program, const std::string& folder);

}  // namespace mivox::archive
