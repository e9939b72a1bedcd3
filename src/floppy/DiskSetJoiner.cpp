#include "floppy/DiskSetJoiner.h"

#include "floppy/Crc32.h"
#include "floppy/FloppyNames.h"

namespace mivox {

namespace {

std::string PartOnDrive(const InstallIni& ini, int disk, const std::string& drive) {
    return drive + PartFileName(ini.fileExeName, disk).substr(3);
}

int64_t ExpectedPartSize(const InstallIni& ini, int disk) {
    if (disk < ini.filePartCnt) return kFloppyPartSize;
    return ini.fileByteCnt - static_cast<int64_t>(ini.filePartCnt - 1) * kFloppyPartSize;
}

// Reads disk's part once the user has inserted a disk that holds it whole.
bool ReadPart(FileSystem& files, JoinPrompts& prompts, const InstallIni& ini, int disk,
              const std::string& drive, std::string& part) {
    const std::string path = PartOnDrive(ini, disk, drive);
    const int64_t expected = ExpectedPartSize(ini, disk);
    std::string problem;
    for (;;) {
        if (!prompts.InsertDisk(disk, ini.filePartCnt, problem)) return false;
        if (!files.ReadAll(path, part)) {
            problem = "The disk in the drive does not hold " + path + ".";
        } else if (static_cast<int64_t>(part.size()) != expected) {
            problem = path + " holds " + std::to_string(part.size()) + " bytes instead of " +
                      std::to_string(expected) + ": it is not the right disk, or it is damaged.";
        } else {
            return true;
        }
    }
}

}  // namespace

JoinResult JoinDiskSet(FileSystem& files, JoinPrompts& prompts, const InstallIni& ini,
                       const std::string& folder, const std::string& drive) {
    JoinResult result;
    result.path = folder + (folder.empty() || folder.back() == '\\' ? "" : "\\") + ini.fileExeName;
    std::unique_ptr<OutputFile> out = files.CreateOutputFile(result.path);
    if (!out) {
        result.status = JoinResult::kWriteFailed;
        return result;
    }
    uint32_t crc = kCrc32Start;
    int64_t joined = 0;
    result.status = JoinResult::kJoined;
    for (int disk = 1; disk <= ini.filePartCnt && result.status == JoinResult::kJoined; ++disk) {
        std::string part;
        if (!ReadPart(files, prompts, ini, disk, drive, part)) {
            result.status = JoinResult::kCancelled;
        } else if (!out->Write(part)) {
            result.status = JoinResult::kWriteFailed;
        } else {
            crc = Crc32Update(crc, part.data(), part.size());
            joined += static_cast<int64_t>(part.size());
        }
    }
    if (!out->Close() && result.status == JoinResult::kJoined) {
        result.status = JoinResult::kWriteFailed;
    }
    if (result.status == JoinResult::kJoined &&
        (joined != ini.fileByteCnt || Crc32Finish(crc) != ini.fileCodeCrc)) {
        result.status = JoinResult::kCorrupt;
    }
    out.reset();
    if (result.status != JoinResult::kJoined) files.Delete(result.path);
    return result;
}

}  // namespace mivox
