// The real file system under the contract the in-memory double keeps.
#include "contract/FileSystemContract.h"

#include <windows.h>

#include "TempDir.h"
#include "win32/Handles.h"
#include "win32/Win32Platform.h"

namespace mivox::contract {

FileSystemUnderTest MakeFileSystemUnderTest() {
    struct Owner {
        testing::TempDir dir;
        win32::Win32Platform system;
    };
    auto owner = std::make_shared<Owner>();
    auto holdOpen = [](const std::string& path) -> std::shared_ptr<void> {
        auto file = std::make_shared<win32::FileHandle>(CreateFileA(
            path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return *file ? file : nullptr;
    };
    return {owner->dir.Path(), &owner->system.files, owner, holdOpen};
}

}  // namespace mivox::contract
