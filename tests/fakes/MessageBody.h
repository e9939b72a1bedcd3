// A message body for the SMTP client's OnGetData, from a list of lines, as
// the e-mail sender hands its form over.
#pragma once

#include <cstring>
#include <string>
#include <vector>

namespace mivox::testing {

// Line lineNum (from 1) into msgLine, or the end of the body past the last.
inline void CopyBodyLine(const std::vector<std::string>& body, int lineNum, char* msgLine,
                         int maxLen, bool& more) {
    if (lineNum > static_cast<int>(body.size())) {
        more = false;
        return;
    }
    std::strncpy(msgLine, body[static_cast<size_t>(lineNum - 1)].c_str(),
                 static_cast<size_t>(maxLen));
}

}  // namespace mivox::testing
