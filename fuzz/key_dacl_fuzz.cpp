// A key's access list as the system hands it back, and SID texts: the list
// reader stays within the bytes it is given, and what it accepts writes back
// to the same entries, each SID's text reading back to the same SID.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "util/SidAcl.h"

namespace {

void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

void CheckSidText(const std::string& text) {
    std::vector<uint8_t> sid;
    if (!mivox::SidFromText(text, sid)) return;
    const std::string written = mivox::SidToText(sid.data(), sid.size());
    std::vector<uint8_t> again;
    if (!mivox::SidFromText(written, again) || again != sid)
        Fail("SID text does not read back", written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckSidText(std::string(reinterpret_cast<const char*>(data), size));

    std::vector<mivox::AccessEntry> entries;
    if (!mivox::AclToEntries(data, size, entries)) return 0;
    bool allAllowOrDeny = true;
    for (const mivox::AccessEntry& entry : entries) {
        if (entry.type != mivox::kAccessAllowedAce && entry.type != mivox::kAccessDeniedAce) {
            allAllowOrDeny = false;
            continue;
        }
        CheckSidText(entry.sid);
        std::vector<uint8_t> sid;
        if (!mivox::SidFromText(entry.sid, sid))
            Fail("a SID read gives text that does not read", entry.sid);
    }
    if (!allAllowOrDeny) return 0;
    std::vector<uint8_t> written;
    std::vector<mivox::AccessEntry> again;
    if (!mivox::AclFromEntries(entries, written) ||
        !mivox::AclToEntries(written.data(), written.size(), again) || again != entries) {
        Fail("access list does not write back", std::to_string(entries.size()) + " entries");
    }
    return 0;
}
