#include "win32/Win32Desktop.h"

#include <shellapi.h>

#include <vector>

#include "platform/Failure.h"
#include "win32/Handles.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32Dialog.h"

namespace mivox::win32 {

namespace {

HWND ItemOf(DialogPeer& dialog, int controlId) {
    HWND item = GetDlgItem(WindowOf(dialog), controlId);
    if (!item) throw Failure("No control " + std::to_string(controlId) + " in the template");
    return item;
}

}  // namespace

void Win32Check::SetChecked(bool checked) {
    SendMessageA(window_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32Check::IsChecked() const {
    return SendMessageA(window_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32DropDown::Clear() {
    SendMessageA(window_, CB_RESETCONTENT, 0, 0);
}

void Win32DropDown::AddItem(const std::string& text) {
    SendMessageA(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int Win32DropDown::Count() const {
    return static_cast<int>(SendMessageA(window_, CB_GETCOUNT, 0, 0));
}

void Win32DropDown::SetSelected(int index) {
    // CB_SETCURSEL with an index outside the list clears the selection.
    SendMessageA(window_, CB_SETCURSEL, index >= 0 && index < Count() ? index : -1, 0);
}

int Win32DropDown::Selected() const {
    const LRESULT index = SendMessageA(window_, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

std::string Win32DropDown::Text() const {
    const int index = Selected();
    if (index < 0) return {};
    const LRESULT length = SendMessageA(window_, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return {};
    std::vector<char> text(static_cast<size_t>(length) + 1);
    SendMessageA(window_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

void Win32Desktop::OpenUrl(DialogPeer& owner, const std::string& url) {
    static const Library shell32(LoadSystemLibrary("shell32.dll"));
    static const auto shellExecute =
        BoundFunction<decltype(&ShellExecuteA)>(shell32.get(), "ShellExecuteA");
    if (!shellExecute) throw Failure("The Windows shell (shell32.dll) cannot be loaded.");
    shellExecute(WindowOf(owner), nullptr, url.c_str(), "", "", SW_SHOW);
}

bool Win32Desktop::StartProgram(const std::string& commandLine) {
    return WinExec(commandLine.c_str(), SW_SHOWNORMAL) > 31;
}

void Win32Desktop::Sleep(uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

CheckPeer& Win32Desktop::Check(DialogPeer& dialog, int controlId) {
    auto& peer = checks_[{&dialog, controlId}];
    if (!peer) peer = std::make_unique<Win32Check>(ItemOf(dialog, controlId));
    return *peer;
}

DropDownPeer& Win32Desktop::DropDown(DialogPeer& dialog, int controlId) {
    auto& peer = dropDowns_[{&dialog, controlId}];
    if (!peer) peer = std::make_unique<Win32DropDown>(ItemOf(dialog, controlId));
    return *peer;
}

}  // namespace mivox::win32
