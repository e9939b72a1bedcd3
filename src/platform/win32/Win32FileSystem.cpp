#include <windows.h>

#include "platform/win32/Handles.h"
#include "platform/win32/Win32Platform.h"

namespace mivox::win32 {

namespace {

DWORD Attributes(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}

}  // namespace

bool Win32FileSystem::FileExists(const std::string& path) const {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::DirectoryExists(const std::string& path) const {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

PackedDateTime Win32FileSystem::FileAge(const std::string& path) const {
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(path.c_str(), &data));
    if (!find || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return kNoFileAge;
    FILETIME local;
    WORD date = 0;
    WORD time = 0;
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
        !FileTimeToDosDateTime(&local, &date, &time)) {
        return kNoFileAge;
    }
    return static_cast<PackedDateTime>((static_cast<uint32_t>(date) << 16) | time);
}

}  // namespace mivox::win32
