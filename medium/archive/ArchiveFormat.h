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
    std::string path;     // with backslashes
    uint64_t offset = 0;  // from the start of the payload
    uint64_t size = 0;
    uint32_t crc = 0;
    PackedDateTime age = 0;
};

// The bytes to append to the extractor program.
std::string Pack(const std::vector<PackedFile>& files);

// Reads and checks the whole archive in a program's bytes before anything is
// written: the index and its CRC, every path (relative, "\" or "/" between
// plain file names, no file also used as a folder, none twice), every file's
// place, size and CRC. Nothing when it fails; problem then says why.
std::optional<std::vector<IndexEntry>> ReadArchive(const std::string& program,
                                                   std::string& problem);

// The files of index that already exist below folder.
std::vector<std::string> ExistingFiles(const FileSystem& files,
                                       const std::vector<IndexEntry>& index,
                                       const std::string& folder);

// Everything below folder that unpacking the index would not put there:
// files not in it and folders that hold none of its files, with their full
// paths, names compared without regard to case. Folders are not entered
// further when foreign; reparse points never.
std::vector<std::string> ForeignEntries(const FileSystem& files,
                                        const std::vector<IndexEntry>& index,
                                        const std::string& folder);

// Removes folder and everything below it; false when something stays.
bool RemoveTree(FileSystem& files, const std::string& folder);

struct UnpackResult {
    enum Status { kUnpacked, kWriteFailed };
    Status status = kWriteFailed;
    std::string failedPath;  // the file or folder that could not be written
    uint32_t error = 0;      // the system's reason
};

// Writes every file of index (read from program by ReadArchive) below folder
// (which must exist), creating subfolders and replacing existing files.
UnpackResult Unpack(FileSystem& files, const std::string& program,
                    const std::vector<IndexEntry>& index, const std::string& folder);

}  // namespace mivox::archive
