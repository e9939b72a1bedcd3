#include "install/ProgressLog.h"

#include "util/TextUtil.h"

namespace mivox {

ProgressLog::~ProgressLog() {
    if (file_) file_->Close();
}

bool ProgressLog::Open(const std::string& path) {
    file_ = files_.CreateOutputFile(path).Take();
    return file_ != nullptr;
}

void ProgressLog::Write(const std::string& text) {
    if (!file_) return;
    const SystemTime now = clock_.LocalTime();
    // A text of several lines (a box's) stays one line of the log.
    std::string line = ZeroPadNumber(now.year, 4) + "-" + ZeroPadNumber(now.month, 2) + "-" +
                       ZeroPadNumber(now.day, 2) + " " + ZeroPadNumber(now.hour, 2) + ":" +
                       ZeroPadNumber(now.minute, 2) + ":" + ZeroPadNumber(now.second, 2) + " ";
    for (const char c : text) line += c == '\r' ? ' ' : c == '\n' ? ' ' : c;
    file_->Write(line + "\r\n");
}

}  // namespace mivox
