// A fresh folder under the system's temporary folder, removed with its files
// when the test ends.
#pragma once

#include <windows.h>

#include <string>

namespace mivox::testing {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Writes a file in the folder and returns its full path.
    std::string WriteFile(const std::string& name, const std::string& contents) const;

private:
    std::string path_;
};

}  // namespace mivox::testing
