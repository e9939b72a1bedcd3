#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "win32/Handles.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32Platform.h"

namespace mivox::win32 {

namespace {

// The thread's error, taken at once after the call that failed: nothing
// between the failure and its result can change it.
IoResult LastFailure() {
    return IoResult::Failed(GetLastError());
}

IoResult Checked(BOOL succeeded) {
    return succeeded ? IoResult::Ok() : LastFailure();
}

PackedDateTime PackLocal(const FILETIME& utc) {
    FILETIME local;
    WORD date = 0;
    WORD time = 0;
    if (!FileTimeToLocalFileTime(&utc, &local)) return kNoFileAge;
    if (!FileTimeToDosDateTime(&local, &date, &time)) {
        // Before the years the packed form holds; the file is there all the
        // same. Later than it is a date no real file carries.
        SYSTEMTIME parts;
        if (FileTimeToSystemTime(&local, &parts) && parts.wYear < 1980) return kOldestFileAge;
        return kNoFileAge;
    }
    return static_cast<PackedDateTime>((static_cast<uint32_t>(date) << 16) | time);
}

class Win32OutputFile : public OutputFile {
public:
    explicit Win32OutputFile(FileHandle file) : file_(std::move(file)) {}

    IoResult Write(const void* data, size_t size) override {
        const char* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
            DWORD written = 0;
            if (!WriteFile(file_.get(), bytes, chunk, &written, nullptr)) return LastFailure();
            // A short write without an error is a full disk.
            if (written != chunk) return IoResult::Failed(ERROR_DISK_FULL);
            bytes += chunk;
            size -= chunk;
        }
        return IoResult::Ok();
    }

    IoResult Close() override {
        if (!file_) return IoResult::Ok();
        const IoResult flushed = Checked(FlushFileBuffers(file_.get()));
        const IoResult closed = Checked(CloseHandle(file_.release()));
        return flushed ? closed : flushed;
    }

private:
    FileHandle file_;
};

// The size of an open file, by the call every Windows version has.
IoResult OpenFileSize(HANDLE file, int64_t& size) {
    DWORD high = 0;
    SetLastError(NO_ERROR);  // a size whose low half is all ones is no failure
    const DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return LastFailure();
    size = static_cast<int64_t>(uint64_t{high} << 32 | low);
    return IoResult::Ok();
}

}  // namespace

bool Win32FileSystem::FileExists(const std::string& path) const {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::DirectoryExists(const std::string& path) const {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

PackedDateTime Win32FileSystem::FileAge(const std::string& path) const {
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(path.c_str(), &data));
    if (!find || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return kNoFileAge;
    return PackLocal(data.ftLastWriteTime);
}

IoResult Win32FileSystem::FileSize(const std::string& path, int64_t& size) const {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastFailure();
    return OpenFileSize(file.get(), size);
}

std::vector<FindData> Win32FileSystem::FindEntries(const std::string& pattern) const {
    std::vector<FindData> entries;
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(pattern.c_str(), &data));
    if (!find) return entries;
    do {
        FindData entry;
        entry.name = data.cFileName;
        entry.attributes = data.dwFileAttributes;
        entry.size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) |
                                          data.nFileSizeLow);
        entry.age = PackLocal(data.ftLastWriteTime);
        entry.writeTime = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                          data.ftLastWriteTime.dwLowDateTime;
        entries.push_back(std::move(entry));
    } while (FindNextFileA(find.get(), &data));
    return entries;
}

IoResult Win32FileSystem::Copy(const std::string& source, const std::string& dest,
                               bool failIfExists) {
    return Checked(CopyFileA(source.c_str(), dest.c_str(), failIfExists ? TRUE : FALSE));
}

uint32_t Win32FileSystem::GetAttributes(const std::string& path) const {
    return GetFileAttributesA(path.c_str());
}

IoResult Win32FileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
    return Checked(SetFileAttributesA(path.c_str(), attributes));
}

IoResult Win32FileSystem::Delete(const std::string& path) {
    return Checked(DeleteFileA(path.c_str()));
}

IoResult Win32FileSystem::CreateDir(const std::string& path) {
    return Checked(CreateDirectoryA(path.c_str(), nullptr));
}

IoResult Win32FileSystem::RemoveDir(const std::string& path) {
    return Checked(RemoveDirectoryA(path.c_str()));
}

IoResult Win32FileSystem::Rename(const std::string& existing, const std::string& newName) {
    if (MoveFileExA(existing.c_str(), newName.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return IoResult::Ok();
    }
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return LastFailure();
    // Windows 95/98 have no MoveFileEx: the old file goes first.
    if (!DeleteFileA(newName.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
        return LastFailure();
    }
    return Checked(MoveFileA(existing.c_str(), newName.c_str()));
}

IoResult Win32FileSystem::MoveFileAtRestart(const std::string& existing,
                                            const std::string& newName) {
    return Checked(MoveFileExA(existing.c_str(), newName.empty() ? nullptr : newName.c_str(),
                               MOVEFILE_DELAY_UNTIL_REBOOT));
}

IoResult Win32FileSystem::WriteIniString(const std::string& file, const std::string& section,
                                         const std::string& key, const std::string& value) {
    return Checked(
        WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()));
}

int64_t Win32FileSystem::DiskFreeBytes(int driveNumber) const {
    if (driveNumber < 1 || driveNumber > 26) return -1;
    const char root[] = {static_cast<char>('A' + driveNumber - 1), ':', '\\', '\0'};
    // A drive without a disk must fail quietly rather than ask the user.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
    // Windows 95 before its second release counts in clusters only, and
    // its drives hold at most 2 GB.
    static const auto freeSpaceEx =
        KernelFunction<decltype(&GetDiskFreeSpaceExA)>("GetDiskFreeSpaceExA");
    int64_t free = -1;
    if (freeSpaceEx) {
        ULARGE_INTEGER available;
        ULARGE_INTEGER total;
        if (freeSpaceEx(root, &available, &total, nullptr))
            free = static_cast<int64_t>(available.QuadPart);
    } else {
        DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
        if (GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
            free = static_cast<int64_t>(sectorsPerCluster) * bytesPerSector * freeClusters;
    }
    SetErrorMode(previous);
    return free;
}

uint32_t Win32FileSystem::DriveTypeOf(const std::string& root) const {
    return GetDriveTypeA(root.c_str());
}

std::string Win32FileSystem::TempPath() const {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof(path), path);
    return length < sizeof(path) ? std::string(path, length) : std::string();
}

IoResult Win32FileSystem::ReadAll(const std::string& path, std::string& contents) const {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastFailure();
    int64_t size = 0;
    if (const IoResult sized = OpenFileSize(file.get(), size); !sized) return sized;
    // A 32-bit program cannot hold a file of 4 GiB or more in one block:
    // refuse it rather than read its size modulo 4 GiB.
    if (static_cast<uint64_t>(size) > SIZE_MAX || static_cast<size_t>(size) > contents.max_size()) {
        return IoResult::Failed(ERROR_NOT_ENOUGH_MEMORY);
    }
    contents.assign(static_cast<size_t>(size), '\0');
    size_t done = 0;
    while (done < contents.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(contents.size() - done, 1u << 30));
        DWORD read = 0;
        if (!::ReadFile(file.get(), contents.data() + done, chunk, &read, nullptr)) {
            return LastFailure();
        }
        if (read == 0) return IoResult::Failed(ERROR_HANDLE_EOF);
        done += read;
    }
    return IoResult::Ok();
}

CreatedFile Win32FileSystem::CreateOutputFile(const std::string& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastFailure();
    return CreatedFile(std::make_unique<Win32OutputFile>(std::move(file)));
}

IoResult Win32FileSystem::SetFileAge(const std::string& path, PackedDateTime age) {
    FILETIME local;
    FILETIME utc;
    const auto packed = static_cast<uint32_t>(age);
    if (!DosDateTimeToFileTime(static_cast<WORD>(packed >> 16), static_cast<WORD>(packed),
                               &local) ||
        !LocalFileTimeToFileTime(&local, &utc)) {
        return LastFailure();
    }
    FileHandle file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastFailure();
    return Checked(SetFileTime(file.get(), nullptr, nullptr, &utc));
}

std::string Win32FileSystem::ShortPathName(const std::string& path) const {
    char shortPath[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), shortPath, sizeof(shortPath) - 1);
    return length > 0 && length < sizeof(shortPath) - 1 ? std::string(shortPath, length)
                                                        : std::string();
}

}  // namespace mivox::win32
