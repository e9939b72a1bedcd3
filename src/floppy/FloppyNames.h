// How a floppy disk set is named and counted: the archive program's expected
// name, the part file of each disk, and the number of disks.
#pragma once

#include <cstdint>
#include <string>

namespace mivox {

// Bytes of the archive on each disk; a 1.44 MB disk holds a little more.
constexpr int32_t kFloppyPartSize = 1400000;

// Product label plus the version label's last part plus ".EXE": "Mivox" and
// "4.10.0.10" give "Mivox10.EXE".
std::string ArchiveFileName(const std::string& product, const std::string& version);

// "A:\" plus the archive's file name with the three characters after its
// last "." replaced by the disk number in three digits: Mivox10.001.
std::string PartFileName(const std::string& archivePath, int disk);

// Disks needed for an archive of size bytes: whole parts plus one for the
// rest.
int32_t DiskCount(int64_t size, int32_t partSize = kFloppyPartSize);

}  // namespace mivox
