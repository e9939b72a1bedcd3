#include "floppy/InstallIni.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <map>

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

namespace {

bool ReadNumber(const std::string& text, int base, long long max, long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, base);
    return errno == 0 && *end == '\0' && value >= 0 && value <= max;
}

}  // namespace

std::optional<InstallIni> ParseInstallIni(const std::string& text) {
    std::map<std::string, std::string> values;
    bool inData = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inData = UpperText(line) == "[DATA]";
            continue;
        }
        const size_t equals = line.find('=');
        if (inData && equals != std::string::npos) {
            values[UpperText(line.substr(0, equals))] = line.substr(equals + 1);
        }
    }
    InstallIni ini;
    long long byteCount = 0, partCount = 0, crc = 0;
    if (!values.count("FILEEXENAME") || values["FILEEXENAME"].empty() ||
        !ReadNumber(values["FILEBYTECNT"], 10, INT64_MAX, byteCount) ||
        !ReadNumber(values["FILEPARTCNT"], 10, INT32_MAX, partCount) ||
        !ReadNumber(values["FILECODECRC"], 16, UINT32_MAX, crc)) {
        return std::nullopt;
    }
    ini.fileExeName = values["FILEEXENAME"];
    ini.fileVersion = values["FILEVERSION"];
    ini.fileVerDate = values["FILEVERDATE"];
    ini.fileVerTime = values["FILEVERTIME"];
    ini.fileByteCnt = byteCount;
    ini.filePartCnt = static_cast<int32_t>(partCount);
    ini.fileCodeCrc = static_cast<uint32_t>(crc);
    return ini;
}

}  // namespace mivox
