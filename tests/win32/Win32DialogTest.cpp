// Dialog windows from a template of the resource script, and the numeric
// label on a real static control.
#include "platform/Threads.h"
#include "win32/Win32Dialog.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "TempDir.h"
#include "controls/LabelNum.h"
#include "platform/Failure.h"
#include "platform/MessageBoxes.h"
#include "win32/Win32CommonDialogs.h"
#include "win32/Win32MessageLoop.h"

namespace mivox::win32 {
namespace {

constexpr int kTestDialog = 100;
constexpr int kFigure = 101;
constexpr int kEdit = 102;
constexpr int kOk = 1;

// Records the events and does what the test asks of each.
class RecordingEvents : public DialogEvents {
public:
    explicit RecordingEvents(Win32Dialog& dialog) : dialog_(dialog) {}

    void FormCreate() override { log.push_back("create"); }
    void FormShow() override {
        log.push_back("show");
        if (onShow) onShow();
    }
    void FormHide() override { log.push_back("hide"); }
    void Command(int controlId, int code) override {
        if (controlId == kOk && code == kButtonClicked) {
            log.push_back("ok");
            if (throwOnOk) throw std::runtime_error("handler failed");
            dialog_.Close(kIdOk);
        }
    }
    bool FormCloseQuery() override {
        log.push_back("closequery");
        if (throwOnCloseQuery-- > 0) throw std::runtime_error("check failed");
        return refuseCloses-- <= 0;
    }

    std::vector<std::string> log;
    std::function<void()> onShow;
    bool throwOnOk = false;
    int refuseCloses = 0;
    int throwOnCloseQuery = 0;

private:
    Win32Dialog& dialog_;
};

TEST(Win32Dialog, ShowModalRunsUntilAHandlerClosesIt) {
    Win32Dialog dialog(kTestDialog, false);
    RecordingEvents events(dialog);
    dialog.Bind(events);
    EXPECT_EQ(dialog.Caption(), "Test Dialog");
    events.onShow = [&] { PostMessageA(dialog.Window(), WM_COMMAND, MAKEWPARAM(kOk, 0), 0); };
    EXPECT_EQ(dialog.ShowModal(), kIdOk);
    EXPECT_FALSE(dialog.IsVisible());
    EXPECT_EQ(events.log, (std::vector<std::string>{"create", "show", "ok", "closequery", "hide"}));
}

TEST(Win32Dialog, CloseRequestsAskTheDialogFirst) {
    Win32Dialog dialog(kTestDialog, false);
    RecordingEvents events(dialog);
    dialog.Bind(events);
    events.refuseCloses = 1;
    events.onShow = [&] {
        PostMessageA(dialog.Window(), WM_CLOSE, 0, 0);  // refused
        PostMessageA(dialog.Window(), WM_CLOSE, 0, 0);  // allowed: the close box means Cancel
    };
    EXPECT_EQ(dialog.ShowModal(), kIdCancel);
    EXPECT_EQ(events.log,
              (std::vector<std::string>{"create", "show", "closequery", "closequery", "hide"}));
}

TEST(Win32Dialog, AnExceptionAbandonsOnlyItsEvent) {
    Win32Dialog dialog(kTestDialog, false);
    RecordingEvents events(dialog);
    dialog.Bind(events);
    std::vector<std::string> reported;
    Win32Dialog::SetExceptionHandler(
        [&](const std::exception& error) { reported.push_back(error.what()); });
    events.throwOnOk = true;
    events.onShow = [&] {
        PostMessageA(dialog.Window(), WM_COMMAND, MAKEWPARAM(kOk, BN_CLICKED), 0);
        PostMessageA(dialog.Window(), WM_CLOSE, 0, 0);
    };
    EXPECT_EQ(dialog.ShowModal(), kIdCancel) << "the dialog went on after the failed event";
    EXPECT_EQ(reported, std::vector<std::string>{"handler failed"});
    Win32Dialog::SetExceptionHandler(nullptr);
}

TEST(Win32Dialog, ACloseCheckThatFailsKeepsTheDialogOpen) {
    Win32Dialog dialog(kTestDialog, false);
    RecordingEvents events(dialog);
    dialog.Bind(events);
    std::vector<std::string> reported;
    Win32Dialog::SetExceptionHandler(
        [&](const std::exception& error) { reported.push_back(error.what()); });
    events.throwOnCloseQuery = 1;
    events.onShow = [&] {
        PostMessageA(dialog.Window(), WM_CLOSE, 0, 0);  // the check fails: stays open
        PostMessageA(dialog.Window(), WM_COMMAND, MAKEWPARAM(kOk, BN_CLICKED), 0);
    };
    EXPECT_EQ(dialog.ShowModal(), kIdOk) << "only the second request closed it";
    EXPECT_EQ(reported, std::vector<std::string>{"check failed"});
    Win32Dialog::SetExceptionHandler(nullptr);
}

TEST(Win32Dialog, ControlsAreTheTemplatesChildWindows) {
    Win32Dialog dialog(kTestDialog, false);
    RecordingEvents events(dialog);
    dialog.Bind(events);
    ControlPeer& edit = dialog.Control(kEdit);
    edit.SetText("C:\\Mivox");
    EXPECT_EQ(edit.Text(), "C:\\Mivox");
    EXPECT_EQ(&dialog.Control(kEdit), &edit) << "one peer per control";
    edit.SetEnabled(false);
    EXPECT_FALSE(edit.IsEnabled());
    EXPECT_THROW(dialog.Control(999), Failure);
    HWND box = GetDlgItem(dialog.Window(), kEdit);
    EXPECT_EQ(SendMessageA(box, EM_GETLIMITTEXT, 0, 0), 30000) << "Windows' default";
    edit.RemoveTypingLimit();
    EXPECT_GT(SendMessageA(box, EM_GETLIMITTEXT, 0, 0), 0x10000) << "no typing limit";
}

TEST(TLabelNum, ShowsItsCaptionInASunkenRightAlignedStatic) {
    Win32Dialog dialog(kTestDialog, false);
    RecordingEvents events(dialog);
    dialog.Bind(events);
    auto& peer = static_cast<Win32Control&>(dialog.Control(kFigure));
    const LONG style = GetWindowLongA(peer.Window(), GWL_STYLE);
    EXPECT_TRUE(style & SS_SUNKEN);
    EXPECT_EQ(style & SS_TYPEMASK, SS_RIGHT);

    TLabelNum figure(peer);
    EXPECT_EQ(peer.Text(), "0000");
    figure.SetIntMode(imFixedIntComma);
    figure.SetValueWidthTotal(10);
    figure.SetIntValue(1234567);
    EXPECT_EQ(peer.Text(), " 1,234,567");
    SetWindowTextA(peer.Window(), "stale");
    figure.Invalidate();
    EXPECT_EQ(peer.Text(), " 1,234,567") << "a repaint request renders again";
}

TEST(Win32Dialog, HintsAreTooltipsOfTheirControls) {
    Win32Dialog dialog(kTestDialog, false);
    RecordingEvents events(dialog);
    dialog.Bind(events);
    auto& ok = static_cast<Win32Control&>(dialog.Control(kOk));
    const auto hintOfOk = [&] {
        char text[80] = {};
        TTTOOLINFOA tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = dialog.Window();
        tool.uId = reinterpret_cast<UINT_PTR>(ok.Window());
        tool.lpszText = text;
        SendMessageA(dialog.Tooltip(), TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&tool));
        return std::string(text);
    };
    ok.SetHint("Install Product");
    ok.SetHint("Abort Setup");  // a second hint replaces the first
    dialog.Show();
    ASSERT_NE(dialog.Tooltip(), nullptr);
    EXPECT_EQ(SendMessageA(dialog.Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(hintOfOk(), "Abort Setup");
    ok.SetHint("Install Product");  // on a shown dialog, at once
    EXPECT_EQ(SendMessageA(dialog.Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(hintOfOk(), "Install Product");
}

TEST(Win32Dialog, ColoursTheTextOfAControl) {
    Win32Dialog dialog(kTestDialog, false);
    RecordingEvents events(dialog);
    dialog.Bind(events);
    auto& figure = static_cast<Win32Control&>(dialog.Control(kFigure));
    figure.SetTextColour(kColourMaroon);
    HDC dc = GetDC(figure.Window());
    const LRESULT brush =
        SendMessageA(dialog.Window(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(figure.Window()));
    EXPECT_EQ(GetTextColor(dc), RGB(128, 0, 0));
    EXPECT_NE(brush, 0) << "the dialog paints the background itself";
    ReleaseDC(figure.Window(), dc);
}

TEST(Win32MessageLoop, ProcessMessagesHandsOnWhatIsWaitingAndReturns) {
    Win32Dialog dialog(kTestDialog, false);
    RecordingEvents events(dialog);
    dialog.Bind(events);
    dialog.Show();
    Win32MessageLoop loop;
    PostMessageA(dialog.Window(), WM_COMMAND, MAKEWPARAM(kOk, BN_CLICKED), 0);
    loop.ProcessMessages();
    EXPECT_FALSE(dialog.IsVisible()) << "the posted click closed the dialog";
    EXPECT_EQ(events.log.back(), "hide");

    // A quit request stays for the loop that runs the program.
    PostQuitMessage(3);
    loop.ProcessMessages();
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
}

TEST(Win32MessageLoop, HourglassCursorComesBackToThePreviousOne) {
    Win32MessageLoop loop;
    {
        HourglassCursor hourglass(loop);
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
        EXPECT_EQ(loop.SetCursor(Cursor::kHourglass), Cursor::kHourglass);
    }
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(loop.SetCursor(Cursor::kDefault), Cursor::kDefault);
}

// The file dialog's library is loaded on first use: the dialog appears, hands
// back the file typed into it, and a cancel gives false.
TEST(Win32CommonDialogs, TheFileDialogGivesTheChosenFileOrFalse) {
    testing::TempDir folder;
    const std::string archive = folder.WriteFile("MIVOX410.EXE", "MZ");
    Win32CommonDialogs dialogs;
    for (const int button : {IDOK, IDCANCEL}) {
        Thread user([&] {
            HWND window = nullptr;
            for (int wait = 0; wait < 1000 && !window; ++wait) {
                Sleep(10);
                window = FindWindowA("#32770", "Locate the Archive Program");
            }
            if (!window) return;
            constexpr int kFileNameBox = 0x47C;  // cmb13 of the system's template
            if (button == IDOK) SetDlgItemTextA(window, kFileNameBox, archive.c_str());
            PostMessageA(window, WM_COMMAND, button, 0);
        });
        OpenFileRequest request{"Locate the Archive Program", "Program Files|*.exe", "exe", ""};
        const bool chosen = dialogs.OpenFile(request);
        user.Join();
        EXPECT_EQ(chosen, button == IDOK);
        if (button == IDOK) {
            EXPECT_EQ(request.fileName, archive);
        }
    }
}

}  // namespace
}  // namespace mivox::win32
