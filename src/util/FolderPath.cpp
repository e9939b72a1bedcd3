#include "util/FolderPath.h"

#include "util/SafeFileName.h"

namespace mivox {

bool HasForbiddenCharacter(const std::string& path) {
    for (const char c : path) {
        if (static_cast<unsigned char>(c) < 32 ||
            std::string("<>\"|*?").find(c) != std::string::npos) {
            return true;
        }
    }
    return false;
}

std::string FolderProblem(const std::string& folder) {
    const bool drivePath =
        folder.size() > 3 && folder[1] == ':' && folder[2] == '\\' &&
        ((folder[0] >= 'A' && folder[0] <= 'Z') || (folder[0] >= 'a' && folder[0] <= 'z'));
    if (!drivePath) return "the folder must be a full path below a drive's root, such as C:\\Mivox";
    if (HasForbiddenCharacter(folder) || folder.find_first_of(":/", 2) != std::string::npos) {
        return "the folder holds a character Windows does not allow in a name";
    }
    size_t start = 3;
    while (start <= folder.size()) {
        size_t end = folder.find('\\', start);
        if (end == std::string::npos) end = folder.size();
        const std::string name = folder.substr(start, end - start);
        if (!IsSafeFileName(name.data(), name.size()))
            return "\"" + name + "\" is not a folder name";
        start = end + 1;
    }
    return {};
}

}  // namespace mivox
