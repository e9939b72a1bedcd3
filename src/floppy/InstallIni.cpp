#include "floppy/InstallIni.h"

#include "util/TextUtil.h"

namespace mivox {

std::string InstallIniText(const InstallIni& ini) {
    const char* kEnd = "\r\n";
    return std::string("Configuration file for Install.Exe") + kEnd +
           "Copyright (C) 2001 Vexlor. Written by Setup.exe; do not edit." + kEnd + "[Data]" +
           kEnd + "FileExeName=" + ini.fileExeName + kEnd + "FileVersion=" + ini.fileVersion +
           kEnd + "FileVerDate=" + ini.fileVerDate + kEnd + "FileVerTime=" + ini.fileVerTime +
           kEnd + "FileByteCnt=" + std::to_string(ini.fileByteCnt) + kEnd +
           "FilePartCnt=" + std::to_string(ini.filePartCnt) + kEnd +
           "FileCodeCRC=" + HexText(ini.fileCodeCrc, 8) + kEnd;
}

}  // namespace mivox
