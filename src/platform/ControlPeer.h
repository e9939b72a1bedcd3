// The backend of one control of a dialog: the Win32 backend binds it to a
// child window of the dialog template, the test backend keeps its state in
// memory.
#pragma once

#include <string>

namespace mivox {

class ControlPeer {
public:
    virtual ~ControlPeer() = default;
    virtual void SetText(const std::string& text) = 0;
    virtual std::string Text() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsEnabled() const = 0;
    // Asks for a repaint of the control.
    virtual void Invalidate() = 0;
};

}  // namespace mivox
