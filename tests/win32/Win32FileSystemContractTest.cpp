// The real file system under the contract the in-memory double keeps.
#include "contract/FileSystemContract.h"

#include "TempDir.h"
#include "win32/Win32Platform.h"

namespace mivox::contract {

FileSystemUnderTest MakeFileSystemUnderTest() {
    struct Owner {
        testing::TempDir dir;
        win32::Win32Platform system;
    };
    auto owner = std::make_shared<Owner>();
    return {owner->dir.Path(), &owner->system.files, &owner->system.system, owner};
}

}  // namespace mivox::contract
