// Install.Ini: the description of a floppy disk set that the joining program
// Install.Exe reads from disk 1 (see DiskSetJoiner for the reading side).
#pragma once

#include <cstdint>
#include <string>

namespace mivox {

struct InstallIni {
    std::string fileExeName;  // the archive program's name, without folder
    std::string fileVersion;
    std::string fileVerDate;
    std::string fileVerTime;
    int64_t fileByteCnt = 0;
    int32_t filePartCnt = 0;
    uint32_t fileCodeCrc = 0;
};

// The ten lines, each ended by CR LF.
std::string InstallIniText(const InstallIni& ini);

}  // namespace mivox
