// Install.Log: what an installation created, for the uninstaller to remove.
// CRLF lines of "Keyword: value", written one by one as the installation
// goes; a line that cannot be written raises IoError.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Machine.h"

namespace mivox {

// A file the installation wrote into the product folder: its path below the
// folder, its size and its last-write time (UTC file time, as the copy keeps
// the source's).
struct InstalledFile {
    std::string path;
    int64_t size = 0;
    uint64_t writeTime = 0;
};

class InstallLog {
public:
    static constexpr const char kFileName[] = "Install.Log";

    // Creates installDir + "Install.Log" (installDir ends with a backslash),
    // replacing any earlier log, and writes the start, title and file tree
    // lines.
    InstallLog(const Machine& machine, const std::string& installDir);
    ~InstallLog();
    InstallLog(const InstallLog&) = delete;
    InstallLog& operator=(const InstallLog&) = delete;

    // Keys of the product records under HKEY_LOCAL_MACHINE, as one block,
    // written before the records are made.
    void WriteRegistryKeys(const std::vector<std::string>& keys);
    // "VDD Entry: " + entry: the item this installation adds to the NT list
    // of virtual device drivers, which the uninstaller takes out again.
    void WriteVddEntry(const std::string& entry);
    // "Made Dir: " + directory, without trailing backslash.
    void WriteMadeDir(const std::string& directory);
    // "File Tree: " + directory + "\*.*" (one backslash before the pattern).
    void WriteFileTree(const std::string& directory);
    // Writes the list of installed files beside the log (kFileListName, in
    // the form the uninstaller reads), so that the uninstaller removes those
    // and no file of the user's. The files of the list found there that this
    // run did not write and that are still as that list names them (an
    // earlier installation's, unchanged) stay on it. Written under another
    // name and renamed into place, so that a list is always whole; a failure
    // raises IoError.
    void WriteFileList(const std::vector<InstalledFile>& files);
    // Closes the file; a failure to store what was written raises IoError.
    void Close();

private:
    void WriteLine(const std::string& line);
    [[noreturn]] void Fail(const std::string& what, uint32_t error) const;

    Machine machine_;
    std::string installDir_;
    std::string path_;
    std::unique_ptr<OutputFile> file_;
};

}  // namespace mivox
