#include "util/VersionText.h"

#include "util/Messages.h"

namespace mivox {

namespace {

std::string VersionNumbers(uint32_t ms, uint32_t ls) {
    return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." +
           std::to_string(ls >> 16) + "." + std::to_string(ls & 0xFFFF);
}

}  // namespace

std::string FileVersionText(Platform& platform, const std::string& path) {
    if (!platform.files.FileExists(path)) return "?";
    const uint32_t size = platform.versions.InfoSize(path);
    if (size == 0) return "NoData";

    // The resource copy lives in pages of its own, released on every path.
    VirtualMemory& memory = platform.memory;
    void* reserved = memory.Reserve(size);
    void* buffer = reserved ? memory.Commit(reserved, size) : nullptr;
    std::string text = "NoData";
    if (!buffer) {
        ShowLastApiError(platform.boxes, platform.system);
    } else {
        uint32_t ms = 0;
        uint32_t ls = 0;
        if (platform.versions.ReadInfo(path, buffer, size) &&
            platform.versions.QueryFileVersion(buffer, ms, ls)) {
            text = VersionNumbers(ms, ls);
        }
        if (!memory.Decommit(buffer, size)) ShowLastApiError(platform.boxes, platform.system);
    }
    if (reserved && !memory.Release(reserved)) ShowLastApiError(platform.boxes, platform.system);
    return text;
}

}  // namespace mivox
