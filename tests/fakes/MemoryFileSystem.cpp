#include "fakes/MemoryFileSystem.h"

#include "util/TextUtil.h"

namespace mivox::testing {

namespace {

constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorDirNotEmpty = 145;

IoResult Fail(uint32_t error) {
    return IoResult::Failed(error);
}

std::string Parent(const std::string& key) {
    const size_t slash = key.rfind('\\');
    if (slash == std::string::npos) return {};
    return slash <= 2 ? key.substr(0, slash + 1) : key.substr(0, slash);
}

std::string LastComponent(const std::string& path) {
    std::string p = path;
    while (p.size() > 3 && (p.back() == '\\' || p.back() == '/')) p.pop_back();
    const size_t slash = p.find_last_of("\\/");
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

char DriveOf(const std::string& key) {
    return key.size() >= 2 && key[1] == ':' ? key[0] : '\0';
}

// Wildcard match of a file name against a mask with "*" and "?", ignoring case.
bool Matches(const std::string& name, const std::string& mask) {
    if (mask == "*.*" || mask == "*") return true;
    const std::string n = UpperText(name);
    const std::string m = UpperText(mask);
    size_t i = 0, j = 0, star = std::string::npos, mark = 0;
    while (i < n.size()) {
        if (j < m.size() && (m[j] == '?' || m[j] == n[i])) {
            ++i;
            ++j;
        } else if (j < m.size() && m[j] == '*') {
            star = j++;
            mark = i;
        } else if (star != std::string::npos) {
            j = star + 1;
            i = ++mark;
        } else {
            return false;
        }
    }
    while (j < m.size() && m[j] == '*') ++j;
    return j == m.size();
}

class MemoryOutputFile : public OutputFile {
public:
    MemoryOutputFile(MemoryFileSystem& files, std::string key) : files_(files), key_(key) {}
    IoResult Write(const void* data, size_t size) override {
        if (closed_) return Fail(kErrorInvalidHandle);
        return files_.Append(key_, data, size);
    }
    IoResult Close() override {
        closed_ = true;
        return IoResult::Ok();
    }

private:
    MemoryFileSystem& files_;
    std::string key_;
    bool closed_ = false;
};

}  // namespace

std::string MemoryFileSystem::Key(const std::string& path) {
    std::string key = UpperText(path);
    for (char& c : key) {
        if (c == '/') c = '\\';
    }
    while (key.size() > 3 && key.back() == '\\') key.pop_back();
    if (key.size() == 2 && key[1] == ':') key += '\\';
    return key;
}

PackedDateTime MemoryFileSystem::PackDateTime(int year, int month, int day, int hour, int minute,
                                              int second) {
    const uint32_t date = static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day);
    const uint32_t time = static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2));
    return static_cast<PackedDateTime>((date << 16) | time);
}

uint64_t MemoryFileSystem::FileTimeOf(PackedDateTime age) {
    const auto packed = static_cast<uint32_t>(age);
    int64_t year = 1980 + (packed >> 25);
    const int64_t month = (packed >> 21) & 15, day = (packed >> 16) & 31;
    // Days since 1 January 1601 of the civil date (March-based years).
    year -= month <= 2;
    const int64_t era = year / 400, yoe = year - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 584694;
    const int64_t seconds =
        days * 86400 + ((packed >> 11) & 31) * 3600 + ((packed >> 5) & 63) * 60 + (packed & 31) * 2;
    return static_cast<uint64_t>(seconds) * 10000000u;
}

void MemoryFileSystem::AddDirectory(const std::string& path, uint32_t attributes) {
    const std::string key = Key(path);
    const std::string parent = Parent(key);
    if (!parent.empty() && parent != key) AddDirectory(parent);
    Entry& entry = entries_[key];
    entry.directory = true;
    entry.name = LastComponent(path);
    entry.attributes = attributes | kAttrDirectory;
}

void MemoryFileSystem::AddFile(const std::string& path, const std::string& contents,
                               PackedDateTime age, uint32_t attributes) {
    const std::string key = Key(path);
    AddDirectory(Parent(key));
    entries_[key] = Entry{false, LastComponent(path), contents, age, attributes};
}

void MemoryFileSystem::AddLink(const std::string& link, const std::string& target) {
    AddDirectory(link, kAttrReparsePoint);
    links_[Key(link)] = Key(target);
}

std::string MemoryFileSystem::Resolved(const std::string& path) const {
    const std::string key = Key(path);
    for (const auto& [link, target] : links_) {
        if (key.size() > link.size() && key.compare(0, link.size(), link) == 0 &&
            key[link.size()] == '\\') {
            return Resolved(target + key.substr(link.size()));
        }
    }
    return key;
}

const MemoryFileSystem::Entry* MemoryFileSystem::Find(const std::string& path) const {
    const auto it = entries_.find(Resolved(path));
    return it == entries_.end() ? nullptr : &it->second;
}

MemoryFileSystem::Entry* MemoryFileSystem::Find(const std::string& path) {
    const auto it = entries_.find(Resolved(path));
    return it == entries_.end() ? nullptr : &it->second;
}

std::vector<std::string> MemoryFileSystem::List() const {
    std::vector<std::string> keys;
    for (const auto& [key, entry] : entries_) keys.push_back(key);
    return keys;
}

IoResult MemoryFileSystem::Injected(Op op, const std::string& key) const {
    if (faults && faults->Next()) return Fail(faults->error);
    if (notReadyDrives.count(DriveOf(key))) return Fail(kErrorNotReady);
    const auto it = failures_.find({op, key});
    return it == failures_.end() ? IoResult::Ok() : Fail(it->second);
}

bool MemoryFileSystem::ParentExists(const std::string& key) const {
    const std::string parent = Parent(key);
    if (parent.size() == 3) return !notReadyDrives.count(parent[0]);
    const auto it = entries_.find(parent);
    return it != entries_.end() && it->second.directory;
}

int64_t MemoryFileSystem::UsedBytes(char drive) const {
    int64_t used = 0;
    for (const auto& [key, entry] : entries_) {
        if (DriveOf(key) == drive && !entry.directory) {
            used += static_cast<int64_t>(entry.contents.size());
        }
    }
    return used;
}

bool MemoryFileSystem::Fits(char drive, int64_t extra) const {
    const auto capacity = driveCapacity.find(drive);
    return capacity == driveCapacity.end() || UsedBytes(drive) + extra <= capacity->second;
}

bool MemoryFileSystem::FileExists(const std::string& path) const {
    const Entry* entry = Find(path);
    return entry && !entry->directory && !notReadyDrives.count(DriveOf(Key(path)));
}

bool MemoryFileSystem::DirectoryExists(const std::string& path) const {
    const std::string key = Key(path);
    if (notReadyDrives.count(DriveOf(key))) return false;
    if (key.size() == 3 && key[1] == ':') return true;
    const Entry* entry = Find(path);
    return entry && entry->directory;
}

PackedDateTime MemoryFileSystem::FileAge(const std::string& path) const {
    return FileExists(path) ? Find(path)->age : kNoFileAge;
}

IoResult MemoryFileSystem::FileSize(const std::string& path, int64_t& size) const {
    const std::string key = Key(path);
    if (const IoResult fault = Injected(Op::Read, key); !fault) return fault;
    const Entry* entry = Find(path);
    if (!entry || entry->directory || notReadyDrives.count(DriveOf(key))) {
        return Fail(kErrorFileNotFound);
    }
    size = static_cast<int64_t>(entry->contents.size());
    return IoResult::Ok();
}

std::vector<FindData> MemoryFileSystem::FindEntries(const std::string& pattern) const {
    std::vector<FindData> found;
    const std::string key = Resolved(pattern);
    const std::string directory = Parent(key);
    if (notReadyDrives.count(DriveOf(key)) || !DirectoryExists(directory)) return found;
    const std::string mask = LastComponent(pattern);
    if (directory.size() > 3 && Matches(".", mask)) {
        found.push_back({".", kAttrDirectory, 0, 0});
        found.push_back({"..", kAttrDirectory, 0, 0});
    }
    for (const auto& [entryKey, entry] : entries_) {
        if (entryKey == directory || Parent(entryKey) != directory) continue;
        if (!Matches(entry.name, mask)) continue;
        const auto reported = reportedSizes.find(entryKey);
        found.push_back({entry.name, entry.attributes,
                         reported != reportedSizes.end()
                             ? reported->second
                             : static_cast<int64_t>(entry.contents.size()),
                         entry.age, entry.directory ? 0 : FileTimeOf(entry.age)});
    }
    return found;
}

IoResult MemoryFileSystem::Copy(const std::string& source, const std::string& dest,
                                bool failIfExists) {
    const std::string to = Key(dest);
    if (const IoResult fault = Injected(Op::Copy, to); !fault) return fault;
    const Entry* from = Find(source);
    if (!from || from->directory || notReadyDrives.count(DriveOf(Key(source)))) {
        return Fail(kErrorFileNotFound);
    }
    if (!ParentExists(to)) return Fail(kErrorPathNotFound);
    const Entry* existing = Find(dest);
    if (existing && existing->directory) return Fail(kErrorAccessDenied);
    if (existing && failIfExists) return Fail(kErrorFileExists);
    if (existing && (existing->attributes & kAttrReadOnly)) return Fail(kErrorAccessDenied);
    const int64_t replaced = existing ? static_cast<int64_t>(existing->contents.size()) : 0;
    if (!Fits(DriveOf(to), static_cast<int64_t>(from->contents.size()) - replaced)) {
        return Fail(kErrorDiskFull);
    }
    Entry copy = *from;
    copy.name = existing ? existing->name : LastComponent(dest);
    copy.attributes = from->attributes | kAttrArchive;
    entries_[to] = copy;
    return IoResult::Ok();
}

uint32_t MemoryFileSystem::GetAttributes(const std::string& path) const {
    const std::string key = Key(path);
    if (notReadyDrives.count(DriveOf(key))) return kInvalidAttributes;
    const Entry* entry = Find(path);
    return entry ? entry->attributes : kInvalidAttributes;
}

IoResult MemoryFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
    if (const IoResult fault = Injected(Op::SetAttributes, Key(path)); !fault) return fault;
    Entry* entry = Find(path);
    if (!entry) return Fail(kErrorFileNotFound);
    // FILE_ATTRIBUTE_NORMAL stands for "no attributes"; a folder stays one.
    attributes &= ~static_cast<uint32_t>(kAttrNormal);
    entry->attributes = entry->directory ? attributes | kAttrDirectory : attributes;
    if (!entry->directory && entry->attributes == 0) entry->attributes = kAttrNormal;
    return IoResult::Ok();
}

IoResult MemoryFileSystem::Delete(const std::string& path) {
    const std::string key = Resolved(path);
    if (const IoResult fault = Injected(Op::Delete, key); !fault) return fault;
    const auto it = entries_.find(key);
    if (it == entries_.end() || it->second.directory) return Fail(kErrorFileNotFound);
    if (it->second.attributes & kAttrReadOnly) return Fail(kErrorAccessDenied);
    entries_.erase(it);
    return IoResult::Ok();
}

IoResult MemoryFileSystem::CreateDir(const std::string& path) {
    const std::string key = Key(path);
    if (const IoResult fault = Injected(Op::CreateDir, key); !fault) return fault;
    if (entries_.count(key) || (key.size() == 3 && key[1] == ':')) {
        return Fail(kErrorAlreadyExists);
    }
    if (!ParentExists(key)) return Fail(kErrorPathNotFound);
    entries_[key] = Entry{true, LastComponent(path), {}, 0, kAttrDirectory};
    return IoResult::Ok();
}

IoResult MemoryFileSystem::RemoveDir(const std::string& path) {
    const std::string key = Key(path);
    if (const IoResult fault = Injected(Op::RemoveDir, key); !fault) return fault;
    const auto it = entries_.find(key);
    if (it == entries_.end() || !it->second.directory) return Fail(kErrorFileNotFound);
    if (links_.erase(key)) {
        entries_.erase(it);
        return IoResult::Ok();
    }
    for (const auto& [entryKey, entry] : entries_) {
        if (Parent(entryKey) == key && entryKey != key) return Fail(kErrorDirNotEmpty);
    }
    entries_.erase(it);
    return IoResult::Ok();
}

IoResult MemoryFileSystem::Rename(const std::string& existing, const std::string& newName) {
    const std::string from = Resolved(existing), to = Resolved(newName);
    if (const IoResult fault = Injected(Op::Rename, to); !fault) return fault;
    const auto it = entries_.find(from);
    if (it == entries_.end() || it->second.directory) return Fail(kErrorFileNotFound);
    if (!ParentExists(to)) return Fail(kErrorPathNotFound);
    const auto replaced = entries_.find(to);
    if (replaced != entries_.end() &&
        (replaced->second.directory || (replaced->second.attributes & kAttrReadOnly))) {
        return Fail(kErrorAccessDenied);
    }
    Entry moved = it->second;
    moved.name = LastComponent(newName);
    entries_.erase(it);
    entries_[to] = moved;
    return IoResult::Ok();
}

IoResult MemoryFileSystem::MoveFileAtRestart(const std::string& existing,
                                             const std::string& newName) {
    if (const IoResult fault = Injected(Op::MoveAtRestart, Key(existing)); !fault) return fault;
    restartMoves.emplace_back(existing, newName);
    return IoResult::Ok();
}

IoResult MemoryFileSystem::WriteIniString(const std::string& file, const std::string& section,
                                          const std::string& key, const std::string& value) {
    const std::string fileKey = Key(file);
    if (const IoResult fault = Injected(Op::Write, fileKey); !fault) return fault;
    if (!ParentExists(fileKey)) return Fail(kErrorPathNotFound);
    Entry& entry = entries_[fileKey];
    if (entry.name.empty()) entry = Entry{false, LastComponent(file), {}, 0, kAttrArchive};

    // The file as lines; the key is replaced in its section or added at the
    // section's end, and a missing section is added at the end of the file.
    std::vector<std::string> lines;
    size_t start = 0;
    const std::string& text = entry.contents;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    const std::string header = UpperText("[" + section + "]");
    const std::string keyPrefix = UpperText(key + "=");
    const std::string line = key + "=" + value;
    size_t at = 0;
    while (at < lines.size() && UpperText(lines[at]) != header) ++at;
    if (at == lines.size()) {
        lines.push_back("[" + section + "]");
        lines.push_back(line);
    } else {
        size_t end = at + 1;
        bool replaced = false;
        for (; end < lines.size() && (lines[end].empty() || lines[end][0] != '['); ++end) {
            if (UpperText(lines[end]).rfind(keyPrefix, 0) == 0) {
                lines[end] = line;
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            while (end > at + 1 && lines[end - 1].empty()) --end;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(end), line);
        }
    }
    entry.contents.clear();
    for (const std::string& l : lines) entry.contents += l + "\r\n";
    return IoResult::Ok();
}

int64_t MemoryFileSystem::DiskFreeBytes(int driveNumber) const {
    const char drive = static_cast<char>('A' + driveNumber - 1);
    const auto capacity = driveCapacity.find(drive);
    if (driveNumber < 1 || notReadyDrives.count(drive) || capacity == driveCapacity.end()) {
        return -1;
    }
    return capacity->second - UsedBytes(drive);
}

uint32_t MemoryFileSystem::DriveTypeOf(const std::string& root) const {
    const auto it = driveTypes.find(DriveOf(Key(root)));
    return it == driveTypes.end() ? kDriveFixed : it->second;
}

IoResult MemoryFileSystem::ReadAll(const std::string& path, std::string& contents) const {
    const std::string key = Key(path);
    if (const IoResult fault = Injected(Op::Read, key); !fault) return fault;
    const Entry* entry = Find(path);
    if (!entry || entry->directory) return Fail(kErrorFileNotFound);
    contents = entry->contents;
    return IoResult::Ok();
}

CreatedFile MemoryFileSystem::CreateOutputFile(const std::string& path) {
    const std::string key = Key(path);
    if (notReadyDrives.count(DriveOf(key))) return Fail(kErrorNotReady);
    if (!ParentExists(key)) return Fail(kErrorPathNotFound);
    if (const IoResult fault = Injected(Op::CreateIn, Parent(key)); !fault) return fault;
    const Entry* existing = Find(path);
    if (existing && (existing->directory || (existing->attributes & kAttrReadOnly))) {
        return Fail(kErrorAccessDenied);
    }
    entries_[key] = Entry{false,
                          existing ? existing->name : LastComponent(path),
                          {},
                          PackDateTime(2001, 1, 5, 15, 4, 6),
                          kAttrArchive};
    return CreatedFile(std::make_unique<MemoryOutputFile>(*this, key));
}

IoResult MemoryFileSystem::SetFileAge(const std::string& path, PackedDateTime age) {
    if (faults && faults->Next()) return Fail(faults->error);
    Entry* entry = Find(path);
    if (!entry || entry->directory) return Fail(kErrorFileNotFound);
    entry->age = age;
    return IoResult::Ok();
}

std::string MemoryFileSystem::ShortPathName(const std::string& path) const {
    if (!Find(path) || !Injected(Op::ShortName, Key(path))) return {};
    return path;
}

IoResult MemoryFileSystem::Append(const std::string& key, const void* data, size_t size) {
    if (const IoResult fault = Injected(Op::Write, key); !fault) return fault;
    if (!Fits(DriveOf(key), static_cast<int64_t>(size))) return Fail(kErrorDiskFull);
    Entry& entry = entries_[key];
    entry.contents.append(static_cast<const char*>(data), size);
    return IoResult::Ok();
}

}  // namespace mivox::testing
