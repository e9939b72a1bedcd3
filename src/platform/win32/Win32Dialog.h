// A dialog window made from a template of the resource script, driving the
// DialogEvents of one dialog class.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <map>
#include <memory>

#include "platform/DialogPeer.h"

namespace mivox::win32 {

class Win32Control : public ControlPeer {
public:
    explicit Win32Control(HWND window) : window_(window) {}
    void SetText(const std::string& text) override;
    std::string Text() const override;
    void SetEnabled(bool enabled) override;
    bool IsEnabled() const override;
    void Invalidate() override;
    HWND Window() const { return window_; }

private:
    HWND window_;
};

class Win32Dialog : public DialogPeer {
public:
    // Creates the window hidden. The main window ends the program when it
    // closes; every other window only hides.
    Win32Dialog(int templateId, bool isMainWindow);
    ~Win32Dialog() override;
    Win32Dialog(const Win32Dialog&) = delete;
    Win32Dialog& operator=(const Win32Dialog&) = delete;

    // Connects the dialog class and runs its FormCreate.
    void Bind(DialogEvents& events);

    ControlPeer& Control(int controlId) override;
    void SetCaption(const std::string& caption) override;
    std::string Caption() const override;
    int ShowModal() override;
    void Show() override;
    void Hide() override;
    bool IsVisible() const override;
    void Close(int result) override;
    int Result() const override { return result_; }

    HWND Window() const { return window_; }

    // Reports an exception that escaped an event handler; the event is
    // abandoned and the dialog stays open.
    static void SetExceptionHandler(std::function<void(const std::exception&)> handler);
    // Runs an event handler so that no exception leaves it.
    static void Guarded(const std::function<void()>& handler);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    bool isMainWindow_;
    DialogEvents* events_ = nullptr;
    std::map<int, std::unique_ptr<Win32Control>> controls_;
    int result_ = 0;
    bool inModalLoop_ = false;
    bool modalDone_ = false;
};

// The application's message loop: runs until the main window has closed,
// giving dialog keys (Tab, Enter, Esc) to the active dialog.
int RunMessageLoop();

}  // namespace mivox::win32
