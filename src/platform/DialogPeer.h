// The backend of one dialog window. A dialog class implements DialogEvents
// and drives its window through a DialogPeer: the Win32 backend runs a dialog
// template of the resource script, the test backend keeps everything in
// memory and lets a test press buttons and type text.
#pragma once

#include <string>

#include "platform/ControlPeer.h"

namespace mivox {

// Notification codes of WM_COMMAND, with the system's values.
enum CommandCode : int {
    kButtonClicked = 0,    // BN_CLICKED
    kEditChanged = 0x300,  // EN_CHANGE
    kComboSelChange = 1,   // CBN_SELCHANGE
    kListSelChange = 1,    // LBN_SELCHANGE
};

class DialogEvents {
public:
    virtual ~DialogEvents() = default;
    // Once, when the window exists with all its controls.
    virtual void FormCreate() {}
    // Each time the window is shown.
    virtual void FormShow() {}
    // Each time the window is hidden.
    virtual void FormHide() {}
    // A control's notification.
    virtual void Command(int controlId, int code) = 0;
    // A close request (close box, Esc, Close()); false keeps the window open.
    virtual bool FormCloseQuery() { return true; }
};

class DialogPeer {
public:
    virtual ~DialogPeer() = default;
    virtual ControlPeer& Control(int controlId) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual std::string Caption() const = 0;
    // Shows the window and runs until Close; returns the result.
    virtual int ShowModal() = 0;
    // Shows the window and returns at once.
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
    // Asks the window to close with a result: a modal showing returns it, a
    // modeless window hides, the main window ends the program.
    virtual void Close(int result) = 0;
    virtual int Result() const = 0;
};

}  // namespace mivox
