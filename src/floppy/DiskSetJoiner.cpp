#include "floppy/DiskSetJoiner.h"

#include "floppy/Crc32.h"
#include "floppy/FloppyNames.h"
#include "util/FixedText.h"
#include "util/SafeFileName.h"

namespace mivox {

namespace {

using Problem = FixedText<kJoinPathSize + 160>;

// Decimal digits only, at most 18 of them (no sign, no blanks).
bool ReadDecimal(const char* text, size_t size, int64_t& value) {
    if (size == 0 || size > 18) return false;
    value = 0;
    for (size_t i = 0; i < size; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

bool ReadHex8(const char* text, size_t size, uint32_t& value) {
    if (size != 8) return false;
    value = 0;
    for (size_t i = 0; i < size; ++i) {
        const char c = AsciiUpper(text[i]);
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0) return false;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return true;
}

void Copy(char* to, const char* from) {
    size_t i = 0;
    for (; i + 1 < kJoinPathSize && from[i] != '\0'; ++i) to[i] = from[i];
    to[i] = '\0';
}

// The part of disk n on drive: the archive's name with the three characters
// after its last "." replaced by n in three digits, as the writer names it.
void PartPath(const DiskSetSpec& spec, int disk, const char* drive,
              FixedText<kJoinPathSize>& path) {
    char name[kJoinPathSize] = {};
    Copy(name, spec.fileExeName);
    size_t afterDot = 0;
    for (size_t i = 0; name[i] != '\0'; ++i) {
        if (name[i] == '.') afterDot = i + 1;
    }
    const char digits[3] = {static_cast<char>('0' + disk / 100 % 10),
                            static_cast<char>('0' + disk / 10 % 10),
                            static_cast<char>('0' + disk % 10)};
    for (size_t i = 0; afterDot > 0 && i < 3 && name[afterDot + i] != '\0'; ++i) {
        name[afterDot + i] = digits[i];
    }
    path.Add(drive).Add(name);
}

int64_t ExpectedPartSize(const DiskSetSpec& spec, int disk) {
    if (disk < spec.filePartCnt) return kFloppyPartSize;
    return spec.fileByteCnt - static_cast<int64_t>(spec.filePartCnt - 1) * kFloppyPartSize;
}

// Reads disk's part into buffer once the user has inserted a disk that holds
// it whole; false when the user gives up.
bool ReadPart(JoinSystem& system, const DiskSetSpec& spec, int disk, const char* drive,
              char* buffer, size_t bufferSize, size_t& partSize) {
    FixedText<kJoinPathSize> path;
    PartPath(spec, disk, drive, path);
    const int64_t expected = ExpectedPartSize(spec, disk);
    Problem problem;
    for (;;) {
        if (!system.InsertDisk(disk, spec.filePartCnt, problem.c_str())) return false;
        int64_t size = -1;
        problem = Problem();
        if (!system.ReadFile(path.c_str(), buffer, bufferSize, size)) {
            problem.Add("The disk in the drive does not hold ").Add(path.c_str()).Add(".");
        } else if (size != expected) {
            problem.Add(path.c_str()).Add(" holds ").AddNumber(size).Add(" bytes instead of ");
            problem.AddNumber(expected).Add(": it is not the right disk, or it is damaged.");
        } else {
            partSize = static_cast<size_t>(size);
            return true;
        }
    }
}

}  // namespace

const char* ReadDiskSetSpec(const char* text, size_t size, DiskSetSpec& spec) {
    spec = DiskSetSpec();
    bool inData = false, haveName = false, haveBytes = false, haveCount = false, haveCrc = false;
    for (size_t start = 0; start < size;) {
        size_t end = start;
        while (end < size && text[end] != '\n') ++end;
        const char* line = text + start;
        size_t length = end - start;
        start = end + 1;
        if (length > 0 && line[length - 1] == '\r') --length;
        if (length > 0 && line[0] == '[') {
            inData = EqualsUpper(line, length, "[DATA]");
            continue;
        }
        size_t equals = 0;
        while (equals < length && line[equals] != '=') ++equals;
        if (!inData || equals == length) continue;
        const char* value = line + equals + 1;
        const size_t valueSize = length - equals - 1;
        if (EqualsUpper(line, equals, "FILEEXENAME")) {
            if (valueSize >= 256 || !IsSafeFileName(value, valueSize)) {
                return "FileExeName is not a plain file name.";
            }
            for (size_t i = 0; i < valueSize; ++i) spec.fileExeName[i] = value[i];
            spec.fileExeName[valueSize] = '\0';
            haveName = true;
        } else if (EqualsUpper(line, equals, "FILEBYTECNT")) {
            if (!ReadDecimal(value, valueSize, spec.fileByteCnt)) {
                return "FileByteCnt is not a number of bytes.";
            }
            haveBytes = true;
        } else if (EqualsUpper(line, equals, "FILEPARTCNT")) {
            int64_t count = 0;
            if (!ReadDecimal(value, valueSize, count) || count > 999) {
                return "FilePartCnt is not a number of disks.";
            }
            spec.filePartCnt = static_cast<int32_t>(count);
            haveCount = true;
        } else if (EqualsUpper(line, equals, "FILECODECRC")) {
            if (!ReadHex8(value, valueSize, spec.fileCodeCrc)) {
                return "FileCodeCRC is not eight hexadecimal digits.";
            }
            haveCrc = true;
        }
    }
    if (!haveName || !haveBytes || !haveCount || !haveCrc) {
        return "A value of its [Data] section is missing.";
    }
    const int64_t count = spec.filePartCnt;
    if (count < 1 || spec.fileByteCnt <= (count - 1) * kFloppyPartSize ||
        spec.fileByteCnt > count * kFloppyPartSize) {
        return "FileByteCnt and FilePartCnt do not agree.";
    }
    return nullptr;
}

JoinResult JoinDiskSet(JoinSystem& system, const DiskSetSpec& spec, const char* folder,
                       char* buffer, size_t bufferSize, const char* drive) {
    JoinResult result;
    FixedText<kJoinPathSize> target(folder);
    const size_t folderSize = target.size();
    if (folderSize > 0 && folder[folderSize - 1] != '\\') target.Add("\\");
    target.Add(spec.fileExeName);
    Copy(result.path, target.c_str());
    char temp[kJoinPathSize] = {};
    if (!target.Whole() || !system.CreateTempFile(folder, temp)) {
        result.status = JoinResult::kWriteFailed;
        return result;
    }
    uint32_t crc = kCrc32Start;
    int64_t joined = 0;
    result.status = JoinResult::kJoined;
    for (int disk = 1; disk <= spec.filePartCnt && result.status == JoinResult::kJoined; ++disk) {
        size_t partSize = 0;
        if (!ReadPart(system, spec, disk, drive, buffer, bufferSize, partSize)) {
            result.status = JoinResult::kCancelled;
        } else if (!system.Write(buffer, partSize)) {
            result.status = JoinResult::kWriteFailed;
            Copy(result.path, temp);
        } else {
            crc = Crc32Update(crc, buffer, partSize);
            joined += static_cast<int64_t>(partSize);
        }
    }
    if (!system.CloseTempFile() && result.status == JoinResult::kJoined) {
        result.status = JoinResult::kWriteFailed;
        Copy(result.path, temp);
    }
    if (result.status == JoinResult::kJoined &&
        (joined != spec.fileByteCnt || Crc32Finish(crc) != spec.fileCodeCrc)) {
        result.status = JoinResult::kCorrupt;
    }
    if (result.status == JoinResult::kJoined && !system.Replace(temp, target.c_str())) {
        result.status = JoinResult::kWriteFailed;
    }
    if (result.status != JoinResult::kJoined) system.Delete(temp);
    return result;
}

}  // namespace mivox
