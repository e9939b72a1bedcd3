#include "fakes/MemoryFileSystem.h"

#include "util/TextUtil.h"

namespace mivox::testing {

std::string MemoryFileSystem::Key(const std::string& path) {
    std::string key = UpperText(path);
    for (char& c : key) {
        if (c == '/') c = '\\';
    }
    while (key.size() > 3 && key.back() == '\\') key.pop_back();
    return key;
}

PackedDateTime MemoryFileSystem::PackDateTime(int year, int month, int day, int hour, int minute,
                                              int second) {
    const uint32_t date = static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day);
    const uint32_t time = static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2));
    return static_cast<PackedDateTime>((date << 16) | time);
}

void MemoryFileSystem::AddDirectory(const std::string& path) {
    const std::string key = Key(path);
    const size_t slash = key.rfind('\\');
    if (slash != std::string::npos && slash > 2) AddDirectory(key.substr(0, slash));
    entries_[key].directory = true;
}

void MemoryFileSystem::AddFile(const std::string& path, const std::string& contents,
                               PackedDateTime age) {
    const std::string key = Key(path);
    const size_t slash = key.rfind('\\');
    if (slash != std::string::npos) AddDirectory(key.substr(0, slash + 1));
    entries_[key] = Entry{false, contents, age};
}

const MemoryFileSystem::Entry* MemoryFileSystem::Find(const std::string& path) const {
    const auto it = entries_.find(Key(path));
    return it == entries_.end() ? nullptr : &it->second;
}

bool MemoryFileSystem::FileExists(const std::string& path) const {
    const Entry* entry = Find(path);
    return entry && !entry->directory;
}

bool MemoryFileSystem::DirectoryExists(const std::string& path) const {
    const Entry* entry = Find(path);
    return entry && entry->directory;
}

PackedDateTime MemoryFileSystem::FileAge(const std::string& path) const {
    const Entry* entry = Find(path);
    return entry && !entry->directory ? entry->age : kNoFileAge;
}

}  // namespace mivox::testing
