#include "floppy/FloppyDiskSet.h"

#include <algorithm>

#include "floppy/Crc32.h"
#include "floppy/FloppyNames.h"
#include "floppy/InstallIni.h"
#include "util/DateTimeText.h"
#include "util/Errors.h"
#include "util/FileOps.h"
#include "util/Messages.h"
#include "util/TextUtil.h"
#include "util/VersionText.h"
#include "util/WinVersion.h"

namespace mivox {

namespace {

constexpr size_t kProcessTableSize = 2000;
constexpr int kDriveA = 1;

bool Contains(const std::string& path, const std::string& upperName) {
    return UpperText(path).find(upperName) != std::string::npos;
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Waits for a disk with room for a whole part, wiped. False when the user
// cancels or the drive does not answer.
bool PrepareDisk(Platform& platform, int disk, int32_t count, int32_t partSize) {
    for (;;) {
        if (platform.boxes.Show(
                "Creating Disk " + std::to_string(disk) + " of " + std::to_string(count),
                "Insert Disk into Drive A:", kMbOkCancel) != kIdOk) {
            return false;
        }
        if (platform.files.DiskFreeBytes(kDriveA) == -1) return false;
        BoxConversation talk(platform.boxes);
        EmptyDrive(platform.files, talk, "A:");
        if (partSize <= platform.files.DiskFreeBytes(kDriveA)) return true;
        ShowWarning(platform.boxes, "Not Enough Disk Space",
                    PadNumber(partSize, 9) + "\r" + " Bytes Needed");
    }
}

void WriteFile(Platform& platform, const std::string& path, const char* data, size_t size) {
    auto file = platform.files.CreateOutputFile(path);
    IoResult written = file ? file->Write(data, size) : file.Result();
    if (written) written = file->Close();
    if (!written) {
        throw IoError("Cannot write " + path + " (error " + std::to_string(written.Error()) + ")");
    }
}

}  // namespace

std::string FindRunningArchive(Platform& platform, const std::string& setupFolder,
                               const std::string& name) {
    const std::string upperName = UpperText(name);
    Processes& processes = platform.processes;
    if (IsWinNT(platform.system)) {
        if (!processes.LoadProcessStatusLibrary(setupFolder + "\\Misc\\PSAPI.DLL")) return {};
        std::vector<uint32_t> ids;
        if (!processes.EnumProcesses(ids, kProcessTableSize)) return {};
        for (uint32_t id : ids) {
            if (id == 0) continue;
            // The handle is closed whether or not the program matches.
            const auto process = processes.OpenProcess(id, kProcessQueryAndRead);
            std::string path;
            if (process && process->ProgramFileName(path) && Contains(path, upperName)) {
                return path;
            }
        }
        return {};
    }
    std::vector<std::string> paths;
    if (!processes.SnapshotProgramPaths(paths)) {
        ShowLastApiError(platform.boxes, platform.system);
        return {};
    }
    for (const std::string& path : paths) {
        if (Contains(path, upperName)) return path;
    }
    return {};
}

void WriteInstallIni(Platform& platform, const FloppySetSource& source, const std::string& path,
                     int64_t size, int32_t count, uint32_t crc) {
    BoxConversation talk(platform.boxes);
    CopyOneFile(platform.machine(), talk, "A:\\Install.Exe",
                source.setupFolder + "\\Misc\\Install.Exe", true);
    const std::string program = source.setupFolder + "\\App\\" + source.product + ".EXE";
    InstallIni ini;
    ini.fileExeName = FileNameOf(path);
    ini.fileVersion =
        FileVersionText(platform.machine(), platform.versions, platform.memory, talk, program);
    ini.fileVerDate = FileDateText(platform, program);
    ini.fileVerTime = FileTimeText(platform, program);
    ini.fileByteCnt = size;
    ini.filePartCnt = count;
    ini.fileCodeCrc = crc;
    const std::string text = InstallIniText(ini);
    WriteFile(platform, "A:\\Install.Ini", text.data(), text.size());
}

void CreateFloppySet(Platform& platform, const FloppySetSource& source, const std::string& path,
                     int64_t size, int32_t partSize, int32_t count) {
    // The whole archive stays in memory for the run and goes with it.
    std::string archive;
    if (const IoResult read = platform.files.ReadAll(path, archive); !read) {
        throw IoError("Cannot read " + path + " (error " + std::to_string(read.Error()) + ")");
    }
    const uint32_t crc = StreamCrc32(archive);
    size_t position = 0;
    for (int disk = 1; disk <= count; ++disk) {
        if (!PrepareDisk(platform, disk, count, partSize)) return;
        if (disk == 1) WriteInstallIni(platform, source, path, size, count, crc);
        const size_t left = archive.size() - std::min(position, archive.size());
        const size_t partBytes = disk == count ? left : std::min(left, size_t(partSize));
        WriteFile(platform, PartFileName(path, disk), archive.data() + position, partBytes);
        position += partBytes;
    }
    platform.boxes.Show("Remove the last disk from Drive A:", "Floppy Disk Set Completed",
                        kMbOk | kMbIconAsterisk);
}

void RunFloppyDiskSet(Platform& platform, const FloppySetSource& source, DialogPeer& mainDialog) {
    const std::string name = ArchiveFileName(source.product, source.version);
    std::string path = FindRunningArchive(platform, source.setupFolder, name);
    if (path.empty()) {
        OpenFileRequest request{"Locate the Archive Program", "Program Files|*.exe", "exe", name};
        if (!platform.commonDialogs.OpenFile(request)) return;
        path = request.fileName;
        if (!Contains(path, UpperText(name))) {
            ShowWarning(platform.boxes, "Please select the correct file", name);
            return;
        }
    }
    const int64_t size = GetFileByteCount(platform.files, path);
    const int32_t count = DiskCount(size);
    if (platform.boxes.ShowOwned(
            mainDialog, std::to_string(count) + " disks will be required for Drive A:",
            "Create Floppy Disk Set ?", kMbYesNo | kMbIconQuestion) == kIdYes) {
        CreateFloppySet(platform, source, path, size, kFloppyPartSize, count);
    }
}

}  // namespace mivox
