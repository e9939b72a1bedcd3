// Server discovery reads other programs' settings: registry values of any
// type and size, and settings files of any content. The input fills, in
// turn, each value the sources read (a type byte, a length byte, the bytes)
// and then the two settings files (Eudora's EUDORA.INI, Navigator's
// prefs.js), split at the first "\0\0". Whatever they hold, each source
// yields a clean host name or nothing, and the list is each host once with
// the fallback last.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fakes/MemoryFileSystem.h"
#include "fakes/MemoryRegistry.h"
#include "registration/MakerConfig.h"
#include "registration/SmtpServers.h"

namespace {

using mivox::testing::MemoryFileSystem;
using mivox::testing::MemoryRegistry;

[[noreturn]] void Fail(const char* what, const std::string& host) {
    std::fprintf(stderr, "%s: \"%s\"\n", what, host.c_str());
    std::abort();
}

struct ValuePlace {
    uint32_t root;
    const char* key;
    const char* name;
};

const ValuePlace kValues[] = {
    {mivox::kHkeyLocalMachine, "SOFTWARE\\Clients\\Mail\\Eudora\\shell\\open\\command", ""},
    {mivox::kHkeyLocalMachine, mivox::kNavigatorUsersKey, "CurrentUser"},
    {mivox::kHkeyLocalMachine, "SOFTWARE\\Netscape\\Netscape Navigator\\Users\\jo", "DirRoot"},
    {mivox::kHkeyCurrentUser, "Software\\Microsoft\\Internet Mail and News\\Mail",
     "Default SMTP Server"},
    {mivox::kHkeyCurrentUser, "Software\\Microsoft\\Internet Account Manager",
     "Default Mail Account"},
    {mivox::kHkeyCurrentUser, "Software\\Microsoft\\Internet Account Manager\\Accounts\\Work",
     "SMTP Server"},
};

// A host read from a settings file: one line of it, no blanks around it.
void CheckHost(const std::string& host, const char* forbidden) {
    if (host.empty()) return;
    if (host.find_first_of("\r\n") != std::string::npos) Fail("host with a line end", host);
    if (host.front() == ' ' || host.back() == ' ') Fail("host with blanks around it", host);
    if (host.find_first_of(forbidden) != std::string::npos) Fail("host with quoting left", host);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryRegistry registry;
    MemoryFileSystem files;
    files.AddDirectory("C:\\EUDORA");
    files.AddDirectory("C:\\NS");
    size_t at = 0;
    std::string values[std::size(kValues)];
    uint32_t types[std::size(kValues)] = {};
    for (size_t i = 0; i < std::size(kValues) && at + 2 <= size; ++i) {
        types[i] = data[at] % 12;  // every type there is, and some that are not
        const size_t length = std::min<size_t>(data[at + 1], size - at - 2);
        values[i].assign(reinterpret_cast<const char*>(data) + at + 2, length);
        at += 2 + length;
        std::unique_ptr<mivox::RegistryKey> key;
        if (registry.CreateKey(kValues[i].root, kValues[i].key, mivox::kKeyAllAccess, key) !=
                mivox::kRegSuccess ||
            key->SetValue(kValues[i].name, types[i], values[i]) != mivox::kRegSuccess)
            Fail("cannot set up the registry", kValues[i].key);
    }
    const std::string rest(reinterpret_cast<const char*>(data) + at, size - at);
    const size_t split = std::min(rest.find(std::string("\0\0", 2)), rest.size());
    files.AddFile("C:\\EUDORA\\EUDORA.INI", rest.substr(0, split));
    files.AddFile("C:\\NS\\prefs.js", rest.substr(std::min(split + 2, rest.size())));

    const mivox::SmtpSettingsSource source{registry, files};
    const std::string eudora = mivox::GetEudoraServer(source);
    CheckHost(eudora, "");
    if (eudora.size() > 255) Fail("Eudora host longer than its line is read", eudora);
    CheckHost(mivox::GetNavigatorServer(source, mivox::kNavigatorUsersKey), "\";");
    // Registry hosts are the value's text up to its NUL, and only of a text type.
    const std::string ieMail = mivox::GetIeMailServer(source);
    const bool isText = types[3] == mivox::kRegSz || types[3] == mivox::kRegExpandSz;
    if (!ieMail.empty() && (!isText || ieMail != values[3].substr(0, values[3].find('\0'))))
        Fail("IE host other than its text value", ieMail);
    const std::string ieAccount = mivox::GetIeAccountServer(source);
    const bool accountIsText = types[5] == mivox::kRegSz || types[5] == mivox::kRegExpandSz;
    if (!ieAccount.empty() &&
        (!accountIsText || ieAccount != values[5].substr(0, values[5].find('\0'))))
        Fail("IE account host other than its text value", ieAccount);

    std::vector<std::string> list{"left over"};
    std::vector<std::string> log;
    mivox::CollectSmtpServers(source, list, [&](const std::string& line) { log.push_back(line); });
    if (log.size() > 5) Fail("more log lines than sources", log.back());
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].empty()) Fail("empty host in the list", list[i]);
        if (std::count(list.begin(), list.end(), list[i]) != 1) Fail("host listed twice", list[i]);
        const bool logged = std::any_of(log.begin(), log.end(), [&](const std::string& line) {
            return line.size() > list[i].size() &&
                   line.compare(line.size() - list[i].size(), std::string::npos, list[i]) == 0 &&
                   line.compare(line.size() - list[i].size() - 2, 2, ": ") == 0;
        });
        if (!logged && i + 1 < list.size()) Fail("host listed but not logged", list[i]);
    }
    if (!list.empty() && list.back() != mivox::maker::kFallbackSmtpHost &&
        std::count(list.begin(), list.end(), mivox::maker::kFallbackSmtpHost) == 0)
        Fail("fallback missing after the hosts found", list.back());
    if (list.empty() != log.empty()) Fail("list and log disagree", "");
    return 0;
}
