// The plain progress log of an unattended installation: one line per event,
// "YYYY-MM-DD hh:mm:ss text", CRLF, written as the installation goes so
// that a run that stops leaves what it did. Without a file it writes
// nothing.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace mivox {

class ProgressLog {
public:
    ProgressLog(FileSystem& files, const Clock& clock) : files_(files), clock_(clock) {}
    ProgressLog(const ProgressLog&) = delete;
    ProgressLog& operator=(const ProgressLog&) = delete;
    ~ProgressLog();

    // Creates the file, replacing an earlier one; false when it cannot be.
    bool Open(const std::string& path);
    // A line that cannot be written is dropped: the installation goes on.
    void Write(const std::string& text);

private:
    FileSystem& files_;
    const Clock& clock_;
    std::unique_ptr<OutputFile> file_;
};

}  // namespace mivox
