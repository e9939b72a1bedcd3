// Cuts the product's archive program onto a set of 1.44 MB floppy disks in
// drive A:, with the joining program Install.Exe and its Install.Ini on disk 1.
#pragma once

#include <cstdint>
#include <string>

#include "platform/DialogPeer.h"
#include "platform/Platform.h"

namespace mivox {

// What the set is made of: the folder of the running Setup.exe (without
// final backslash) and the product and version labels of the main dialog.
struct FloppySetSource {
    std::string setupFolder;
    std::string product;
    std::string version;
};

// The whole flow of the Disks button: find the archive program (running, or
// chosen by the user), ask whether the disks needed shall be written (a box
// owned by the main dialog), and write them.
void RunFloppyDiskSet(Platform& platform, const FloppySetSource& source, DialogPeer& mainDialog);

// The full path of a running program whose path contains name (ignoring
// case), or the empty text.
std::string FindRunningArchive(Platform& platform, const std::string& setupFolder,
                               const std::string& name);

// Writes the archive at path, size bytes, onto count disks of partSize bytes
// each, prompting for every disk.
void CreateFloppySet(Platform& platform, const FloppySetSource& source, const std::string& path,
                     int64_t size, int32_t partSize, int32_t count);

// Copies Install.Exe to A: and writes A:\Install.Ini for the set.
void WriteInstallIni(Platform& platform, const FloppySetSource& source, const std::string& path,
                     int64_t size, int32_t count, uint32_t crc);

}  // namespace mivox
