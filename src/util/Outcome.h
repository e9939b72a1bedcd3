// What a step tells its user and asks of them, as data. A step that can fail
// reports its outcome (done, refused, failed) with a caption and a text; the
// user interface decides how that is shown, and an unattended run decides
// from the kind alone whether it failed. A question carries the answer an
// unattended run gives, where it is asked.
#pragma once

#include <string>

#include "platform/MessageBoxes.h"

namespace mivox {

enum class OutcomeKind {
    kDone,     // it went; the text says so or what to do next
    kRefused,  // a check refused before anything was changed
    kFailed,   // it did not go, or went only in part
};

struct Outcome {
    OutcomeKind kind = OutcomeKind::kDone;
    std::string caption;
    std::string text;
};

// The message box style of a question asked in the installer's own yes/no
// dialog rather than in a box (no question is asked with OK alone).
inline constexpr unsigned kAskInDialog = 0;

struct Query {
    // The box's caption and text, or the yes/no dialog's top and bottom line.
    std::string caption;
    std::string text;
    // Yes (or OK) when nobody is there to answer.
    bool unattendedAnswer = false;
    // Yes/No or OK/Cancel with its icon and default button, or kAskInDialog.
    unsigned boxStyle = kAskInDialog;
};

// Whom a step asks and tells.
class Conversation {
public:
    virtual ~Conversation() = default;
    // True for Yes or OK.
    virtual bool Ask(const Query& query) = 0;
    virtual void Tell(const Outcome& outcome) = 0;
};

}  // namespace mivox
