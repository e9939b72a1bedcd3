// uidriver: drives another program's windows as a user would, for the
// end-to-end tests. Each call does one thing and exits 0 on success, 1 when
// the window or control did not appear within the time limit, 2 on bad use.
//
//   uidriver [--timeout MS] wait WINDOW            wait until WINDOW is shown
//   uidriver [--timeout MS] gone WINDOW            wait until WINDOW is gone
//   uidriver [--timeout MS] text WINDOW [CONTROL]  print the text
//   uidriver [--timeout MS] set WINDOW CONTROL TEXT
//   uidriver [--timeout MS] click WINDOW CONTROL   press a button
//   uidriver [--timeout MS] enabled WINDOW CONTROL print 1 or 0
//   uidriver [--timeout MS] wait-text WINDOW CONTROL TEXT
//                                                  wait until CONTROL shows TEXT;
//                                                  print what it shows last
//   uidriver [--timeout MS] items WINDOW CONTROL   print a list's or combo's entries
//   uidriver [--timeout MS] select WINDOW CONTROL ITEM
//                                                  pick ITEM in a combo box
//   uidriver [--timeout MS] open WINDOW CONTROL ITEM
//                                                  double-click ITEM in a list box
//   uidriver list                                  print the shown windows
//   uidriver pointer X Y                           move the mouse pointer there
//
// WINDOW is a top-level window's exact caption (a message box's caption too).
// CONTROL is a control ID in decimal, or a caption compared without "&"; a
// message box's text is the control 65535.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A busy program answers late, not never: a loaded machine and a program
// still making its windows can keep a message waiting for seconds.
constexpr UINT kMessageTimeoutMs = 10000;

std::string WithoutAmpersands(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c != '&') result += c;
    }
    return result;
}

std::string TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &length)) {
        return {};
    }
    std::vector<char> buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                        SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied);
    return std::string(buffer.data(), copied);
}

struct Search {
    std::string caption;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (IsWindowVisible(window) && TextOf(window) == search->caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindTopLevel(const std::string& caption) {
    Search search{caption};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK MatchChild(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (WithoutAmpersands(TextOf(window)) == search->caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindControl(HWND parent, const std::string& control) {
    char* end = nullptr;
    const long id = std::strtol(control.c_str(), &end, 10);
    if (!control.empty() && *end == '\0') return GetDlgItem(parent, static_cast<int>(id));
    Search search{WithoutAmpersands(control)};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Polls until find gives a window or the time limit passes.
template <typename Find>
HWND WaitFor(DWORD timeoutMs, Find find) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = find()) return window;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(50);
    }
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

// The entries of a list box or combo box. Read as wide text: across
// processes the system hands the entries over in that form.
std::vector<std::string> ItemsOf(HWND control, bool isCombo) {
    const UINT count = isCombo ? CB_GETCOUNT : LB_GETCOUNT;
    const UINT length = isCombo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    const UINT text = isCombo ? CB_GETLBTEXT : LB_GETTEXT;
    std::vector<std::string> items;
    const LRESULT n = SendMessageW(control, count, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        const LRESULT size = SendMessageW(control, length, i, 0);
        std::vector<wchar_t> wide(size > 0 ? size + 1 : 1, L'\0');
        SendMessageW(control, text, i, reinterpret_cast<LPARAM>(wide.data()));
        char narrow[1024] = {};
        WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, narrow, sizeof(narrow), nullptr, nullptr);
        items.emplace_back(narrow);
    }
    return items;
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM) {
    if (!IsWindowVisible(window)) return TRUE;
    std::printf("%s\t%s\n", ClassOf(window).c_str(), TextOf(window).c_str());
    return TRUE;
}

int Usage() {
    std::fprintf(
        stderr,
        "usage: uidriver [--timeout MS] "
        "wait|gone|close|text|set|click|enabled|wait-text|items|select|open|list|pointer ...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    DWORD timeoutMs = 10000;
    if (args.size() >= 2 && args[0] == "--timeout") {
        timeoutMs = static_cast<DWORD>(std::strtoul(args[1].c_str(), nullptr, 10));
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) return Usage();
    const std::string command = args[0];

    if (command == "list") {
        EnumWindows(PrintWindow, 0);
        return 0;
    }
    if (command == "pointer" && args.size() == 3)
        return SetCursorPos(std::atoi(args[1].c_str()), std::atoi(args[2].c_str())) ? 0 : 1;
    if (args.size() < 2) return Usage();
    const std::string caption = args[1];

    if (command == "gone") {
        const DWORD start = GetTickCount();
        while (FindTopLevel(caption)) {
            if (GetTickCount() - start >= timeoutMs) {
                std::fprintf(stderr, "uidriver: \"%s\" is still shown\n", caption.c_str());
                return 1;
            }
            Sleep(50);
        }
        return 0;
    }

    HWND window = WaitFor(timeoutMs, [&] { return FindTopLevel(caption); });
    if (!window) {
        std::fprintf(stderr, "uidriver: no window \"%s\"\n", caption.c_str());
        return 1;
    }
    if (command == "wait") return 0;
    if (command == "close") {
        // The close box: posted, as the box's handler may open a modal box.
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == "text" && args.size() == 2) {
        std::printf("%s\n", TextOf(window).c_str());
        return 0;
    }
    if (args.size() < 3) return Usage();

    HWND control = WaitFor(timeoutMs, [&] { return FindControl(window, args[2]); });
    if (!control) {
        std::fprintf(stderr, "uidriver: no control \"%s\" in \"%s\"\n", args[2].c_str(),
                     caption.c_str());
        return 1;
    }
    const bool isCombo = ClassOf(control) == "ComboBox";
    if (command == "text") {
        std::printf("%s\n", TextOf(control).c_str());
    } else if (command == "wait-text" && args.size() == 4) {
        const DWORD start = GetTickCount();
        std::string shown = TextOf(control);
        while (shown != args[3] && GetTickCount() - start < timeoutMs) {
            Sleep(50);
            shown = TextOf(control);
        }
        std::printf("%s\n", shown.c_str());
        std::fflush(stdout);
        return shown == args[3] ? 0 : 1;
    } else if (command == "items") {
        for (const std::string& item : ItemsOf(control, isCombo)) std::printf("%s\n", item.c_str());
    } else if ((command == "select" || command == "open") && args.size() == 4) {
        // The entry is picked as the user's click would, then the dialog is
        // told as the control tells it.
        const std::vector<std::string> items = ItemsOf(control, isCombo);
        size_t index = 0;
        while (index < items.size() && items[index] != args[3]) ++index;
        if (index == items.size()) {
            std::fprintf(stderr, "uidriver: no entry \"%s\"\n", args[3].c_str());
            return 1;
        }
        SendMessageA(control, isCombo ? CB_SETCURSEL : LB_SETCURSEL, index, 0);
        const WORD code = command == "select" ? CBN_SELCHANGE : LBN_DBLCLK;
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                     reinterpret_cast<LPARAM>(control));
    } else if (command == "enabled") {
        std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
    } else if (command == "click") {
        // Posted, not sent: the button's handler may open a modal box.
        PostMessageA(control, BM_CLICK, 0, 0);
    } else if (command == "set" && args.size() == 4) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[3].c_str()),
                                 SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result)) {
            std::fprintf(stderr, "the program did not take the text\n");
            return 1;
        }
    } else {
        return Usage();
    }
    std::fflush(stdout);
    return 0;
}
