#include "util/VersionText.h"

namespace mivox {

namespace {

std::string VersionNumbers(uint32_t ms, uint32_t ls) {
    return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." +
           std::to_string(ls >> 16) + "." + std::to_string(ls & 0xFFFF);
}

// The calling thread's last error in the system's own words, captioned
// "WinAPI Error Code=<code>".
void TellLastApiError(const SystemInfo& system, Conversation& talk) {
    const uint32_t code = system.LastError();
    talk.Tell({OutcomeKind::kFailed, "WinAPI Error Code=" + std::to_string(code),
               system.ErrorMessageText(code)});
}

}  // namespace

std::string FileVersionText(const Machine& machine, VersionResources& versions,
                            VirtualMemory& memory, Conversation& talk, const std::string& path) {
    if (!machine.files.FileExists(path)) return "?";
    const uint32_t size = versions.InfoSize(path);
    if (size == 0) return "NoData";

    // The resource copy lives in pages of its own, released on every path.
    void* reserved = memory.Reserve(size);
    void* buffer = reserved ? memory.Commit(reserved, size) : nullptr;
    std::string text = "NoData";
    if (!buffer) {
        TellLastApiError(machine.system, talk);
    } else {
        uint32_t ms = 0;
        uint32_t ls = 0;
        if (versions.ReadInfo(path, buffer, size) && versions.QueryFileVersion(buffer, ms, ls)) {
            text = VersionNumbers(ms, ls);
        }
        if (!memory.Decommit(buffer, size)) TellLastApiError(machine.system, talk);
    }
    if (reserved && !memory.Release(reserved)) TellLastApiError(machine.system, talk);
    return text;
}

}  // namespace mivox
