// The in-memory file system keeps the same contract as the real one.
#include "contract/FileSystemContract.h"

#include "fakes/FakePlatform.h"

namespace mivox::contract {

FileSystemUnderTest MakeFileSystemUnderTest() {
    auto fake = std::make_shared<testing::FakePlatform>();
    fake->files.AddDirectory("C:\\Test");
    return {"C:\\Test", &fake->files, &fake->system, fake};
}

}  // namespace mivox::contract
