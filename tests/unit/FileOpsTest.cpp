#include "util/FileOps.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "install/UndoJournal.h"
#include "util/Errors.h"

namespace mivox {
namespace {

using testing::FakePlatform;
using testing::MemoryFileSystem;
using Op = MemoryFileSystem::Op;

constexpr char kSource[] = "D:\\APP\\MIVOX.EXE";
constexpr char kDest[] = "C:\\Mivox\\MIVOX.EXE";
const PackedDateTime kSourceAge = MemoryFileSystem::PackDateTime(2001, 3, 9, 10, 0, 0);

class CopyOneFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake.files.AddFile(kSource, "new", kSourceAge);
        fake.files.AddDirectory("C:\\Mivox");
    }
    // A destination whose packed age is that of the source plus delta.
    void AddDest(PackedDateTime delta) { fake.files.AddFile(kDest, "old", kSourceAge + delta); }
    std::string DestContents() { return fake.files.Find(kDest)->contents; }

    FakePlatform fake;
};

TEST_F(CopyOneFileTest, NewerByTheToleranceIsOverwrittenWithoutAsking) {
    AddDest(2);
    EXPECT_TRUE(CopyOneFile(fake.machine(), fake.talk, kDest, kSource, true));
    EXPECT_TRUE(fake.boxes.shown.empty());
    EXPECT_EQ(DestContents(), "new");
}

TEST_F(CopyOneFileTest, NewerBeyondTheToleranceAsksAndNoKeepsTheFile) {
    AddDest(3);
    fake.boxes.answers = {kIdNo};
    EXPECT_FALSE(CopyOneFile(fake.machine(), fake.talk, kDest, kSource, true));
    ASSERT_EQ(fake.boxes.shown.size(), 1u) << "No gives no further box";
    EXPECT_EQ(fake.boxes.shown[0].caption, std::string(kDest) + " already exists and is newer");
    EXPECT_EQ(fake.boxes.shown[0].text, "Do you wish to overwrite this file?");
    EXPECT_EQ(fake.boxes.shown[0].style, kMbYesNo | kMbIconQuestion | kMbDefButton2);
    EXPECT_EQ(DestContents(), "old");
}

TEST_F(CopyOneFileTest, YesOverwritesTheNewerFile) {
    AddDest(3);
    fake.boxes.answers = {kIdYes};
    EXPECT_TRUE(CopyOneFile(fake.machine(), fake.talk, kDest, kSource, true));
    EXPECT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(DestContents(), "new");
}

TEST_F(CopyOneFileTest, NoQuestionWithoutTheCheckOrWithoutADestination) {
    EXPECT_TRUE(CopyOneFile(fake.machine(), fake.talk, kDest, kSource, true));
    fake.files.Find(kDest)->age = kSourceAge + 100;
    fake.files.Find(kDest)->contents = "old";
    EXPECT_TRUE(CopyOneFile(fake.machine(), fake.talk, kDest, kSource, false));
    EXPECT_TRUE(fake.boxes.shown.empty());
    EXPECT_EQ(DestContents(), "new");
}

TEST_F(CopyOneFileTest, MissingSourceAsksThenFailsWithTheCopyWarning) {
    AddDest(-1000);
    fake.boxes.answers = {kIdYes};
    EXPECT_FALSE(CopyOneFile(fake.machine(), fake.talk, kDest, "D:\\APP\\GONE.EXE", true));
    ASSERT_EQ(fake.boxes.shown.size(), 2u) << "an older dest is still newer than -1";
    EXPECT_EQ(fake.boxes.shown[1].caption, "Error Copying File: D:\\APP\\GONE.EXE");
    EXPECT_EQ(fake.boxes.shown[1].text, kDest);
    EXPECT_EQ(fake.boxes.shown[1].style, kMbOk | kMbIconExclamation);
}

TEST_F(CopyOneFileTest, ReadOnlySourceGivesAWritableCopy) {
    fake.files.Find(kSource)->attributes = kAttrReadOnly | kAttrHidden;
    EXPECT_TRUE(CopyOneFile(fake.machine(), fake.talk, kDest, kSource, false));
    EXPECT_EQ(fake.files.GetAttributes(kDest), kAttrNormal);
}

TEST_F(CopyOneFileTest, AttributeResetFailureFailsTheCopy) {
    fake.files.FailOn(Op::SetAttributes, kDest, kErrorAccessDenied);
    EXPECT_FALSE(CopyOneFile(fake.machine(), fake.talk, kDest, kSource, false));
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].text, kDest);
}

TEST_F(CopyOneFileTest, WhatTheLoopKnowsSparesOnlyTheCallsItAnswers) {
    // A failing attribute reset shows whether the copy asked for one.
    struct Case {
        uint32_t sourceAttributes;
        bool resetAsked;
    } cases[] = {
        {kAttrArchive, false}, {kAttrNormal, false}, {kAttrReadOnly | kAttrArchive, true},
        {kAttrHidden, true},   {kAttrSystem, true},  {kInvalidAttributes, true},  // not known
    };
    for (const Case& c : cases) {
        FakePlatform t;
        t.files.AddFile(
            kSource, "new", kSourceAge,
            c.sourceAttributes == kInvalidAttributes ? kAttrArchive : c.sourceAttributes);
        t.files.AddDirectory("C:\\Mivox");
        t.files.FailOn(Op::SetAttributes, kDest, kErrorAccessDenied);
        EXPECT_EQ(
            CopyOneFile(t.machine(), t.talk, kDest, kSource, true, {c.sourceAttributes, false}),
            !c.resetAsked)
            << c.sourceAttributes;
        EXPECT_EQ(t.boxes.shown.size(), c.resetAsked ? 1u : 0u) << c.sourceAttributes;
        EXPECT_EQ(t.files.Find(kDest)->contents, "new");
    }

    // A dest the folder's search listed is still compared and asked about.
    AddDest(3);
    fake.boxes.answers = {kIdNo};
    EXPECT_FALSE(
        CopyOneFile(fake.machine(), fake.talk, kDest, kSource, true, {kAttrArchive, true}));
    EXPECT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(DestContents(), "old");
}

TEST_F(CopyOneFileTest, OtherCopyFailuresAreShownAndNotRetried) {
    fake.files.FailOn(Op::Copy, kDest, kErrorAccessDenied);
    EXPECT_FALSE(CopyOneFile(fake.machine(), fake.talk, kDest, kSource, false));
    EXPECT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.files.Find("C:\\Mivox\\MIVOX.EX_"), nullptr);
    EXPECT_TRUE(fake.files.restartMoves.empty());
}

TEST_F(CopyOneFileTest, InUseOnNtIsDeletedAndRenamedAtRestart) {
    AddDest(0);
    fake.files.FailOn(Op::Copy, kDest, kErrorSharingViolation);
    EXPECT_TRUE(CopyOneFile(fake.machine(), fake.talk, kDest, kSource, true));
    EXPECT_TRUE(fake.boxes.shown.empty());
    EXPECT_EQ(fake.files.Find("C:\\Mivox\\MIVOX.EX_")->contents, "new");
    const std::vector<std::pair<std::string, std::string>> moves{{kDest, ""},
                                                                 {"C:\\Mivox\\MIVOX.EX_", kDest}};
    EXPECT_EQ(fake.files.restartMoves, moves);
    EXPECT_EQ(DestContents(), "old");
    EXPECT_EQ(fake.files.Find("C:\\WINDOWS\\WININIT.INI"), nullptr);
}

// The undo journal looks at the destination and copies it away around the
// copy; on the real system such calls change the thread's last error. The
// copy's own result still tells that the file is in use.
TEST_F(CopyOneFileTest, InUseUnderTheUndoJournalIsStillReplacedAtRestart) {
    AddDest(0);
    fake.files.FailOn(Op::Copy, kDest, kErrorSharingViolation);
    fake.system.lastError = kErrorFileNotFound;  // as a probe for a missing file leaves it
    UndoJournal journal(fake.files, fake.registry, fake.shell);
    const Machine watched{journal.Files(), fake.registry, fake.shell,
                          fake.security,   fake.system,   fake.clock};
    EXPECT_TRUE(CopyOneFile(watched, fake.talk, kDest, kSource, false));
    EXPECT_TRUE(fake.boxes.shown.empty());
    const std::vector<std::pair<std::string, std::string>> moves{{kDest, ""},
                                                                 {"C:\\Mivox\\MIVOX.EX_", kDest}};
    EXPECT_EQ(fake.files.restartMoves, moves);
    EXPECT_TRUE(journal.RestartNeeded());
}

TEST_F(CopyOneFileTest, InUseOn98IsListedInWininit) {
    fake.system.platformId = kPlatformWin32Windows;
    fake.files.AddDirectory("C:\\WINDOWS");
    fake.files.AddFile("D:\\APP\\HELP.HLP", "help");
    fake.files.FailOn(Op::Copy, kDest, kErrorSharingViolation);
    fake.files.FailOn(Op::Copy, "C:\\Mivox\\HELP.HLP", kErrorSharingViolation);
    EXPECT_TRUE(CopyOneFile(fake.machine(), fake.talk, kDest, kSource, false));
    EXPECT_TRUE(
        CopyOneFile(fake.machine(), fake.talk, "C:\\Mivox\\HELP.HLP", "D:\\APP\\HELP.HLP", false));
    EXPECT_TRUE(fake.files.restartMoves.empty());
    // The second file's "NUL" replaces the first's; each rename line stays.
    EXPECT_EQ(fake.files.Find("C:\\WINDOWS\\WININIT.INI")->contents,
              "[Rename]\r\n"
              "NUL=C:\\Mivox\\HELP.HLP\r\n"
              "C:\\Mivox\\MIVOX.EXE=C:\\Mivox\\MIVOX.EX_\r\n"
              "C:\\Mivox\\HELP.HLP=C:\\Mivox\\HELP.HL_\r\n");
}

TEST_F(CopyOneFileTest, InUseWhoseTemporaryCopyFailsShowsTheTemporaryName) {
    fake.files.FailOn(Op::Copy, kDest, kErrorSharingViolation);
    fake.files.FailOn(Op::Copy, "C:\\Mivox\\MIVOX.EX_", kErrorDiskFull);
    EXPECT_FALSE(CopyOneFile(fake.machine(), fake.talk, kDest, kSource, false));
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, std::string("Error Copying File: ") + kSource);
    EXPECT_EQ(fake.boxes.shown[0].text, "C:\\Mivox\\MIVOX.EX_");
    EXPECT_TRUE(fake.files.restartMoves.empty());
}

TEST(DirectoryPartTest, KeepsTheBackslashOnlyAfterADriveOrAnotherBackslash) {
    EXPECT_EQ(DirectoryPart("C:\\ZEM\\Mivox\\App\\"), "C:\\ZEM\\Mivox\\App");
    EXPECT_EQ(DirectoryPart("C:\\ZEM\\Mivox\\App\\Mivox.EXE"), "C:\\ZEM\\Mivox\\App");
    EXPECT_EQ(DirectoryPart("C:\\"), "C:\\");
    EXPECT_EQ(DirectoryPart("C:\\Mivox.EXE"), "C:\\");
    EXPECT_EQ(DirectoryPart("C:Mivox.EXE"), "C:");
    EXPECT_EQ(DirectoryPart("\\\\server\\"), "\\\\server");
    EXPECT_EQ(DirectoryPart("\\\\"), "\\\\");
    EXPECT_EQ(DirectoryPart("Mivox.EXE"), "");
}

TEST(MakeFileDirTest, CreatesOneLevelAndReportsAMissingParent) {
    FakePlatform fake;
    fake.files.AddDirectory("C:\\ZEM");
    EXPECT_TRUE(MakeFileDir(fake.files, fake.talk, "C:\\ZEM\\Mivox\\"));
    EXPECT_TRUE(fake.files.DirectoryExists("C:\\ZEM\\Mivox"));
    EXPECT_TRUE(MakeFileDir(fake.files, fake.talk, "C:\\ZEM\\Mivox\\"));
    EXPECT_TRUE(MakeFileDir(fake.files, fake.talk, "C:\\"));
    EXPECT_TRUE(fake.boxes.shown.empty());

    EXPECT_FALSE(MakeFileDir(fake.files, fake.talk, "C:\\ZEM\\Other\\App\\"));
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "Error Creating Directory");
    EXPECT_EQ(fake.boxes.shown[0].text, "C:\\ZEM\\Other\\App");
    EXPECT_FALSE(fake.files.DirectoryExists("C:\\ZEM\\Other"));
}

TEST(DeleteOneFileTest, DeletesWhateverTheAttributesAndReportsAMissingFile) {
    FakePlatform fake;
    fake.files.AddFile("A:\\LOCKED.DAT", "x", 0, kAttrReadOnly | kAttrHidden | kAttrSystem);
    DeleteOneFile(fake.files, fake.talk, "A:\\LOCKED.DAT");
    EXPECT_EQ(fake.files.Find("A:\\LOCKED.DAT"), nullptr);
    EXPECT_TRUE(fake.boxes.shown.empty());

    DeleteOneFile(fake.files, fake.talk, "A:\\LOCKED.DAT");
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "File Not Found, Cannot Delete File");
    EXPECT_EQ(fake.boxes.shown[0].text, "A:\\LOCKED.DAT");
}

TEST(ClearFileAttrsTest, KeepsEveryOtherAttribute) {
    FakePlatform fake;
    fake.files.AddFile("C:\\F.TXT", "", 0,
                       kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive);
    fake.files.AddDirectory("C:\\DIR", kAttrHidden | kAttrReadOnly);
    ClearFileAttrs(fake.files, "C:\\F.TXT");
    ClearFileAttrs(fake.files, "C:\\DIR");
    ClearFileAttrs(fake.files, "C:\\MISSING.TXT");
    EXPECT_EQ(fake.files.GetAttributes("C:\\F.TXT"), kAttrArchive);
    EXPECT_EQ(fake.files.GetAttributes("C:\\DIR"), kAttrDirectory);
}

TEST(EmptyDriveTest, RemovesDeepLongNamedAndManyFoldersButKeepsTheRoot) {
    FakePlatform fake;
    fake.files.AddFile("A:\\MIVOX.001", "part");
    fake.files.AddFile("A:\\HIDDEN.SYS", "x", 0, kAttrHidden | kAttrSystem | kAttrReadOnly);
    // Beyond the 40 characters and 100 folders that an older walk held.
    const std::string deep =
        "A:\\A folder with a rather long name\\and another long one below it\\LEVEL3\\LEVEL4";
    fake.files.AddFile(deep + "\\DATA.MDF", "d", 0, kAttrReadOnly);
    for (int i = 0; i < 120; ++i) {
        fake.files.AddFile("A:\\MANY\\SUB" + std::to_string(i) + "\\F.TXT", "f");
    }
    fake.files.AddDirectory("A:\\RO", kAttrReadOnly | kAttrHidden | kAttrSystem);
    fake.files.AddFile("A:\\RO\\INNER.TXT", "i", 0, kAttrHidden);

    EmptyDrive(fake.files, fake.talk, "A:");
    EXPECT_EQ(fake.files.List(), std::vector<std::string>{"A:\\"}) << "only the root is left";
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST(EmptyDriveTest, AJunctionIsRemovedAndWhatItPointsAtStays) {
    FakePlatform fake;
    fake.files.AddFile("C:\\DATA\\KEEP.MDF", "k", 0, kAttrReadOnly | kAttrHidden);
    fake.files.AddFile("C:\\DATA\\SUB\\DEEP.MDF", "d");
    fake.files.AddFile("A:\\MIVOX.001", "part");
    fake.files.AddLink("A:\\LINKED", "C:\\DATA");
    ASSERT_TRUE(fake.files.FileExists("A:\\LINKED\\SUB\\DEEP.MDF")) << "the link leads there";

    EmptyDrive(fake.files, fake.talk, "A:");
    EXPECT_EQ(fake.files.List(),
              (std::vector<std::string>{"A:\\", "C:\\", "C:\\DATA", "C:\\DATA\\KEEP.MDF",
                                        "C:\\DATA\\SUB", "C:\\DATA\\SUB\\DEEP.MDF"}));
    EXPECT_EQ(fake.files.Find("C:\\DATA\\KEEP.MDF")->attributes, kAttrReadOnly | kAttrHidden);
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST(EmptyDriveTest, AFolderThatCannotBeRemovedRaisesAnIoError) {
    FakePlatform fake;
    fake.files.AddFile("A:\\KEEP\\F.TXT", "f");
    fake.files.AddFile("A:\\OTHER.TXT", "o");
    fake.files.FailOn(Op::RemoveDir, "A:\\KEEP", 145);
    try {
        EmptyDrive(fake.files, fake.talk, "A:");
        ADD_FAILURE() << "no IoError";
    } catch (const IoError& error) {
        EXPECT_STREQ(error.what(), "Cannot remove the folder A:\\KEEP (error 145)");
    }
    EXPECT_EQ(fake.files.List(), (std::vector<std::string>{"A:\\", "A:\\KEEP"}))
        << "the files go first";
}

TEST(GetFileByteCountTest, SizeOfAFileZeroForNoneAndAnIoErrorWhenUnreadable) {
    FakePlatform fake;
    fake.files.AddFile("C:\\ARCHIVE.EXE", std::string(3'000'001, 'x'));
    EXPECT_EQ(GetFileByteCount(fake.files, "C:\\ARCHIVE.EXE"), 3'000'001);
    EXPECT_EQ(GetFileByteCount(fake.files, "C:\\NONE.EXE"), 0);
    fake.files.FailOn(Op::Read, "C:\\ARCHIVE.EXE", kErrorSharingViolation);
    try {
        GetFileByteCount(fake.files, "C:\\ARCHIVE.EXE");
        ADD_FAILURE() << "no IoError";
    } catch (const IoError& error) {
        EXPECT_STREQ(error.what(), "Cannot read the size of C:\\ARCHIVE.EXE (error 32)");
    }
}

}  // namespace
}  // namespace mivox
