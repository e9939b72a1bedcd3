#include "fakes/FakePlatform.h"

#include <cstring>

namespace mivox::testing {

void FakeVersionResources::Add(const std::string& path, uint32_t ms, uint32_t ls) {
    versions_[MemoryFileSystem::Key(path)] = {ms, ls};
}

uint32_t FakeVersionResources::InfoSize(const std::string& path) const {
    return versions_.count(MemoryFileSystem::Key(path)) ? 2 * sizeof(uint32_t) : 0;
}

bool FakeVersionResources::ReadInfo(const std::string& path, void* buffer, uint32_t size) const {
    const auto it = versions_.find(MemoryFileSystem::Key(path));
    if (failRead || it == versions_.end() || size < 2 * sizeof(uint32_t)) return false;
    std::memcpy(buffer, &it->second.first, sizeof(uint32_t));
    std::memcpy(static_cast<char*>(buffer) + sizeof(uint32_t), &it->second.second,
                sizeof(uint32_t));
    return true;
}

bool FakeVersionResources::QueryFileVersion(const void* buffer, uint32_t& versionMs,
                                            uint32_t& versionLs) const {
    if (failQuery) return false;
    std::memcpy(&versionMs, buffer, sizeof(uint32_t));
    std::memcpy(&versionLs, static_cast<const char*>(buffer) + sizeof(uint32_t), sizeof(uint32_t));
    return true;
}

void* FakeVirtualMemory::Reserve(size_t size) {
    if (failReserve) return nullptr;
    std::vector<unsigned char> block(size);
    void* address = block.data();  // a moved vector keeps its storage
    blocks_.emplace(address, std::move(block));
    ++reserved;
    return address;
}

void* FakeVirtualMemory::Commit(void* address, size_t) {
    if (failCommit || !blocks_.count(address)) return nullptr;
    ++committed;
    return address;
}

bool FakeVirtualMemory::Decommit(void* address, size_t) {
    if (!blocks_.count(address)) return false;
    --committed;
    return !failDecommit;
}

bool FakeVirtualMemory::Release(void* address) {
    if (!blocks_.erase(address)) return false;
    --reserved;
    return true;
}

int FakeMessageBoxes::ShowOwned(DialogPeer& owner, const std::string& text,
                                const std::string& caption, unsigned style) {
    return Answer({text, caption, style, &owner});
}

int FakeMessageBoxes::Show(const std::string& text, const std::string& caption, unsigned style) {
    return Answer({text, caption, style});
}

int FakeMessageBoxes::Answer(Box box) {
    shown.push_back(std::move(box));
    if (whileShown) whileShown(shown.back());
    if (answers.empty()) return kIdOk;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace mivox::testing
