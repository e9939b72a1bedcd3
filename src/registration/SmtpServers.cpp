#include "registration/SmtpServers.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "registration/MakerConfig.h"
#include "util/TextUtil.h"

namespace mivox {

namespace {

// A string value of an existing key, up to its terminating NUL; empty when
// the key or value is missing or the value is not a string.
std::string ReadString(Registry& registry, uint32_t root, const std::string& path,
                       const std::string& name) {
    std::unique_ptr<RegistryKey> key;
    if (registry.OpenKey(root, path, kKeyRead, key) != kRegSuccess || !key) return {};
    uint32_t type = kRegNone;
    std::string data;
    if (key->QueryValue(name, type, data) != kRegSuccess) return {};
    if (type != kRegSz && type != kRegExpandSz) return {};
    return data.substr(0, data.find('\0'));
}

// The lines of a settings file, cut at CR LF, CR or LF; nothing when the
// file is missing, unreadable or too large to be a settings file.
bool ReadLines(const FileSystem& files, const std::string& path, std::vector<std::string>& lines) {
    int64_t size = 0;
    if (!files.FileExists(path) || !files.FileSize(path, size) || size > kMaxSettingsFileSize)
        return false;
    std::string contents;
    if (!files.ReadAll(path, contents)) return false;
    size_t start = 0;
    while (start < contents.size()) {
        const size_t end = contents.find_first_of("\r\n", start);
        lines.push_back(contents.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) break;
        start = end + (contents.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return true;
}

std::string Blanked(std::string text, const char* characters) {
    std::replace_if(
        text.begin(), text.end(),
        [characters](char c) { return c != '\0' && std::strchr(characters, c); }, ' ');
    return text;
}

}  // namespace

std::string GetEudoraServer(const SmtpSettingsSource& source) {
    const std::string command =
        ReadString(source.registry, kHkeyLocalMachine,
                   "SOFTWARE\\Clients\\Mail\\Eudora\\shell\\open\\command", "");
    if (command.empty()) return {};
    std::string upper = UpperText(command.substr(0, 255));
    const size_t program = upper.find("EUDORA.EXE");
    if (program == std::string::npos) return {};
    upper.replace(program, std::string::npos, upper.size() - program, ' ');
    const std::string ini = StripBlanks(Blanked(upper, "\"")) + "EUDORA.INI";
    std::vector<std::string> lines;
    if (!ReadLines(source.files, ini, lines)) return {};
    std::string server;
    for (const auto& line : lines) {
        if (line.find("SMTPServer=") == std::string::npos) continue;
        server = StripBlanks(RemoveText(line.substr(0, 255), "SMTPServer="));
    }
    return server;
}

std::string GetNavigatorServer(const SmtpSettingsSource& source, const std::string& usersKey) {
    const std::string user =
        ReadString(source.registry, kHkeyLocalMachine, usersKey, "CurrentUser");
    if (user.empty()) return {};
    const std::string folder =
        ReadString(source.registry, kHkeyLocalMachine, usersKey + "\\" + user, "DirRoot");
    if (folder.empty()) return {};
    std::vector<std::string> lines;
    if (!ReadLines(source.files, folder + "\\prefs.js", lines)) return {};
    std::string candidate;
    for (const auto& line : lines)
        if (line.find("smtp_server") != std::string::npos) candidate = line;
    if (candidate.empty()) return {};
    const size_t comma = candidate.rfind(',');
    if (comma != std::string::npos) candidate.replace(0, comma + 1, comma + 1, ' ');
    return StripBlanks(Blanked(StripBlanks(candidate), "\");"));
}

std::string GetIeMailServer(const SmtpSettingsSource& source) {
    return ReadString(source.registry, kHkeyCurrentUser,
                      "Software\\Microsoft\\Internet Mail and News\\Mail", "Default SMTP Server");
}

std::string GetIeAccountServer(const SmtpSettingsSource& source) {
    const std::string managerKey = "Software\\Microsoft\\Internet Account Manager";
    const std::string account =
        ReadString(source.registry, kHkeyCurrentUser, managerKey, "Default Mail Account")
            .substr(0, 50);
    if (account.empty()) return {};
    return ReadString(source.registry, kHkeyCurrentUser, managerKey + "\\Accounts\\" + account,
                      "SMTP Server");
}

void CollectSmtpServers(const SmtpSettingsSource& source, std::vector<std::string>& list,
                        const std::function<void(const std::string&)>& log) {
    list.clear();
    const std::pair<const char*, std::function<std::string()>> sources[] = {
        {"Eudora SMTP Server: ", [&] { return GetEudoraServer(source); }},
        {"Navigator SMTP Server: ", [&] { return GetNavigatorServer(source, kNavigatorUsersKey); }},
        {"NavigatorGold SMTP Server: ",
         [&] { return GetNavigatorServer(source, kNavigatorGoldUsersKey); }},
        {"W95-IE/Outlook SMTP Server: ", [&] { return GetIeMailServer(source); }},
        {"WNT-IE/Outlook SMTP Server: ", [&] { return GetIeAccountServer(source); }},
    };
    const auto add = [&list](const std::string& host) {
        if (std::find(list.begin(), list.end(), host) == list.end()) list.push_back(host);
    };
    for (const auto& [label, server] : sources) {
        const std::string host = server();
        if (host.empty()) continue;
        if (log) log(label + host);
        add(host);
    }
    if (!list.empty()) add(maker::kFallbackSmtpHost);
}

}  // namespace mivox
