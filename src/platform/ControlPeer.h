// The backends of the controls of a dialog: the Win32 backend binds each to a
// child window of the dialog template, the test backend keeps its state in
// memory. Every kind of control has its own small peer.
#pragma once

#include <cstdint>
#include <string>

namespace mivox {

// A colour as the system stores it: 0x00BBGGRR.
using Colour = uint32_t;
constexpr Colour kColourNavy = 0x800000;
constexpr Colour kColourMaroon = 0x000080;

// Any control: its text, state, look and hint.
class ControlPeer {
public:
    virtual ~ControlPeer() = default;
    virtual void SetText(const std::string& text) = 0;
    virtual std::string Text() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    // Lets the user type as much as a text box can hold (Windows otherwise
    // stops typing at 32,767 characters); nothing for other controls.
    virtual void RemoveTypingLimit() = 0;
    virtual bool IsEnabled() const = 0;
    // Asks for a repaint of the control.
    virtual void Invalidate() = 0;
    // Gives the control the keyboard focus (once its dialog is shown).
    virtual void SetFocus() = 0;
    // The tooltip shown while the mouse rests on the control.
    virtual void SetHint(const std::string& hint) = 0;
    virtual void SetTextColour(Colour colour) = 0;
    virtual void SetFont(const std::string& face, int points) = 0;
};

// A progress bar of the range 0 to 100.
class ProgressPeer {
public:
    virtual ~ProgressPeer() = default;
    virtual void SetPosition(int position) = 0;
    virtual int Position() const = 0;
};

// The system's common animations, by their resource numbers in shell32.
enum class CommonAvi : int {
    kFindComputer = 152,
    kCopyFiles = 160,
};

// An animation control playing one of the common animations.
class AnimationPeer {
public:
    virtual ~AnimationPeer() = default;
    // Loads the animation; false when the system does not have it.
    virtual bool Open(CommonAvi avi) = 0;
    // Plays the frames 1 to lastFrame over and over until Stop.
    virtual void Play(int lastFrame) = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() const = 0;
};

// A drop-down list of the drives of the machine.
class DriveBoxPeer {
public:
    virtual ~DriveBoxPeer() = default;
    // Selects the drive by its letter (either case); false when it is not listed.
    virtual bool SetDrive(char letter) = 0;
    // The selected drive's letter in upper case; '\0' when none is selected.
    virtual char Drive() const = 0;
};

// A list of the subdirectories of one directory, opened by a double click.
class DirListPeer {
public:
    virtual ~DirListPeer() = default;
    // Lists path ("D:\Programs" or "D:\"); false, and no change, when the
    // directory cannot be read.
    virtual bool SetDirectory(const std::string& path) = 0;
    // The listed directory: "D:\Programs", or "D:\" for a root.
    virtual std::string Directory() const = 0;
};

}  // namespace mivox
