// A test double of the Shell seam: records every link saved and every
// request to exit Windows.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fakes/MemoryFileSystem.h"
#include "platform/Shell.h"

namespace mivox::testing {

class FakeShell : public Shell {
public:
    struct Link {
        std::string file;
        std::string path;
        std::string arguments;
        std::string workingDirectory;
    };

    bool SaveShellLink(const std::string& linkFile, const std::string& path,
                       const std::string& arguments, const std::string& workingDirectory) override {
        if (onSave) onSave();
        if (failLinks) return false;
        links.push_back({linkFile, path, arguments, workingDirectory});
        if (files) files->AddFile(linkFile, "link to " + path);
        return true;
    }
    bool ExitSession(uint32_t flags) override {
        exitRequests.push_back(flags);
        if (onExit) onExit();
        return acceptExit;
    }

    std::vector<Link> links;
    bool failLinks = false;
    MemoryFileSystem* files = nullptr;  // when set, each link saved is a file there
    std::function<void()> onSave;       // runs before each link is saved
    std::vector<uint32_t> exitRequests;
    bool acceptExit = true;
    std::function<void()> onExit;  // runs inside each exit request
};

}  // namespace mivox::testing
