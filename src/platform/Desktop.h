// What the registration hands to the user's own programs, and the two kinds
// of control its dialog has beyond text boxes and buttons: check buttons
// (radio buttons) and pick-only drop-down lists.
#pragma once

#include <cstdint>
#include <string>

#include "platform/DialogPeer.h"

namespace mivox {

// A radio or check button.
class CheckPeer {
public:
    virtual ~CheckPeer() = default;
    virtual void SetChecked(bool checked) = 0;
    virtual bool IsChecked() const = 0;
};

// A drop-down list whose text can only be picked from its entries.
class DropDownPeer {
public:
    virtual ~DropDownPeer() = default;
    virtual void Clear() = 0;
    virtual void AddItem(const std::string& text) = 0;
    virtual int Count() const = 0;
    // Selects the entry at index; an index outside the list selects none.
    virtual void SetSelected(int index) = 0;
    // The selected entry's index, -1 when none is selected.
    virtual int Selected() const = 0;
    // The selected entry's text; empty when none is selected.
    virtual std::string Text() const = 0;
};

class Desktop {
public:
    virtual ~Desktop() = default;
    // ShellExecute(owner, no verb, url, "", "", SW_SHOW); the outcome is the
    // shell's and the browser's.
    virtual void OpenUrl(DialogPeer& owner, const std::string& url) = 0;
    // WinExec(commandLine, SW_SHOWNORMAL) without waiting: true when started.
    virtual bool StartProgram(const std::string& commandLine) = 0;
    // Sleep: blocks the calling thread.
    virtual void Sleep(uint32_t milliseconds) = 0;

    // The peers of a dialog's radio buttons and drop-down lists; each lives as
    // long as the Desktop.
    virtual CheckPeer& Check(DialogPeer& dialog, int controlId) = 0;
    virtual DropDownPeer& DropDown(DialogPeer& dialog, int controlId) = 0;
};

}  // namespace mivox
