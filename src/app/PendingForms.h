// The fax sender. Not built yet: an empty, hidden window created at start-up
// in its place among the others. Asked to send, it shows nothing and reports
// the registration as not sent, so that the user is told to choose another
// method. It moves to a unit of its own when it is built.
#pragma once

#include <string>
#include <vector>

#include "platform/DialogPeer.h"

namespace mivox {

class TSendingFaxDlg final : public DialogEvents {
public:
    explicit TSendingFaxDlg(DialogPeer&) {}
    void Command(int, int) override {}
    void ShowModal() { FaxSent = false; }

    const std::vector<std::string>* FaxLines = nullptr;  // the registration dialog's own
    bool FaxSent = false;
};

}  // namespace mivox
