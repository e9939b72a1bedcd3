// A disk set comes from floppies that may be damaged, mixed up or crafted.
// The input is an Install.Ini text, then a script for the disks the user
// inserts: each disk holds a part of a size and content the input chooses.
// Whatever they hold, the joiner must write the archive's name only with the
// byte count and CRC-32 that Install.Ini gives, write only while its
// temporary file is open, and leave no temporary file behind when it fails.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "floppy/DiskSetJoiner.h"
#include "floppy/FloppyNames.h"

namespace {

using mivox::DiskSetSpec;
using mivox::JoinResult;
using mivox::JoinSystem;
using mivox::kFloppyPartSize;
using mivox::kJoinPathSize;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// The harness's own loops over whole parts are not what is being fuzzed:
// left uninstrumented, they no longer take most of each run.
#define HARNESS_LOOP __attribute__((no_sanitize("coverage", "address", "undefined")))

// A CRC-32 of its own, so that the joiner's is checked against another.
// It runs along the bytes, so that no joined archive need be kept.
class ReferenceCrc {
public:
    // Four bytes a step through four tables, the plain byte loop for the rest.
    HARNESS_LOOP void Add(const char* bytes, size_t size) {
        static uint32_t table[4][256];
        static const bool ready = [] {
            for (uint32_t n = 0; n < 256; ++n) {
                uint32_t c = n;
                for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
                table[0][n] = c;
            }
            for (int t = 1; t < 4; ++t)
                for (uint32_t n = 0; n < 256; ++n)
                    table[t][n] = table[0][table[t - 1][n] & 0xFF] ^ (table[t - 1][n] >> 8);
            return true;
        }();
        (void)ready;
        const auto* p = reinterpret_cast<const unsigned char*>(bytes);
        size_t i = 0;
        for (; i + 4 <= size; i += 4) {
            const uint32_t c = crc_ ^ (uint32_t{p[i]} | uint32_t{p[i + 1]} << 8 |
                                       uint32_t{p[i + 2]} << 16 | uint32_t{p[i + 3]} << 24);
            crc_ = table[3][c & 0xFF] ^ table[2][(c >> 8) & 0xFF] ^ table[1][(c >> 16) & 0xFF] ^
                   table[0][c >> 24];
        }
        for (; i < size; ++i) crc_ = table[0][(crc_ ^ p[i]) & 0xFF] ^ (crc_ >> 8);
        size_ += static_cast<int64_t>(size);
    }
    uint32_t Value() const { return ~crc_; }
    int64_t Size() const { return size_; }

private:
    uint32_t crc_ = 0xFFFFFFFFu;
    int64_t size_ = 0;
};

// Reads the fuzzer's bytes in turn; zeros once they run out.
struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint8_t Byte() { return at < size ? data[at++] : 0; }
};

// One inserted disk: what ReadFile finds on it.
struct Disk {
    enum Kind { kGiveUp, kMissing, kExpectedSize, kOtherSize } kind;
    int64_t otherSize;
    uint8_t fill[4];
};

std::vector<Disk> ReadDisks(Input& in) {
    std::vector<Disk> disks;
    // A few inserts bound the work: a full part is 1.4 MB.
    while (in.at < in.size && disks.size() < 6) {
        Disk disk{};
        disk.kind = static_cast<Disk::Kind>(in.Byte() % 4);
        const uint8_t size = in.Byte();
        disk.otherSize = size < 250 ? size : kFloppyPartSize + (size - 252);
        for (uint8_t& b : disk.fill) b = in.Byte();
        disks.push_back(disk);
    }
    return disks;
}

int64_t ExpectedPartSize(const DiskSetSpec& spec, int disk) {
    return disk < spec.filePartCnt
               ? kFloppyPartSize
               : spec.fileByteCnt - int64_t{spec.filePartCnt - 1} * kFloppyPartSize;
}

HARNESS_LOOP void Fill(const Disk& disk, int number, char* to, size_t size) {
    for (size_t i = 0; i < size && i < sizeof disk.fill; ++i)
        to[i] = static_cast<char>(disk.fill[i] ^ number);
    // The pattern repeats every four bytes: copy what is filled onto the rest.
    for (size_t done = sizeof disk.fill; done < size; done *= 2)
        std::memcpy(to + done, to, std::min(done, size - done));
}

// The CRC of the whole archive the disks would give when each holds its
// expected part; its size is that of the disks up to the first other one.
ReferenceCrc PlannedArchive(const DiskSetSpec& spec, const std::vector<Disk>& disks,
                            std::vector<char>& scratch) {
    ReferenceCrc planned;
    int number = 1;
    for (const Disk& disk : disks) {
        if (number > spec.filePartCnt || disk.kind != Disk::kExpectedSize) break;
        const size_t size = static_cast<size_t>(ExpectedPartSize(spec, number));
        Fill(disk, number, scratch.data(), size);
        planned.Add(scratch.data(), size);
        ++number;
    }
    return planned;
}

class ScriptedDisks final : public JoinSystem {
public:
    ScriptedDisks(const DiskSetSpec& spec, std::vector<Disk> disks, size_t bufferSize)
        : spec_(spec), disks_(std::move(disks)), bufferSize_(bufferSize) {}

    bool InsertDisk(int disk, int count, const char*) override {
        if (disk < 1 || disk > spec_.filePartCnt || count != spec_.filePartCnt)
            Fail("asked for a disk outside the set");
        if (!open_) Fail("asked for a disk without a file to join into");
        askedDisk_ = disk;
        if (next_ >= disks_.size()) return false;
        current_ = &disks_[next_++];
        return current_->kind != Disk::kGiveUp;
    }
    bool ReadFile(const char* path, char* buffer, size_t capacity, int64_t& size) override {
        if (capacity > bufferSize_) Fail("read into more than the buffer");
        if (std::strncmp(path, "A:\\", 3) != 0) Fail("read a part from another drive");
        if (current_->kind == Disk::kMissing) return false;
        size = current_->kind == Disk::kExpectedSize ? ExpectedPartSize(spec_, askedDisk_)
                                                     : current_->otherSize;
        if (size < 0 || static_cast<uint64_t>(size) > capacity) return false;
        Fill(*current_, askedDisk_, buffer, static_cast<size_t>(size));
        return true;
    }
    bool CreateTempFile(const char* folder, char (&path)[kJoinPathSize]) override {
        if (created_) Fail("created a second temporary file");
        if (std::strcmp(folder, kFolder) != 0) Fail("temporary file outside the folder");
        std::snprintf(path, kJoinPathSize, "%s\\JOIN.TMP", folder);
        created_ = open_ = true;
        return true;
    }
    bool Write(const char* data, size_t size) override {
        if (!open_) Fail("wrote with no temporary file open");
        written_.Add(data, size);
        return true;
    }
    bool CloseTempFile() override {
        if (!open_) Fail("closed a file that is not open");
        open_ = false;
        return true;
    }
    bool Replace(const char* from, const char* to) override {
        if (open_ || replaced_) Fail("replaced while writing, or twice");
        if (std::strcmp(from, kTemp) != 0) Fail("replaced another file than the joined one");
        const std::string target = std::string(kFolder) + "\\" + spec_.fileExeName;
        if (target != to) Fail("joined into another name than the archive's");
        if (written_.Size() != spec_.fileByteCnt || written_.Value() != spec_.fileCodeCrc)
            Fail("wrote the archive although its size or CRC does not match");
        replaced_ = true;
        return true;
    }
    void Delete(const char* path) override {
        if (std::strcmp(path, kTemp) != 0) Fail("deleted another file than the temporary one");
        deleted_ = true;
    }

    static constexpr char kFolder[] = "C:\\TEMP";
    static constexpr char kTemp[] = "C:\\TEMP\\JOIN.TMP";
    bool open_ = false, created_ = false, replaced_ = false, deleted_ = false;

private:
    const DiskSetSpec& spec_;
    std::vector<Disk> disks_;
    size_t bufferSize_;
    size_t next_ = 0;
    const Disk* current_ = nullptr;
    int askedDisk_ = 0;
    ReferenceCrc written_;
};

// What ReadDiskSetSpec accepts must be what the joiner relies on.
void CheckSpec(const DiskSetSpec& spec) {
    const size_t nameSize = strnlen(spec.fileExeName, kJoinPathSize);
    if (nameSize == 0 || nameSize >= 256) Fail("accepted an empty or long archive name");
    for (size_t i = 0; i < nameSize; ++i) {
        const unsigned char c = static_cast<unsigned char>(spec.fileExeName[i]);
        if (c < 32 || std::strchr("\\/:*?\"<>|", c)) Fail("accepted a name that is a path");
    }
    if (std::strcmp(spec.fileExeName, ".") == 0 || std::strcmp(spec.fileExeName, "..") == 0)
        Fail("accepted a name of a folder");
    if (spec.filePartCnt < 1 || spec.filePartCnt > 999) Fail("accepted a part count");
    if (spec.fileByteCnt <= int64_t{spec.filePartCnt - 1} * kFloppyPartSize ||
        spec.fileByteCnt > int64_t{spec.filePartCnt} * kFloppyPartSize)
        Fail("accepted a byte count that does not fit the part count");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Install.Ini runs up to the first NUL; the disks follow.
    const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const size_t iniSize = nul ? static_cast<size_t>(nul - data) : size;
    const std::string ini(reinterpret_cast<const char*>(data), iniSize);
    DiskSetSpec spec;
    if (mivox::ReadDiskSetSpec(ini.data(), ini.size(), spec) != nullptr) return 0;
    CheckSpec(spec);
    // Written back plainly, the values read the same.
    char canonical[kJoinPathSize + 128];
    std::snprintf(canonical, sizeof canonical,
                  "[Data]\r\nFileExeName=%s\r\nFileByteCnt=%lld\r\nFilePartCnt=%d\r\n"
                  "FileCodeCRC=%08X\r\n",
                  spec.fileExeName, static_cast<long long>(spec.fileByteCnt),
                  static_cast<int>(spec.filePartCnt), static_cast<unsigned>(spec.fileCodeCrc));
    DiskSetSpec again;
    if (mivox::ReadDiskSetSpec(canonical, std::strlen(canonical), again) != nullptr ||
        std::strcmp(again.fileExeName, spec.fileExeName) != 0 ||
        again.fileByteCnt != spec.fileByteCnt || again.filePartCnt != spec.filePartCnt ||
        again.fileCodeCrc != spec.fileCodeCrc)
        Fail("the values read do not read back the same");

    Input in{data, size, nul ? iniSize + 1 : size};
    // A first byte after the text asks for a set whose CRC matches the
    // expected parts, so that whole joins are reached too.
    const bool matching = in.Byte() & 1;
    std::vector<Disk> disks = ReadDisks(in);
    static std::vector<char> buffer(kFloppyPartSize);
    if (matching) {
        const ReferenceCrc planned = PlannedArchive(spec, disks, buffer);
        if (planned.Size() != spec.fileByteCnt) return 0;
        spec.fileCodeCrc = planned.Value();
    }
    ScriptedDisks system(spec, std::move(disks), buffer.size());
    const JoinResult result =
        mivox::JoinDiskSet(system, spec, ScriptedDisks::kFolder, buffer.data(), buffer.size());
    if (system.open_) Fail("left the temporary file open");
    if ((result.status == JoinResult::kJoined) != system.replaced_)
        Fail("reported a join that did not happen, or the reverse");
    if (result.status != JoinResult::kJoined && system.created_ && !system.deleted_)
        Fail("left the temporary file of a failed join");
    if (matching && result.status != JoinResult::kJoined) Fail("did not join a sound set");
    return 0;
}
