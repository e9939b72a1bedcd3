// A dialog window made from a template of the resource script, driving the
// DialogEvents of one dialog class, and thin peers over its child windows.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/DialogPeer.h"
#include "win32/Handles.h"

namespace mivox::win32 {

struct FontTraits {
    static HFONT Invalid() { return nullptr; }
    static void Close(HFONT font) { DeleteObject(font); }
};
using FontHandle = UniqueResource<HFONT, FontTraits>;

class Win32Dialog;

class Win32Control : public ControlPeer {
public:
    Win32Control(Win32Dialog& dialog, HWND window) : dialog_(dialog), window_(window) {}
    void SetText(const std::string& text) override;
    std::string Text() const override;
    void RemoveTypingLimit() override;
    void SetEnabled(bool enabled) override;
    bool IsEnabled() const override;
    void Invalidate() override;
    void SetFocus() override;
    void SetHint(const std::string& hint) override;
    void SetTextColour(Colour colour) override;
    void SetFont(const std::string& face, int points) override;
    HWND Window() const { return window_; }

private:
    Win32Dialog& dialog_;
    HWND window_;
    FontHandle font_;
};

class Win32Progress : public ProgressPeer {
public:
    explicit Win32Progress(HWND window) : window_(window) {}
    void SetPosition(int position) override;
    int Position() const override;

private:
    HWND window_;
};

class Win32Animation : public AnimationPeer {
public:
    explicit Win32Animation(HWND window) : window_(window) {}
    bool Open(CommonAvi avi) override;
    void Play(int lastFrame) override;
    void Stop() override;
    bool IsPlaying() const override { return playing_; }

private:
    HWND window_;
    bool playing_ = false;
};

// A combo box filled by DlgDirListComboBox with the drives, "[-c-]" ...
class Win32DriveBox : public DriveBoxPeer {
public:
    Win32DriveBox(HWND dialog, int controlId) : dialog_(dialog), controlId_(controlId) {}
    bool SetDrive(char letter) override;
    char Drive() const override;

private:
    HWND dialog_;
    int controlId_;
};

// A list box filled by DlgDirList with "[..]" and the "[subdirectories]".
class Win32DirList : public DirListPeer {
public:
    Win32DirList(HWND dialog, int controlId) : dialog_(dialog), controlId_(controlId) {}
    bool SetDirectory(const std::string& path) override;
    std::string Directory() const override { return directory_; }
    // Lists the entry the user double-clicked; false when none was selected or
    // it cannot be read.
    bool OpenSelected();

private:
    HWND dialog_;
    int controlId_;
    std::string directory_;
};

class Win32Dialog : public DialogPeer {
public:
    // Creates the window hidden. The main window ends the program when it
    // closes; every other window only hides.
    Win32Dialog(int templateId, bool isMainWindow);
    ~Win32Dialog() override;
    Win32Dialog(const Win32Dialog&) = delete;
    Win32Dialog& operator=(const Win32Dialog&) = delete;

    void Bind(DialogEvents& events) override;

    ControlPeer& Control(int controlId) override;
    ProgressPeer& Progress(int controlId) override;
    AnimationPeer& Animation(int controlId) override;
    DriveBoxPeer& DriveBox(int controlId) override;
    DirListPeer& DirList(int controlId) override;

    void SetCaption(const std::string& caption) override;
    std::string Caption() const override;
    int ShowModal() override;
    void Show() override;
    void Hide() override;
    bool IsVisible() const override;
    void Close(int result) override;
    int Result() const override { return result_; }
    void SetResult(int result) override { result_ = result; }

    uintptr_t SystemHandle() const override { return reinterpret_cast<uintptr_t>(window_); }
    HWND Window() const { return window_; }
    // The tooltip window of the controls' hints; made when the dialog first
    // appears with hints, as no one can point at a control before.
    HWND Tooltip() const { return tooltip_.get(); }

    // Reports an exception that escaped an event handler; the event is
    // abandoned and the dialog stays open.
    static void SetExceptionHandler(std::function<void(const std::exception&)> handler);
    // Runs an event handler so that no exception leaves it.
    static void Guarded(const std::function<void()>& handler);

private:
    friend class Win32Control;
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR ColourControl(HDC dc, HWND control);
    HWND Item(int controlId) const;
    void AddHint(HWND control, const std::string& hint);
    void AttachHint(HWND control, const std::string& hint);
    void FocusControl(HWND control);

    HWND window_ = nullptr;
    bool isMainWindow_;
    DialogEvents* events_ = nullptr;
    std::map<int, std::unique_ptr<Win32Control>> controls_;
    std::map<int, std::unique_ptr<Win32Progress>> progressBars_;
    std::map<int, std::unique_ptr<Win32Animation>> animations_;
    std::map<int, std::unique_ptr<Win32DriveBox>> driveBoxes_;
    std::map<int, std::unique_ptr<Win32DirList>> dirLists_;
    std::map<HWND, Colour> textColours_;
    UniqueWindow tooltip_;
    std::vector<std::pair<HWND, std::string>> pendingHints_;
    HWND pendingFocus_ = nullptr;
    int result_ = 0;
    bool inModalLoop_ = false;
    bool modalDone_ = false;
};

class Win32DialogFactory : public DialogFactory {
public:
    std::unique_ptr<DialogPeer> Create(int templateId, bool isMainWindow) override {
        return std::make_unique<Win32Dialog>(templateId, isMainWindow);
    }
};

// The window of a dialog backend; none for a dialog of another kind.
HWND WindowOf(DialogPeer& dialog);

}  // namespace mivox::win32
