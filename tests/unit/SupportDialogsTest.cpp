// The six support dialogs on the in-memory dialog backend.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "CopyMeterDlgRes.h"
#include "DirPickDlgRes.h"
#include "InfoBoxDlgRes.h"
#include "NtRightsDlgRes.h"
#include "TxtViewerDlgRes.h"
#include "YesNoDlgRes.h"
#include "app/Forms.h"
#include "dialogs/CopyMeterDlg.h"
#include "dialogs/DirPickDlg.h"
#include "dialogs/InfoBoxDlg.h"
#include "dialogs/NtRightsDlg.h"
#include "dialogs/TxtViewerDlg.h"
#include "dialogs/YesNoDlg.h"
#include "fakes/FakeDialog.h"
#include "fakes/FakePlatform.h"

namespace mivox {
namespace {

using testing::FakeDialog;
using testing::FakeDialogFactory;
using testing::FakePlatform;
using testing::MemoryFileSystem;

// One dialog class on its own in-memory window.
template <typename Dialog>
struct Harness {
    template <typename... Args>
    explicit Harness(FakePlatform& fake, Args&&... args)
        : window(&fake.loop, &fake.files), dlg(window, std::forward<Args>(args)...) {
        window.Bind(dlg);
    }
    FakeDialog window;
    Dialog dlg;
};

TEST(TYesNoDlg, OnlyYesCountsAsYes) {
    FakePlatform fake;
    Harness<TYesNoDlg> yesNo(fake);
    ControlPeer* focused = nullptr;
    yesNo.window.whileModal = [&](FakeDialog& window) {
        focused = window.Focused();
        EXPECT_EQ(window.Control(IDT_YESNO_TOP).Text(), "Ready to begin installation: C:\\Mivox");
        EXPECT_EQ(window.Control(IDT_YESNO_BOT).Text(), "Continue ?");
        window.Click(IDB_YESNO_YES);
    };
    EXPECT_TRUE(yesNo.dlg.Ask("Ready to begin installation: C:\\Mivox", "Continue ?"));
    EXPECT_EQ(focused, &yesNo.window.Control(IDB_YESNO_YES));
    EXPECT_EQ(yesNo.window.Result(), kIdYes);

    yesNo.window.whileModal = [](FakeDialog& window) { window.Click(IDB_YESNO_NO); };
    EXPECT_EQ(yesNo.dlg.ShowModal(), kIdNo);
    EXPECT_EQ(yesNo.window.Control(IDT_YESNO_TOP).Text(), "Ready to begin installation: C:\\Mivox")
        << "the fields are kept between showings";

    yesNo.window.whileModal = [](FakeDialog& window) { window.CloseBox(); };
    EXPECT_EQ(yesNo.dlg.ShowModal(), kIdCancel);
    EXPECT_FALSE(yesNo.dlg.Ask("Shutdown/Reboot the system now ?", "")) << "the close box is no";
}

TEST(TInfoBoxDlg, AnimatesWhileShownAndPumpsOnEveryLine) {
    FakePlatform fake;
    Harness<TInfoBoxDlg> info(fake, fake.loop);
    auto& animation = info.window.Animation(IDA_INFOBOX_WORK);
    EXPECT_EQ(animation.opened, CommonAvi::kFindComputer);
    EXPECT_FALSE(animation.playing);

    info.window.Control(IDT_INFOBOX_TOP).SetText("stale");
    info.dlg.Show();
    EXPECT_TRUE(info.window.IsVisible());
    EXPECT_TRUE(animation.playing);
    EXPECT_EQ(animation.lastFrame, 8);
    EXPECT_EQ(info.window.Control(IDT_INFOBOX_TOP).Text(), "");
    EXPECT_EQ(fake.loop.pumps, 1);

    info.dlg.SetTopText("Processing Windows Registration Data");
    info.dlg.SetBottomText("Mivox Product & Uninstall");
    EXPECT_EQ(info.window.Control(IDT_INFOBOX_TOP).Text(), "Processing Windows Registration Data");
    EXPECT_EQ(info.window.Control(IDT_INFOBOX_BOT).Text(), "Mivox Product & Uninstall");
    EXPECT_EQ(fake.loop.pumps, 3);

    info.dlg.Hide();
    EXPECT_FALSE(info.window.IsVisible());
    EXPECT_FALSE(animation.playing);
}

TEST(TCopyMeterDlg, BarPositionsRoundHalvesToEvenWithinZeroToHundred) {
    const std::pair<long double, int> cases[] = {
        {0.125L, 12},
        {0.375L, 38},
        {0.0L, 0},
        {1.0L, 100},
        {1.3L, 100},
        {-0.2L, 0},
        {0.994L, 99},
        {0.996L, 100},
        {1e30L, 100},
        {-1e30L, 0},
        {std::numeric_limits<long double>::quiet_NaN(), 0},
        {std::numeric_limits<long double>::infinity(), 100},
    };
    for (const auto& [fraction, position] : cases) {
        EXPECT_EQ(TCopyMeterDlg::BarPosition(fraction), position) << fraction;
    }
}

TEST(TCopyMeterDlg, RunStateIsCancelUntilShownAndAfterCancel) {
    FakePlatform fake;
    Harness<TCopyMeterDlg> meter(fake, fake.loop, fake.clock);
    auto& animation = meter.window.Animation(IDA_COPYMETER_FILECOPY);
    EXPECT_EQ(meter.dlg.RunState(), kIdCancel);
    EXPECT_EQ(animation.opened, CommonAvi::kCopyFiles);

    meter.window.Progress(IDP_COPYMETER_FILE).position = 70;
    meter.dlg.Show();
    EXPECT_EQ(meter.dlg.RunState(), kIdOk);
    EXPECT_EQ(meter.window.Progress(IDP_COPYMETER_FILE).position, 0);
    EXPECT_TRUE(animation.playing);
    EXPECT_EQ(animation.lastFrame, 34);

    meter.dlg.SetDirName("C:\\Mivox\\Samples\\");
    meter.dlg.SetFileName("SINE.MDF");
    meter.dlg.SetDirProgress(0.125L);
    meter.dlg.SetFileProgress(1.3L);
    EXPECT_EQ(meter.window.Control(IDT_COPYMETER_DIRNAME).Text(), "C:\\Mivox\\Samples\\");
    EXPECT_EQ(meter.window.Control(IDT_COPYMETER_FILENAME).Text(), "SINE.MDF");
    EXPECT_EQ(meter.window.Progress(IDP_COPYMETER_DIR).position, 12);
    EXPECT_EQ(meter.window.Progress(IDP_COPYMETER_FILE).position, 100);

    // The user presses Cancel while an update hands on the pending messages.
    fake.loop.pending.push_back([&] { meter.window.Click(IDB_COPYMETER_CANCEL); });
    meter.dlg.SetFileProgress(0.5L);
    EXPECT_EQ(meter.dlg.RunState(), kIdCancel);
    EXPECT_FALSE(meter.window.IsVisible());
    EXPECT_FALSE(animation.playing);

    meter.dlg.Show();
    EXPECT_EQ(meter.dlg.RunState(), kIdOk) << "each showing runs again";
    meter.dlg.Close();
    EXPECT_FALSE(meter.window.IsVisible());
    EXPECT_EQ(meter.dlg.RunState(), kIdOk) << "the caller's close keeps the run state";
}

TEST(TCopyMeterDlg, FilesRepaintTheMeterAFewTimesASecondAndCancelAnswersInBetween) {
    FakePlatform fake;
    Harness<TCopyMeterDlg> meter(fake, fake.loop, fake.clock);
    fake.clock.ticks = 0xFFFFFF00u;  // the tick count wraps during the copy
    meter.dlg.Show();
    const std::string kDir = "C:\\Mivox\\";
    struct Step {
        uint32_t elapsed;  // milliseconds since the step before
        const char* file;
        bool cancelWaits;
        const char* shown;  // the file name on screen afterwards
        int pumps;          // messages handed on by the step
    } steps[] = {
        {0, "A.DAT", false, "A.DAT", 1},  // the first file after Show
        {100, "B.DAT", false, "A.DAT", 0}, {149, "C.DAT", false, "A.DAT", 0},
        {1, "D.DAT", false, "D.DAT", 1},  // 250 ms since A, across the wrap
        {10, "E.DAT", true, "D.DAT", 1},  // a waiting click is handed on at once
    };
    for (const Step& step : steps) {
        fake.clock.ticks += step.elapsed;
        if (step.cancelWaits) {
            fake.loop.pending.push_back([&] { meter.window.Click(IDB_COPYMETER_CANCEL); });
        }
        const int before = fake.loop.pumps;
        meter.dlg.ShowFile(kDir, 0.5L, step.file, 0.25L);
        EXPECT_EQ(meter.window.Control(IDT_COPYMETER_FILENAME).Text(), step.shown) << step.file;
        EXPECT_EQ(fake.loop.pumps - before, step.pumps) << step.file;
        EXPECT_EQ(meter.dlg.RunState(), step.cancelWaits ? kIdCancel : kIdOk) << step.file;
    }
    EXPECT_EQ(meter.window.Control(IDT_COPYMETER_DIRNAME).Text(), kDir);
    EXPECT_EQ(meter.window.Progress(IDP_COPYMETER_DIR).position, 50);
    EXPECT_EQ(meter.window.Progress(IDP_COPYMETER_FILE).position, 25);

    meter.dlg.Show();
    meter.dlg.ShowFile(kDir, 0, "F.DAT", 0);
    EXPECT_EQ(meter.window.Control(IDT_COPYMETER_FILENAME).Text(), "F.DAT")
        << "a new showing starts with a repaint";
}

TEST(TTxtViewerDlg, ShowsTheFileLineByLineInNavyCourier) {
    FakePlatform fake;
    fake.files.AddFile("C:\\Mivox\\RELEASE.TXT", "Mivox 4.10\r\n\r\nUnix line\nOld Mac line\rlast");
    Harness<TTxtViewerDlg> viewer(fake, fake.platform);
    auto& memo = viewer.window.Control(IDE_TXTVIEWER_FILE);
    EXPECT_EQ(memo.fontFace, "Courier");
    EXPECT_EQ(memo.textColour, kColourNavy);

    viewer.dlg.FileName = "C:\\Mivox\\RELEASE.TXT";
    std::string shown;
    viewer.window.whileModal = [&](FakeDialog& window) {
        shown = window.Control(IDE_TXTVIEWER_FILE).Text();
        window.Click(IDB_TXTVIEWER_OK);
    };
    viewer.dlg.ShowModal();
    EXPECT_EQ(shown, "Mivox 4.10\r\n\r\nUnix line\r\nOld Mac line\r\nlast");
    EXPECT_EQ(viewer.window.Control(IDG_TXTVIEWER_FILE).Text(), "C:\\Mivox\\RELEASE.TXT");
}

TEST(TTxtViewerDlg, ClosesAtOnceWithoutAFile) {
    FakePlatform fake;
    fake.files.AddDirectory("C:\\Mivox");
    Harness<TTxtViewerDlg> viewer(fake, fake.platform);
    bool appeared = false;
    viewer.window.whileModal = [&](FakeDialog&) { appeared = true; };
    for (const std::string name : {"", "C:\\Mivox\\README.TXT", "C:\\Mivox"}) {
        viewer.dlg.FileName = name;
        viewer.dlg.ShowModal();
        EXPECT_FALSE(appeared) << name;
        EXPECT_EQ(viewer.window.Result(), kIdOk) << name;
    }
    EXPECT_TRUE(fake.boxes.shown.empty()) << "no message";
}

TEST(TTxtViewerDlg, AnUnreadableFileIsReportedByTheApplication) {
    FakePlatform fake;
    FakeDialogFactory factory(&fake.loop, &fake.files);
    Forms forms(factory, fake.platform);  // the main dialog installs the report
    fake.files.AddFile("C:\\Mivox\\README.TXT", "text");
    fake.files.FailOn(MemoryFileSystem::Op::Read, "C:\\Mivox\\README.TXT", kErrorAccessDenied);
    forms.TxtViewerDlg().FileName = "C:\\Mivox\\README.TXT";
    forms.TxtViewerDlg().ShowModal();
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "Setup.exe");
    EXPECT_EQ(fake.boxes.shown[0].text, "I/O error 5 reading C:\\Mivox\\README.TXT");
    EXPECT_EQ(fake.boxes.shown[0].style, kMbOk | kMbIconHand);
    EXPECT_FALSE(factory.Of(IDD_TXTVIEWER)->IsVisible());
}

TEST(TNTrightsDlg, NamesTheUserInTheTitleAndBeeps) {
    FakePlatform fake;
    fake.system.userName = "Operator";
    Harness<TNTrightsDlg> notice(fake, fake.platform);
    auto& memo = notice.window.Control(IDE_NTRIGHTS_MESSAGE);
    const auto lines = TTxtViewerDlg::SplitLines(memo.Text());
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "It appears that the current User logged into this machine");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[9], "Thank You.");
    EXPECT_EQ(memo.Text().find("Operator"), std::string::npos);
    EXPECT_EQ(memo.textColour, kColourMaroon);

    notice.window.whileModal = [](FakeDialog& window) { window.Click(IDB_NTRIGHTS_OK); };
    notice.dlg.ShowModal();
    EXPECT_EQ(notice.window.Caption(), "NT User Account: Operator");
    EXPECT_EQ(fake.boxes.beeps, std::vector<unsigned>{0});
    EXPECT_EQ(notice.window.Result(), kIdOk);
}

class TDirPickDlgTest : public ::testing::Test {
protected:
    TDirPickDlgTest() {
        fake.files.AddDirectory("C:\\Program Files");
        fake.files.AddDirectory("D:\\Programs\\Vexlor");
    }
    FakePlatform fake;
    Harness<TDirPickDlg> picker{fake};
    FakeDialog& window = picker.window;
};

TEST_F(TDirPickDlgTest, StartsAtThePickedPath) {
    picker.dlg.PickedPath = "C:\\Program Files\\";
    window.whileModal = [&](FakeDialog& w) {
        EXPECT_EQ(w.DriveBox(IDC_DIRPICK_DRIVES).Drive(), 'C');
        EXPECT_EQ(w.DirList(IDL_DIRPICK_DIRS).Directory(), "C:\\Program Files");
        EXPECT_EQ(w.Control(IDT_DIRPICK_PATH).Text(), "C:\\Program Files\\");
        w.Click(IDB_DIRPICK_OK);
    };
    EXPECT_EQ(picker.dlg.ShowModal(), kIdOk);
    EXPECT_EQ(picker.dlg.PickedPath, "C:\\Program Files\\");
}

TEST_F(TDirPickDlgTest, PickingAFolderOnAnotherDriveGivesItWithABackslash) {
    picker.dlg.PickedPath = "C:\\";
    window.whileModal = [](FakeDialog& w) {
        w.SelectDrive(IDC_DIRPICK_DRIVES, 'd');
        EXPECT_EQ(w.Control(IDT_DIRPICK_PATH).Text(), "D:\\");
        w.OpenDirectory(IDL_DIRPICK_DIRS, "D:\\Programs");
        w.Click(IDB_DIRPICK_OK);
    };
    EXPECT_EQ(picker.dlg.ShowModal(), kIdOk);
    EXPECT_EQ(picker.dlg.PickedPath, "D:\\Programs\\");
}

TEST_F(TDirPickDlgTest, CancelAndTheCloseBoxLeaveThePathUnchanged) {
    const std::function<void(FakeDialog&)> leave[] = {
        [](FakeDialog& w) { w.Click(IDB_DIRPICK_CANCEL); },
        [](FakeDialog& w) { w.CloseBox(); },
    };
    picker.dlg.PickedPath = "C:\\";
    for (const auto& leaving : leave) {
        window.whileModal = [&](FakeDialog& w) {
            w.OpenDirectory(IDL_DIRPICK_DIRS, "C:\\Program Files");
            leaving(w);
        };
        EXPECT_EQ(picker.dlg.ShowModal(), kIdCancel);
        EXPECT_EQ(picker.dlg.PickedPath, "C:\\");
    }
}

TEST_F(TDirPickDlgTest, ADriveWithoutADiskKeepsTheListWhereItWas) {
    fake.files.notReadyDrives.insert('A');
    picker.dlg.PickedPath = "D:\\Programs\\Vexlor\\";
    window.whileModal = [](FakeDialog& w) {
        w.SelectDrive(IDC_DIRPICK_DRIVES, 'A');
        EXPECT_EQ(w.DriveBox(IDC_DIRPICK_DRIVES).Drive(), 'D');
        EXPECT_EQ(w.Control(IDT_DIRPICK_PATH).Text(), "D:\\Programs\\Vexlor\\");
        w.Click(IDB_DIRPICK_OK);
    };
    picker.dlg.ShowModal();
    EXPECT_EQ(picker.dlg.PickedPath, "D:\\Programs\\Vexlor\\");
}

TEST(Forms, AreCreatedOnceInTheirFixedOrderAndOnlyTheMainOneShows) {
    FakePlatform fake;
    FakeDialogFactory factory(&fake.loop, &fake.files);
    Forms forms(factory, fake.platform);
    std::vector<int> order;
    for (const auto& made : factory.made) {
        order.push_back(made.templateId);
        EXPECT_EQ(made.isMainWindow, made.templateId == 100) << made.templateId;
        EXPECT_FALSE(made.dialog->IsVisible()) << made.templateId;
    }
    EXPECT_EQ(order,
              (std::vector<int>{100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1100, 1200}));
    EXPECT_EQ(&forms.MainWindow(), factory.made.front().dialog);
    EXPECT_TRUE(fake.loop.exceptionHandler) << "the main dialog installs the error report";
}

TEST(Forms, StartUpShowsTheMainWindowBeforeTheHiddenOnesAreMade) {
    FakePlatform fake;
    FakeDialogFactory factory(&fake.loop, &fake.files);
    size_t madeWhenShown = 0;
    Forms forms(factory, fake.platform, [&](Forms& made) {
        made.MainWindow().Show();
        madeWhenShown = factory.made.size();
    });
    EXPECT_EQ(madeWhenShown, 1u);
    ASSERT_EQ(factory.made.size(), 12u);
    EXPECT_TRUE(forms.MainWindow().IsVisible());
    for (size_t i = 1; i < factory.made.size(); ++i) {
        EXPECT_EQ(factory.made[i].templateId, static_cast<int>(i + 1) * 100);
        EXPECT_FALSE(factory.made[i].dialog->IsVisible()) << factory.made[i].templateId;
    }
}

}  // namespace
}  // namespace mivox
