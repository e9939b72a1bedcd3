// The real Desktop seam: the shell, WinExec, Sleep, and radio buttons and
// drop-down lists on the child windows of a Win32Dialog.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <utility>

#include "platform/Desktop.h"

namespace mivox::win32 {

class Win32Check : public CheckPeer {
public:
    explicit Win32Check(HWND window) : window_(window) {}
    void SetChecked(bool checked) override;
    bool IsChecked() const override;

private:
    HWND window_;
};

class Win32DropDown : public DropDownPeer {
public:
    explicit Win32DropDown(HWND window) : window_(window) {}
    void Clear() override;
    void AddItem(const std::string& text) override;
    int Count() const override;
    void SetSelected(int index) override;
    int Selected() const override;
    std::string Text() const override;

private:
    HWND window_;
};

class Win32Desktop : public Desktop {
public:
    void OpenUrl(DialogPeer& owner, const std::string& url) override;
    bool StartProgram(const std::string& commandLine) override;
    void Sleep(uint32_t milliseconds) override;
    CheckPeer& Check(DialogPeer& dialog, int controlId) override;
    DropDownPeer& DropDown(DialogPeer& dialog, int controlId) override;

private:
    std::map<std::pair<DialogPeer*, int>, std::unique_ptr<Win32Check>> checks_;
    std::map<std::pair<DialogPeer*, int>, std::unique_ptr<Win32DropDown>> dropDowns_;
};

}  // namespace mivox::win32
