// The installation as the user meets it in the installer's dialogs: each
// question in the yes/no dialog or a box of its style, each outcome in the
// warning box, the rights, registration and text dialogs, and the main
// dialog held off while the installation runs.
#include "app/DialogInstallUi.h"

#include <gtest/gtest.h>

#include <deque>

#include "CopyMeterDlgRes.h"
#include "MainDlgRes.h"
#include "NtRightsDlgRes.h"
#include "ProdRegDlgRes.h"
#include "TxtViewerDlgRes.h"
#include "YesNoDlgRes.h"
#include "app/Forms.h"
#include "fakes/FakeDialog.h"
#include "fakes/FakePlatform.h"
#include "fakes/InstallMedium.h"

namespace mivox {
namespace {

using testing::FakeDialog;
using testing::FakeDialogFactory;
using testing::FakePlatform;
using testing::MemoryFileSystem;

class DialogInstallUiTest : public ::testing::Test {
protected:
    DialogInstallUiTest() {
        AddInstallMedium(fake);
        fake.files.AddFile("D:\\Misc\\comm.drv", "good driver",
                           MemoryFileSystem::PackDateTime(1992, 10, 3, 3, 10, 0));
        fake.files.AddDirectory("C:\\Users\\ann\\Programs");
        fake.registry.SetString(kHkeyCurrentUser, kShellFoldersKey, "Programs",
                                "C:\\Users\\ann\\Programs");
    }
    // Opens the installer and records what the user meets: each question
    // (answered from answers, No when they run out), box and modal dialog.
    void Open() {
        forms = std::make_unique<Forms>(factory, fake.platform);
        main = factory.Of(IDD_MAIN);
        meter = factory.Of(IDD_COPYMETER);
        factory.Of(IDD_YESNO)->whileModal = [this](FakeDialog& box) {
            trace.push_back("ask " + box.Control(IDT_YESNO_TOP).Text() + " | " +
                            box.Control(IDT_YESNO_BOT).Text());
            const bool yes = !answers.empty() && answers.front();
            if (!answers.empty()) answers.pop_front();
            box.Click(yes ? IDB_YESNO_YES : IDB_YESNO_NO);
        };
        fake.boxes.whileShown = [this](const auto& box) { trace.push_back("box " + box.caption); };
        factory.Of(IDD_NTRIGHTS)->whileModal = [this](FakeDialog&) { trace.push_back("rights"); };
        factory.Of(IDD_TXTVIEWER)->whileModal = [this](FakeDialog&) {
            trace.push_back("view " + forms->TxtViewerDlg().FileName);
        };
        main->Show();
    }
    void Install(std::deque<bool> given) {
        answers = std::move(given);
        main->Click(IDB_MAIN_INSTALL);
    }

    FakePlatform fake;
    FakeDialogFactory factory{&fake.loop, &fake.files};
    std::unique_ptr<Forms> forms;
    FakeDialog* main = nullptr;
    FakeDialog* meter = nullptr;
    std::deque<bool> answers;
    std::vector<std::string> trace;
};

TEST_F(DialogInstallUiTest, QuestionsOutcomesAndDialogsReachTheUserInTheirOwnForms) {
    fake.system.platformId = kPlatformWin32Windows;
    fake.files.AddFile("A:\\mic1.mdf", "mic");
    fake.boxes.answers = {kIdOk, kIdOk};
    Open();
    std::string registered;
    factory.Of(IDD_PRODREG)->whileModal = [&](FakeDialog&) {
        registered = forms->ProdRegDlg().ProdVersion + " " + forms->ProdRegDlg().AppDir;
    };
    Install({true, true, false, false, false});
    EXPECT_EQ(trace, (std::vector<std::string>{
                         "ask Ready to begin installation: C:\\Mivox | Continue ?",
                         "ask Do you have an MDF Mic floppy, place it in Drive A: | "
                         "Copy MDF from A:\\ to C:\\Mivox\\MDF ?",
                         "box MDF copy complete, remember to install the MDF file.",
                         "ask Shortcuts for All Users or Current User | Install for All Users ?",
                         "ask Product Group Shortcut Folder | "
                         "Do you wish a copy placed on your Desktop ?",
                         "view C:\\Mivox\\RELEASE.TXT",
                         "view C:\\Mivox\\README.TXT",
                         "box Serial port driver COMM.DRV may be defective",
                         "ask The system must Reboot to complete the installation. | "
                         "Shutdown/Reboot the system now ?",
                     }));
    EXPECT_EQ(registered, "4.10.0.3 C:\\Mivox\\");
    ASSERT_EQ(fake.boxes.shown.size(), 2u);
    EXPECT_EQ(fake.boxes.shown[0].style, kMbOk | kMbIconExclamation);
    EXPECT_EQ(fake.boxes.shown[1].style, kMbOkCancel | kMbIconQuestion);
    EXPECT_EQ(fake.boxes.shown[1].text, "Replace with known good driver ?");
    EXPECT_FALSE(main->IsVisible());
}

TEST_F(DialogInstallUiTest, ARefusalIsAWarningBoxAndMissingRightsTheRightsDialog) {
    Open();
    main->Type(IDE_MAIN_DIR, "");
    Install({true});
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "Invalid/Empty Directory");
    EXPECT_EQ(fake.boxes.shown[0].style, kMbOk | kMbIconExclamation);
    fake.security.processToken.groups = {{"S-1-1-0", 0}};
    Install({true});
    EXPECT_EQ(trace, (std::vector<std::string>{"box Invalid/Empty Directory", "rights"}));
    EXPECT_TRUE(main->IsVisible());
}

TEST_F(DialogInstallUiTest, ANewerFileIsAskedAboutInAYesNoBoxWhoseDefaultKeepsIt) {
    fake.files.AddFile("C:\\Mivox\\README.TXT", "mine",
                       MemoryFileSystem::PackDateTime(2030, 1, 1, 0, 0, 0));
    Open();
    Install({true, false, false, false, false});
    ASSERT_FALSE(fake.boxes.shown.empty());
    EXPECT_EQ(fake.boxes.shown[0].caption, "C:\\Mivox\\README.TXT already exists and is newer");
    EXPECT_EQ(fake.boxes.shown[0].style, kMbYesNo | kMbIconQuestion | kMbDefButton2);
    EXPECT_EQ(fake.files.Find("C:\\Mivox\\README.TXT")->contents, "mine");
}

TEST_F(DialogInstallUiTest, ClicksDuringTheCopyAreHeldOffAndCancelAllowsAnotherClick) {
    Open();
    bool heldOff = false;
    std::vector<bool> enabled;
    // The user, between two files, clicks Install and Exit and the close box
    // of the main dialog, types another folder, then presses Cancel.
    fake.loop.pending.assign(50, [&] {
        if (!meter->IsVisible() || meter->Result() != kIdOk) return;
        enabled.push_back(main->Control(IDE_MAIN_DIR).IsEnabled());
        enabled.push_back(main->Control(IDB_MAIN_PATH).IsEnabled());
        main->Type(IDE_MAIN_DIR, "Elsewhere");
        main->Click(IDB_MAIN_INSTALL);
        main->Click(IDB_MAIN_EXIT);
        main->CloseBox();
        heldOff = main->IsVisible() && main->closeCount == 0;
        meter->Click(IDB_COPYMETER_CANCEL);
    });
    Install({true, true});
    fake.loop.pending.clear();
    EXPECT_TRUE(heldOff);
    EXPECT_EQ(enabled, std::vector<bool>(enabled.size(), false));
    EXPECT_EQ(trace.size(), 1u);
    EXPECT_FALSE(meter->IsVisible());
    EXPECT_TRUE(main->IsVisible());
    EXPECT_TRUE(main->Control(IDE_MAIN_DIR).IsEnabled()) << "on again for another attempt";
    EXPECT_TRUE(main->Control(IDB_MAIN_PATH).IsEnabled());
    EXPECT_EQ(main->Control(IDG_MAIN_PATH).Text(), "Installation: C:\\Mivox");

    Install({true, false, false, false, false});
    EXPECT_EQ(trace.front(), trace.at(1));  // the confirmation again
    EXPECT_FALSE(main->IsVisible());
}

TEST_F(DialogInstallUiTest, AStepThatRaisesIsReportedAndFreesTheButton) {
    fake.files.FailOn(MemoryFileSystem::Op::Write, "C:\\Mivox\\Install.Log", kErrorDiskFull);
    Open();
    Install({true, true, true, true, true});
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "Setup.exe");
    EXPECT_TRUE(main->IsVisible());
    EXPECT_FALSE(meter->IsVisible());
    EXPECT_EQ(trace.size(), 2u);  // the confirmation and the error report
    Install({false});             // the button works again
    EXPECT_EQ(trace.size(), 3u);
}

}  // namespace
}  // namespace mivox
