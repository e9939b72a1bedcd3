// The in-memory file system keeps the same contract as the real one.
#include "contract/FileSystemContract.h"

#include "fakes/FakePlatform.h"

namespace mivox::contract {

FileSystemUnderTest MakeFileSystemUnderTest() {
    auto fake = std::make_shared<testing::FakePlatform>();
    fake->files.AddDirectory("C:\\Test");
    // A file in use, as the tests of the logic fake it.
    auto holdOpen = [files = &fake->files](const std::string& path) {
        using Op = testing::MemoryFileSystem::Op;
        for (const Op op : {Op::Copy, Op::Delete, Op::Read}) {
            files->FailOn(op, path, kErrorSharingViolation);
        }
        return std::shared_ptr<void>(
            files, [](testing::MemoryFileSystem* held) { held->ClearFailures(); });
    };
    return {"C:\\Test", &fake->files, fake, holdOpen};
}

}  // namespace mivox::contract
