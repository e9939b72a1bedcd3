// The system message box and beeps.
#pragma once

#include <string>

namespace mivox {

class DialogPeer;

// Message box styles and results, with the system's values.
enum MessageBoxStyle : unsigned {
    kMbOk = 0x0,
    kMbOkCancel = 0x1,
    kMbYesNo = 0x4,
    kMbIconHand = 0x10,
    kMbIconQuestion = 0x20,
    kMbIconExclamation = 0x30,
    kMbIconAsterisk = 0x40,
    kMbTaskModal = 0x2000,
    kMbDefButton2 = 0x100,
    // The bits that choose the buttons.
    kMbButtonsMask = 0xF,
};

enum DialogResult : int {
    kIdNone = 0,
    kIdOk = 1,
    kIdCancel = 2,
    kIdYes = 6,
    kIdNo = 7,
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // MessageBox without owner window; returns the button pressed.
    virtual int Show(const std::string& text, const std::string& caption, unsigned style) = 0;
    // MessageBox owned by a dialog window, which stays disabled meanwhile.
    virtual int ShowOwned(DialogPeer& owner, const std::string& text, const std::string& caption,
                          unsigned style) = 0;
    // MessageBeep with the given sound type (0 for the default sound).
    virtual void Beep(unsigned type) = 0;
};

}  // namespace mivox
