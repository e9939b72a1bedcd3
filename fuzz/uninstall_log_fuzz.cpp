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
#include <map>
#include <set>
#include <string>
#include <utility>
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

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Beyond the product folder: its groups of shortcuts, the maker's group and
// the folders above the product folder. A group outside this machine's shell
// folders is accepted only as one to leave, never the product folder or a
// folder in or above it.
void CheckPlace(const LogEntry& entry, const std::string& product) {
    const std::string path = Upper(entry.path);
    const std::string productPath = Upper(product);
    const bool above = productPath.rfind(path + "\\", 0) == 0;
    const bool below = path.rfind(productPath + "\\", 0) == 0;
    if (entry.kind == LogEntry::kFileTree) {
        const bool known = path == "C:\\WINDOWS\\START MENU\\PROGRAMS\\VEXLOR\\MIVOX" ||
                           path == "C:\\USERS\\PUBLIC\\DESKTOP\\MIVOX";
        if (entry.unchecked == known)
            Fail("marked a group of shortcuts unchecked wrongly", entry.path);
        if (!known && (above || below || path == productPath || !EndsWith(path, "\\MIVOX")))
            Fail("accepted a tree that is no group of shortcuts", entry.path);
    } else if (path != "C:\\WINDOWS\\START MENU\\PROGRAMS\\VEXLOR" && !above &&
               !(entry.unchecked && EndsWith(path, "\\VEXLOR"))) {
        Fail("accepted a made folder neither above the product folder nor the maker's group",
             entry.path);
    }
    if (entry.kind == LogEntry::kMadeDir && entry.aboveProduct != above)
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
            case LogEntry::kVddEntry:
                text += std::string("VDD Entry: ") + entry.path + "\r\n";
                break;
        }
    }
    return text;
}

// The same bytes as the list of installed files beside the log: in a list
// it accepts, each file it names is found through the index by its own
// path (case-blind), as that line or another line of the same path.
void CheckList(const std::vector<char>& text) {
    size_t files = 0;
    if (mivox::CheckFileList(text.data(), text.size(), files)) return;
    mivox::FileListIndex index;
    index.text = text.data();
    index.size = text.size();
    std::vector<unsigned> slots(mivox::FileListSlots(files));
    index.slots = slots.data();
    index.slotCount = slots.size();
    mivox::BuildFileListIndex(index);
    std::map<std::string, std::set<std::pair<unsigned long long, unsigned long long>>> lines;
    const char* at = text.data();
    mivox::ListedFile listed;
    while (mivox::NextListedFile(text.data(), text.size(), at, listed))
        lines[Upper(std::string(listed.path, listed.pathSize))].insert(
            {listed.size, listed.writeTime});
    size_t named = 0;
    for (const auto& [path, versions] : lines) named += versions.size();
    if (files < named) Fail("counted fewer files than the list names", "");
    for (const auto& [path, versions] : lines) {
        if (path.find('\0') != std::string::npos) continue;
        mivox::ListedFile found;
        if (!mivox::FindListedFile(index, path.c_str(), found))
            Fail("accepted a list whose index does not find a file it names", path);
        if (!versions.count({found.size, found.writeTime}))
            Fail("found a listed file with a size or time no line of its path gives", path);
    }
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
        } else if (entry.kind == LogEntry::kVddEntry) {
            if (Upper(entry.path) != "MIVOX_VM.DLL")
                Fail("accepted a virtual device driver the product does not own", entry.path);
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
