// The support dialogs on their real templates and real windows: keys,
// buttons, animations, bars, the drive box and the directory list.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>

#include "CopyMeterDlgRes.h"
#include "DirPickDlgRes.h"
#include "InfoBoxDlgRes.h"
#include "NtRightsDlgRes.h"
#include "TempDir.h"
#include "TxtViewerDlgRes.h"
#include "YesNoDlgRes.h"
#include "dialogs/CopyMeterDlg.h"
#include "dialogs/DirPickDlg.h"
#include "dialogs/InfoBoxDlg.h"
#include "dialogs/NtRightsDlg.h"
#include "dialogs/TxtViewerDlg.h"
#include "dialogs/YesNoDlg.h"
#include "win32/Win32Dialog.h"
#include "win32/Win32Platform.h"

namespace mivox::win32 {
namespace {

// Runs actions from inside a modal loop, in order, one per timer tick, and
// closes the window after the last one should the dialog still be open, so
// that a failing test ends instead of waiting for a user.
class WhileModal {
public:
    WhileModal(HWND window, std::vector<std::function<void()>> actions)
        : window_(window), actions_(std::move(actions)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 50, Tick);
    }
    ~WhileModal() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    WhileModal(const WhileModal&) = delete;
    WhileModal& operator=(const WhileModal&) = delete;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        WhileModal* self = current_;
        if (!self) return;
        if (self->next_ < self->actions_.size()) {
            self->actions_[self->next_++]();
        } else if (++self->idleTicks_ > 100) {
            PostMessageA(self->window_, WM_CLOSE, 0, 0);
        }
    }
    static inline WhileModal* current_ = nullptr;
    HWND window_;
    std::vector<std::function<void()>> actions_;
    size_t next_ = 0;
    int idleTicks_ = 0;
    UINT_PTR timer_ = 0;
};

void PressKey(UINT key) {
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, key, 0);
    PostMessageA(focus, WM_KEYUP, key, 0);
}

void Click(HWND dialog, int controlId) {
    PostMessageA(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0);
}

template <typename Dialog>
struct RealDialog {
    template <typename... Args>
    RealDialog(int templateId, Args&&... args)
        : window(templateId, false), dlg(window, std::forward<Args>(args)...) {
        window.Bind(dlg);
    }
    HWND Item(int id) const { return GetDlgItem(window.Window(), id); }
    Win32Dialog window;
    Dialog dlg;
};

TEST(Win32TYesNoDlg, FocusOnYesSoEnterSaysYesAndTheCloseBoxCancels) {
    RealDialog<TYesNoDlg> yesNo(IDD_YESNO);
    HWND focused = nullptr;
    {
        WhileModal user(yesNo.window.Window(),
                        {[&] { focused = GetFocus(); }, [] { PressKey(VK_RETURN); }});
        EXPECT_TRUE(yesNo.dlg.Ask("Ready to begin installation: C:\\Mivox", "Continue ?"));
    }
    EXPECT_EQ(focused, yesNo.Item(IDB_YESNO_YES));
    EXPECT_EQ(yesNo.window.Control(IDT_YESNO_TOP).Text(), "Ready to begin installation: C:\\Mivox");
    {
        WhileModal user(yesNo.window.Window(),
                        {[&] { Click(yesNo.window.Window(), IDB_YESNO_NO); }});
        EXPECT_EQ(yesNo.dlg.ShowModal(), kIdNo);
    }
    {
        WhileModal user(yesNo.window.Window(),
                        {[&] { PostMessageA(yesNo.window.Window(), WM_CLOSE, 0, 0); }});
        EXPECT_EQ(yesNo.dlg.ShowModal(), kIdCancel);
    }
    EXPECT_FALSE(yesNo.window.IsVisible());
}

class Win32TCopyMeterDlg : public ::testing::Test {
protected:
    Win32MessageLoop loop;
    Win32Clock clock;
    RealDialog<TCopyMeterDlg> meter{IDD_COPYMETER, loop, clock};
    // Pumps until the dialog has taken what is pending.
    void Pump() {
        for (int i = 0; i < 20; ++i) {
            loop.ProcessMessages();
            Sleep(5);
        }
    }
};

TEST_F(Win32TCopyMeterDlg, ShowsProgressAndPlaysTheCopyAnimation) {
    EXPECT_EQ(meter.dlg.RunState(), kIdCancel);
    EXPECT_TRUE(meter.window.Animation(IDA_COPYMETER_FILECOPY).Open(CommonAvi::kCopyFiles))
        << "the common animation is a resource of shell32";
    meter.dlg.Show();
    EXPECT_TRUE(meter.window.IsVisible());
    EXPECT_EQ(meter.dlg.RunState(), kIdOk);
    EXPECT_TRUE(meter.window.Animation(IDA_COPYMETER_FILECOPY).IsPlaying());
    meter.dlg.SetDirProgress(0.125L);
    meter.dlg.SetFileProgress(1.3L);
    meter.dlg.SetFileName("SINE.MDF");
    EXPECT_EQ(SendMessageA(meter.Item(IDP_COPYMETER_DIR), PBM_GETPOS, 0, 0), 12);
    EXPECT_EQ(SendMessageA(meter.Item(IDP_COPYMETER_FILE), PBM_GETPOS, 0, 0), 100);
    EXPECT_EQ(meter.window.Control(IDT_COPYMETER_FILENAME).Text(), "SINE.MDF");
    meter.dlg.Close();
    EXPECT_FALSE(meter.window.IsVisible());
    EXPECT_FALSE(meter.window.Animation(IDA_COPYMETER_FILECOPY).IsPlaying());
    EXPECT_EQ(meter.dlg.RunState(), kIdOk);
}

TEST_F(Win32TCopyMeterDlg, EnterAndEscBothCancelTheCopy) {
    for (UINT key : {VK_RETURN, VK_ESCAPE}) {
        meter.dlg.Show();
        Pump();
        ASSERT_EQ(GetActiveWindow(), meter.window.Window());
        PressKey(key);
        for (int i = 0; i < 20 && meter.dlg.RunState() == kIdOk; ++i) {
            meter.dlg.SetFileProgress(0.5L);  // each update hands on the pending keys
            Sleep(5);
        }
        EXPECT_EQ(meter.dlg.RunState(), kIdCancel) << key;
        EXPECT_FALSE(meter.window.IsVisible()) << key;
    }
}

TEST_F(Win32TCopyMeterDlg, BetweenRepaintsAWaitingKeyStillCancelsBeforeTheNextFile) {
    meter.dlg.Show();
    Pump();
    meter.dlg.ShowFile("C:\\Mivox\\", 0, "A.DAT", 0);
    EXPECT_EQ(meter.window.Control(IDT_COPYMETER_FILENAME).Text(), "A.DAT");
    EXPECT_FALSE(loop.InputPending());
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(loop.InputPending());
    meter.dlg.ShowFile("C:\\Mivox\\", 0.5L, "B.DAT", 0.5L);
    EXPECT_EQ(meter.dlg.RunState(), kIdCancel);
    EXPECT_FALSE(loop.InputPending());
}

TEST(Win32TInfoBoxDlg, AnimatesOnlyWhileShown) {
    Win32MessageLoop loop;
    RealDialog<TInfoBoxDlg> info(IDD_INFOBOX, loop);
    info.dlg.Show();
    info.dlg.SetTopText("Processing Windows Registration Data");
    info.dlg.SetBottomText("Mivox Product & Uninstall");
    EXPECT_TRUE(info.window.IsVisible());
    EXPECT_TRUE(info.window.Animation(IDA_INFOBOX_WORK).IsPlaying());
    EXPECT_EQ(info.window.Control(IDT_INFOBOX_BOT).Text(), "Mivox Product & Uninstall");
    EXPECT_TRUE(GetWindowLongA(info.Item(IDT_INFOBOX_BOT), GWL_STYLE) & SS_NOPREFIX)
        << "an ampersand is shown as it is";
    info.dlg.Hide();
    EXPECT_FALSE(info.window.Animation(IDA_INFOBOX_WORK).IsPlaying());
}

TEST(Win32TTxtViewerDlg, FillsTheMemoInCourierAndClosesAtOnceWithoutAFile) {
    testing::TempDir dir;
    const std::string file = dir.WriteFile("RELEASE.TXT", "Mivox 4.10\r\n\r\nNotes\nlast");
    Win32Platform system;
    RealDialog<TTxtViewerDlg> viewer(IDD_TXTVIEWER, system.platform);
    viewer.dlg.FileName = file;
    {
        WhileModal user(viewer.window.Window(),
                        {[&] { Click(viewer.window.Window(), IDB_TXTVIEWER_OK); }});
        viewer.dlg.ShowModal();
    }
    EXPECT_EQ(viewer.window.Control(IDE_TXTVIEWER_FILE).Text(), "Mivox 4.10\r\n\r\nNotes\r\nlast");
    EXPECT_EQ(viewer.window.Control(IDG_TXTVIEWER_FILE).Text(), file);
    LOGFONTA font{};
    GetObjectA(
        reinterpret_cast<HFONT>(SendMessageA(viewer.Item(IDE_TXTVIEWER_FILE), WM_GETFONT, 0, 0)),
        sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, "Courier");

    // Coloured navy on the window's background.
    HDC dc = GetDC(viewer.Item(IDE_TXTVIEWER_FILE));
    SendMessageA(viewer.window.Window(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(viewer.Item(IDE_TXTVIEWER_FILE)));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 128));
    ReleaseDC(viewer.Item(IDE_TXTVIEWER_FILE), dc);

    viewer.dlg.FileName = dir.Path() + "\\README.TXT";
    bool appeared = false;
    {
        WhileModal user(viewer.window.Window(), {[&] { appeared = viewer.window.IsVisible(); }});
        viewer.dlg.ShowModal();
    }
    EXPECT_FALSE(appeared);
    EXPECT_EQ(viewer.window.Result(), kIdOk);
}

TEST(Win32TNTrightsDlg, TitleNamesTheLoggedOnUser) {
    Win32Platform system;
    RealDialog<TNTrightsDlg> notice(IDD_NTRIGHTS, system.platform);
    std::string caption;
    {
        WhileModal user(notice.window.Window(), {[&] {
                            caption = notice.window.Caption();
                            Click(notice.window.Window(), IDB_NTRIGHTS_OK);
                        }});
        notice.dlg.ShowModal();
    }
    EXPECT_EQ(caption, "NT User Account: " + system.system.UserName());
    EXPECT_FALSE(system.system.UserName().empty());
    EXPECT_EQ(notice.window.Result(), kIdOk);
    const std::string noticeText = notice.window.Control(IDE_NTRIGHTS_MESSAGE).Text();
    EXPECT_EQ(noticeText.substr(0, noticeText.find("\r\n")),
              "It appears that the current User logged into this machine");
}

TEST(Win32TDirPickDlg, OpensAFolderOfTheListAndKeepsTheCurrentDirectory) {
    testing::TempDir dir;
    CreateDirectoryA((dir.Path() + "\\Programs").c_str(), nullptr);
    CreateDirectoryA((dir.Path() + "\\Data").c_str(), nullptr);
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);

    RealDialog<TDirPickDlg> picker(IDD_DIRPICK);
    HWND window = picker.window.Window();
    HWND list = picker.Item(IDL_DIRPICK_DIRS);
    picker.dlg.PickedPath = dir.Path() + "\\";
    std::string shownAtStart;
    char drive = 0;
    const std::string item = "[Programs]";
    {
        WhileModal user(window, {[&] {
                                     shownAtStart = picker.window.Control(IDT_DIRPICK_PATH).Text();
                                     drive = picker.window.DriveBox(IDC_DIRPICK_DRIVES).Drive();
                                     SendMessageA(list, LB_SELECTSTRING, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(item.c_str()));
                                     PostMessageA(window, WM_COMMAND,
                                                  MAKEWPARAM(IDL_DIRPICK_DIRS, LBN_DBLCLK),
                                                  reinterpret_cast<LPARAM>(list));
                                 },
                                 [&] { Click(window, IDB_DIRPICK_OK); }});
        EXPECT_EQ(picker.dlg.ShowModal(), kIdOk);
    }
    EXPECT_EQ(shownAtStart, dir.Path() + "\\");
    EXPECT_EQ(drive, dir.Path()[0]);
    EXPECT_EQ(picker.dlg.PickedPath, dir.Path() + "\\Programs\\");
    char after[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(after, before) << "listing a directory must not move the current one";

    // Up again by "[..]", then Cancel: the picked path stays as it was.
    {
        WhileModal user(window, {[&] {
                                     SendMessageA(list, LB_SELECTSTRING, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>("[..]"));
                                     PostMessageA(window, WM_COMMAND,
                                                  MAKEWPARAM(IDL_DIRPICK_DIRS, LBN_DBLCLK),
                                                  reinterpret_cast<LPARAM>(list));
                                 },
                                 [&] {
                                     shownAtStart = picker.window.Control(IDT_DIRPICK_PATH).Text();
                                     Click(window, IDB_DIRPICK_CANCEL);
                                 }});
        EXPECT_EQ(picker.dlg.ShowModal(), kIdCancel);
    }
    EXPECT_EQ(shownAtStart, dir.Path() + "\\");
    EXPECT_EQ(picker.dlg.PickedPath, dir.Path() + "\\Programs\\");
}

TEST(Win32DriveBox, ListsTheDrivesAndSelectsOneByLetter) {
    Win32Dialog window(IDD_DIRPICK, false);
    DriveBoxPeer& drives = window.DriveBox(IDC_DIRPICK_DRIVES);
    EXPECT_TRUE(drives.SetDrive('c'));
    EXPECT_EQ(drives.Drive(), 'C');
    EXPECT_GE(SendDlgItemMessageA(window.Window(), IDC_DIRPICK_DRIVES, CB_GETCOUNT, 0, 0), 2)
        << "C: and Z: at least";
    EXPECT_TRUE(drives.SetDrive('Z'));
    EXPECT_EQ(drives.Drive(), 'Z');
    EXPECT_FALSE(drives.SetDrive('Q')) << "no such drive";
    EXPECT_EQ(drives.Drive(), 'Z');
}

}  // namespace
}  // namespace mivox::win32
