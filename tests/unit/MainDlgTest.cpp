#include "app/MainDlg.h"

#include <gtest/gtest.h>

#include "MainDlgRes.h"
#include "fakes/FakeDialog.h"
#include "fakes/FakePlatform.h"

namespace mivox {
namespace {

using testing::FakeDialog;
using testing::FakePlatform;

class MainDlgTest : public ::testing::Test {
protected:
    void Open() {
        dlg = std::make_unique<TMainDlg>(dialog, fake.platform);
        dialog.Bind(*dlg);
        dialog.Show();
    }
    std::string Text(int id) { return dialog.Control(id).Text(); }

    FakePlatform fake;
    FakeDialog dialog;
    std::unique_ptr<TMainDlg> dlg;
};

TEST_F(MainDlgTest, ShowsTheProductProgramOfTheMedium) {
    fake.system.moduleFileName = "E:\\Mivox CD\\Setup.exe";
    fake.files.AddFile("E:\\Mivox CD\\App\\Mivox.EXE", "MZ",
                       testing::MemoryFileSystem::PackDateTime(2001, 3, 9, 10, 0, 0));
    fake.versions.Add("E:\\Mivox CD\\App\\Mivox.EXE", 0x0004000A, 0x0000000A);
    Open();
    EXPECT_EQ(Text(IDT_MAIN_PRODUCT), "Mivox");
    EXPECT_EQ(Text(IDT_MAIN_VERNUM), "4.10.0.10");
    EXPECT_EQ(Text(IDT_MAIN_VERDATE), "Mar/09/2001");
    EXPECT_TRUE(fake.boxes.shown.empty());
    EXPECT_FALSE(Text(IDE_MAIN_LICENSE).empty());
}

TEST_F(MainDlgTest, ProgramNotNamedSetupLooksInTheWrongPlace) {
    fake.system.moduleFileName = "E:\\Install2.exe";
    fake.files.AddFile("E:\\App\\Mivox.EXE", "MZ");
    Open();
    EXPECT_EQ(Text(IDT_MAIN_VERNUM), "?");
    EXPECT_EQ(Text(IDT_MAIN_VERDATE), "?");
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "FileNotFound");
    EXPECT_EQ(fake.boxes.shown[0].text, "E:\\Install2.exe\\App\\Mivox.EXE");
}

TEST_F(MainDlgTest, SetupFolderRemovesOnlyTheProgramName) {
    Open();
    fake.system.moduleFileName = "D:\\setup.EXE";
    EXPECT_EQ(dlg->SetupFolder(), "D:");
    fake.system.moduleFileName = "C:\\Temp\\Mivox10\\SETUP.EXE";
    EXPECT_EQ(dlg->SetupFolder(), "C:\\Temp\\Mivox10");
    fake.system.moduleFileName = "C:\\Temp\\Other.exe";
    EXPECT_EQ(dlg->SetupFolder(), "C:\\Temp\\Other.exe");
}

TEST_F(MainDlgTest, GroupCaptionFollowsTheFolderBox) {
    Open();
    EXPECT_EQ(Text(IDT_MAIN_PATH), "C:\\");
    EXPECT_EQ(Text(IDE_MAIN_DIR), "Mivox");
    EXPECT_EQ(Text(IDG_MAIN_PATH), "Installation: C:\\Mivox");
    dialog.Type(IDE_MAIN_DIR, "Measure");
    EXPECT_EQ(dlg->InstallDir(), "C:\\Measure");
    EXPECT_EQ(Text(IDG_MAIN_PATH), "Installation: C:\\Measure");
}

TEST_F(MainDlgTest, SpaceFiguresAreGroupedInTenPlaces) {
    Open();
    EXPECT_EQ(Text(IDT_MAIN_NEED), "         0");
    EXPECT_EQ(Text(IDT_MAIN_FREE), "         0");
}

TEST_F(MainDlgTest, ExitClosesTheDialog) {
    Open();
    dialog.Click(IDB_MAIN_EXIT);
    EXPECT_FALSE(dialog.IsVisible());
    EXPECT_EQ(dialog.closeCount, 1);
}

}  // namespace
}  // namespace mivox
