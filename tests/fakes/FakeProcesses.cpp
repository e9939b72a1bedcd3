#include "fakes/FakeProcesses.h"

namespace mivox::testing {

namespace {

class FakeProcessHandle : public ProcessHandle {
public:
    FakeProcessHandle(std::string path, int& openHandles)
        : path_(std::move(path)), openHandles_(openHandles) {
        ++openHandles_;
    }
    ~FakeProcessHandle() override { --openHandles_; }
    bool ProgramFileName(std::string& path) const override {
        path = path_;
        return true;
    }

private:
    std::string path_;
    int& openHandles_;
};

}  // namespace

std::unique_ptr<ProcessHandle> FakeProcesses::OpenProcess(uint32_t id, uint32_t access) {
    if (access != kProcessQueryAndRead) openedWithOtherAccess.push_back(id);
    const auto it = programs.find(id);
    if (it == programs.end() || protectedProcesses.count(id)) return nullptr;
    return std::make_unique<FakeProcessHandle>(it->second, openHandles);
}

}  // namespace mivox::testing
