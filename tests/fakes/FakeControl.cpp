#include "fakes/FakeControl.h"

#include "util/TextUtil.h"

namespace mivox::testing {

bool FakeDriveBox::SetDrive(char letter) {
    const std::string upper = UpperText(std::string(1, letter));
    if (drives.find(upper) == std::string::npos) return false;
    drive = upper[0];
    return true;
}

bool FakeDirList::SetDirectory(const std::string& path) {
    std::string directory = path;
    while (directory.size() > 3 && directory.back() == '\\') directory.pop_back();
    if (directory.size() == 2 && directory[1] == ':') directory += '\\';
    if (files_ && !files_->DirectoryExists(directory)) return false;
    directory_ = directory;
    return true;
}

}  // namespace mivox::testing
