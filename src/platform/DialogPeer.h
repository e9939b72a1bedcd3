// The backend of one dialog window. A dialog class implements DialogEvents
// and drives its window through a DialogPeer: the Win32 backend runs a dialog
// template of the resource script, the test backend keeps everything in
// memory and lets a test press buttons and type text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ControlPeer.h"

namespace mivox {

// Notification codes of WM_COMMAND, with the system's values.
enum CommandCode : int {
    kButtonClicked = 0,    // BN_CLICKED
    kEditChanged = 0x300,  // EN_CHANGE
    kComboSelChange = 1,   // CBN_SELCHANGE
    kListSelChange = 1,    // LBN_SELCHANGE
    kListDoubleClick = 2,  // LBN_DBLCLK: a directory list has opened the entry
};

class DialogEvents {
public:
    virtual ~DialogEvents() = default;
    // Once, when the window exists with all its controls.
    virtual void FormCreate() {}
    // Each time the window is shown, before it appears.
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
    // Connects the dialog class and runs its FormCreate.
    virtual void Bind(DialogEvents& events) = 0;

    virtual ControlPeer& Control(int controlId) = 0;
    virtual ProgressPeer& Progress(int controlId) = 0;
    virtual AnimationPeer& Animation(int controlId) = 0;
    virtual DriveBoxPeer& DriveBox(int controlId) = 0;
    virtual DirListPeer& DirList(int controlId) = 0;

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
    // Sets the result without closing: a modeless dialog's state.
    virtual void SetResult(int result) = 0;
    // The system's handle of the window, which owns the message boxes and
    // system dialogs shown over it; 0 for a window the system does not know.
    virtual uintptr_t SystemHandle() const { return 0; }
};

// Makes the dialog windows of the program from their templates.
class DialogFactory {
public:
    virtual ~DialogFactory() = default;
    // A hidden window of the template; the main window ends the program when
    // it closes.
    virtual std::unique_ptr<DialogPeer> Create(int templateId, bool isMainWindow) = 0;
};

}  // namespace mivox
