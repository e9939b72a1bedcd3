// Finding SMTP servers without asking the user: the settings of the mail
// programs installed on the machine, asked in a fixed order.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Registry.h"

namespace mivox {

// Where the sources look.
struct SmtpSettingsSource {
    Registry& registry;
    const FileSystem& files;
};

// A settings file larger than this is not a mail program's and is not read.
inline constexpr int64_t kMaxSettingsFileSize = 16 * 1024 * 1024;

// Each source yields a host name, or the empty text when its program's
// settings are missing or name none.
std::string GetEudoraServer(const SmtpSettingsSource& source);
std::string GetNavigatorServer(const SmtpSettingsSource& source, const std::string& usersKey);
std::string GetIeMailServer(const SmtpSettingsSource& source);
std::string GetIeAccountServer(const SmtpSettingsSource& source);

// The registry keys of the two Navigator editions' users.
inline constexpr const char kNavigatorUsersKey[] = "SOFTWARE\\Netscape\\Netscape Navigator\\Users";
inline constexpr const char kNavigatorGoldUsersKey[] =
    "SOFTWARE\\Netscape\\Netscape Navigator Gold\\Users";

// Empties list and fills it with the hosts to try, in order, each once;
// every source that yields a host reports it to log on one line. The maker's
// fallback server comes last, but only when some source yielded a host.
void CollectSmtpServers(const SmtpSettingsSource& source, std::vector<std::string>& list,
                        const std::function<void(const std::string&)>& log);

}  // namespace mivox
