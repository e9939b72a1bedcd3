// The installer's standard boxes for reporting a refused check or a failed
// system call, and a conversation held in them.
#pragma once

#include <string>

#include "platform/MessageBoxes.h"
#include "platform/SystemInfo.h"
#include "util/Outcome.h"

namespace mivox {

// Exclamation box with one OK button and no owner window, so that it stands
// in front of every dialog of the installer.
void ShowWarning(MessageBoxes& boxes, const std::string& caption, const std::string& text);

// An outcome in the warning box, whatever its kind: the installer has always
// shown its reports, good news included, in that one box.
void ShowOutcome(MessageBoxes& boxes, const Outcome& outcome);

// The calling thread's last error in the system's own words, captioned
// "WinAPI Error Code=<code>".
void ShowLastApiError(MessageBoxes& boxes, const SystemInfo& system);

// Questions in a box of their style, outcomes in the warning box.
class BoxConversation final : public Conversation {
public:
    explicit BoxConversation(MessageBoxes& boxes) : boxes_(boxes) {}
    bool Ask(const Query& query) override;
    void Tell(const Outcome& outcome) override { ShowOutcome(boxes_, outcome); }

private:
    MessageBoxes& boxes_;
};

}  // namespace mivox
