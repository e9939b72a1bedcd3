// The uninstaller acts on Install.Log, which anyone may have edited. Whatever
// ReadUninstallLog accepts must name only what an installation of the product
// creates: full folders on a drive, below its root, outside the Windows and
// system folders and everything above them, as Windows itself would read the
// path; beyond the product folder only its groups of shortcuts and the
// folders above it; the product's own registry keys by their whole names.
// Written out again, the plan must be read back the same.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "uninstall/UninstallLog.h"

namespace {

using mivox::LogEntry;
using mivox::UninstallPlan;

const mivox::KnownFolders kFolders{"C:\\WINDOWS",
                                   "C:\\WINDOWS\\system32",
                                   nullptr,
                                   {"C:\\WINDOWS\\Start Menu\\Programs", nullptr},
                                   {"C:\\Users\\Public\\Desktop", nullptr}};

[[noreturn]] void Fail(const char* what, const std::string& path) {
    std::fprintf(stderr, "%s: \"%s\"\n", what, path.c_str());
    std::abort();
}

std::string Upper(std::string text) {
    for (char& c : text) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return text;
}

std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> names(1);
    for (const char c : path) {
        if (c == '\\')
            names.emplace_back();
        else
            names.back() += c;
    }
    return names;
}

// The names of a folder as Windows resolves them: trailing dots and blanks
// dropped, "." and ".." followed.
std::vector<std::string> Resolved(const std::string& path) {
    std::vector<std::string> names;
    for (std::string name : Split(path)) {
        while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
        if (name.empty()) continue;
        names.push_back(Upper(name));
    }
    return names;
}

void CheckFolder(const std::string& path) {
    if (path.size() < 4 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' ||
        path[2] != '\\') {
        Fail("accepted a folder that is not a full path on a drive", path);
    }
    for (const unsigned char c : path.substr(3)) {
        if (c < 32 || std::strchr("*?\"<>|/:", c)) Fail("accepted a character no name has", path);
    }
    for (const std::string& name : Split(path.substr(3))) {
        if (Resolved(name).size() != 1 || Resolved(name)[0] != Upper(name))
            Fail("accepted a folder name Windows reads otherwise", path);
    }
    const std::vector<std::string> folder = Resolved(path);
    if (folder.size() < 2) Fail("accepted a drive's root", path);
    for (const char* kept : {kFolders.windowsDir, kFolders.systemDir}) {
        const std::vector<std::string> protectedDir = Resolved(kept);
        if (folder.size() <= protectedDir.size() &&
            std::equal(folder.begin(), folder.end(), protectedDir.begin())) {
            Fail("accepted the Windows or system folder or one above them", path);
        }
    }
}

void CheckKey(const std::string& key) {
    for (const char* owned : {"SOFTWARE\\VEXLOR\\MIVOX",
                              "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\APP PATHS\\MIVOX.EXE",
                              "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\MIVOX",
                              "SYSTEM\\CURRENTCONTROLSET\\SERVICES\\MIVOX_NT"}) {
        if (Upper(key) == owned) return;
    }
    Fail("accepted a key the product does not own", key);
}

// Beyond the product folder: its groups of shortcuts, the maker's group and
// the folders above the product folder.
void CheckPlace(const LogEntry& entry, const std::string& product) {
    const std::string path = Upper(entry.path);
    if (entry.kind == LogEntry::kFileTree) {
        if (path != "C:\\WINDOWS\\START MENU\\PROGRAMS\\VEXLOR\\MIVOX" &&
            path != "C:\\USERS\\PUBLIC\\DESKTOP\\MIVOX")
            Fail("accepted a tree that is no group of shortcuts", entry.path);
    } else if (path != "C:\\WINDOWS\\START MENU\\PROGRAMS\\VEXLOR" &&
               Upper(product).rfind(path + "\\", 0) != 0) {
        Fail("accepted a made folder neither above the product folder nor the maker's group",
             entry.path);
    }
    if (entry.aboveProduct != (Upper(product).rfind(path + "\\", 0) == 0))
        Fail("marked a made folder above the product folder wrongly", entry.path);
}

// The plan as the installer would write it.
std::string Written(const UninstallPlan& plan) {
    std::string text =
        "*** Installation Started: Jan  7, 2001  Sun 12:05 pm ***\r\nTitle: Mivox\r\n";
    for (int i = 0; i < plan.count; ++i) {
        const LogEntry& entry = plan.entries[i];
        switch (entry.kind) {
            case LogEntry::kFileTree:
                text += std::string("File Tree: ") + entry.path + "\\*.*\r\n";
                break;
            case LogEntry::kMadeDir:
                text += std::string("Made Dir: ") + entry.path + "\r\n";
                break;
            case LogEntry::kRegistryTree:
                text += std::string("RegDB Root: 2\r\nRegDB TREE: ") + entry.path + "\r\n";
                break;
        }
    }
    return text;
}

// The same bytes as the list of installed files beside the log: a list it
// accepts names its first file by that file's own path and size.
void CheckList(const std::vector<char>& text) {
    if (mivox::CheckFileList(text.data(), text.size()) || text.empty()) return;
    const std::string list(text.begin(), text.end());
    const size_t blank = list.find(' ');
    const size_t end = list.find("\r\n");
    if (blank == std::string::npos || end == std::string::npos || blank > end)
        Fail("accepted a list line without size and path", list);
    const std::string path = list.substr(blank + 1, end - blank - 1);
    if (path.find('\0') != std::string::npos) return;
    const unsigned long long bytes = std::strtoull(list.substr(0, blank).c_str(), nullptr, 10);
    if (!mivox::IsListedFile(text.data(), text.size(), path.c_str(), bytes))
        Fail("accepted a list that does not name its own first file", list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The reader must not need a terminating NUL: the copy has none past size.
    std::vector<char> text(data, data + size);
    CheckList(text);
    UninstallPlan plan;
    const char* problem = mivox::ReadUninstallLog(text.data(), text.size(), kFolders, plan);
    if (problem) {
        if (!*problem) Fail("refused without saying why", "");
        return 0;
    }
    if (plan.count < 1 || plan.count > mivox::kMaxLogEntries)
        Fail("accepted a plan of no or too many entries", std::to_string(plan.count));
    for (int i = 0; i < plan.count; ++i) {
        const LogEntry& entry = plan.entries[i];
        if (!std::memchr(entry.path, '\0', sizeof(entry.path))) Fail("left a path unended", "");
        if (entry.productTree != (i == 0))
            Fail("marked the wrong tree as the product's", entry.path);
        if (i == 0 && entry.kind != LogEntry::kFileTree) Fail("began without the product tree", "");
        if (entry.kind == LogEntry::kRegistryTree) {
            CheckKey(entry.path);
        } else {
            CheckFolder(entry.path);
            if (i > 0) CheckPlace(entry, plan.entries[0].path);
        }
    }

    const std::string again = Written(plan);
    UninstallPlan reread;
    if (const char* refused = mivox::ReadUninstallLog(again.data(), again.size(), kFolders, reread))
        Fail("refused the plan it had accepted, written again", refused);
    if (reread.count != plan.count) Fail("read its own plan back with other entries", again);
    for (int i = 0; i < plan.count; ++i) {
        if (reread.entries[i].kind != plan.entries[i].kind ||
            std::strcmp(reread.entries[i].path, plan.entries[i].path) != 0)
            Fail("read its own plan back with other entries", again);
    }
    return 0;
}
