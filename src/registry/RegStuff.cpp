#include "registry/RegStuff.h"

namespace mivox {

namespace {

std::string ReadProductString(Platform& platform, const std::string& name) {
    std::unique_ptr<RegistryKey> key;
    if (platform.registry.CreateKey(kHkeyLocalMachine, kProductKey, kKeyAllAccess, key) !=
        kRegSuccess) {
        return {};
    }
    uint32_t type = 0;
    std::string data;
    if (key->QueryValue(name, type, data) != kRegSuccess) return {};
    if (type != kRegSz && type != kRegExpandSz) return {};
    // A string is stored with its terminating NUL; the text ends at the first.
    const size_t end = data.find('\0');
    return end == std::string::npos ? data : data.substr(0, end);
}

}  // namespace

std::string ReadProgramDir(Platform& platform) {
    return ReadProductString(platform, "ProgramDir");
}

std::string ReadProgramVersion(Platform& platform) {
    return ReadProductString(platform, "ProgramVersion");
}

}  // namespace mivox
