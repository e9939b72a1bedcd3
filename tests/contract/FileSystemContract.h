// What the installer relies on from the file system, checked against both the
// real system (under Wine) and the in-memory double, so that the native tests
// of the logic stand on the same behaviour as the real program.
//
// A test file includes this header and defines MakeFileSystemUnderTest().
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "platform/FileSystem.h"

namespace mivox::contract {

constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorDirNotEmpty = 145;

struct FileSystemUnderTest {
    std::string root;  // an empty folder, without trailing backslash
    FileSystem* files;
    std::shared_ptr<void> owner;  // keeps root and files alive
    // Holds an existing file open without sharing, as a running program
    // holds its own executable, until the returned holder goes.
    std::function<std::shared_ptr<void>(const std::string& path)> holdOpen;
};

FileSystemUnderTest MakeFileSystemUnderTest();

class FileSystemContract : public ::testing::Test {
protected:
    void SetUp() override {
        under = MakeFileSystemUnderTest();
        root = under.root;
        fs = under.files;
    }
    bool Write(const std::string& path, const std::string& text) {
        auto file = fs->CreateOutputFile(path);
        return file && file->Write(text) && file->Close();
    }
    std::string Read(const std::string& path) {
        std::string text;
        EXPECT_TRUE(fs->ReadAll(path, text)) << path;
        return text;
    }
    std::vector<std::string> Names(const std::string& pattern) {
        std::vector<std::string> names;
        for (const FindData& entry : fs->FindEntries(pattern)) names.push_back(entry.name);
        std::sort(names.begin(), names.end());
        return names;
    }

    FileSystemUnderTest under;
    std::string root;
    FileSystem* fs = nullptr;
};

TEST_F(FileSystemContract, CreatesOneDirectoryLevelAtATime) {
    EXPECT_EQ(fs->CreateDir(root + "\\A\\B").Error(), kErrorPathNotFound);
    EXPECT_TRUE(fs->CreateDir(root + "\\A"));
    EXPECT_TRUE(fs->CreateDir(root + "\\A\\B"));
    EXPECT_TRUE(fs->DirectoryExists(root + "\\a\\b"));
    EXPECT_EQ(fs->CreateDir(root + "\\A").Error(), kErrorAlreadyExists);
    EXPECT_EQ(fs->RemoveDir(root + "\\A").Error(), kErrorDirNotEmpty);
    EXPECT_TRUE(fs->RemoveDir(root + "\\A\\B"));
    EXPECT_TRUE(fs->RemoveDir(root + "\\A"));
    EXPECT_FALSE(fs->DirectoryExists(root + "\\A"));
}

TEST_F(FileSystemContract, WritesReadsAndFindsFiles) {
    ASSERT_TRUE(fs->CreateDir(root + "\\Sub"));
    ASSERT_TRUE(Write(root + "\\Sub\\Data.Txt", std::string("line\r\n\0end", 11)));
    EXPECT_EQ(Read(root + "\\SUB\\DATA.TXT"), std::string("line\r\n\0end", 11));
    EXPECT_TRUE(fs->FileExists(root + "\\sub\\data.txt"));
    EXPECT_FALSE(fs->DirectoryExists(root + "\\sub\\data.txt"));

    const auto entries = fs->FindEntries(root + "\\Sub\\*.*");
    EXPECT_EQ(Names(root + "\\Sub\\*.*"), (std::vector<std::string>{".", "..", "Data.Txt"}));
    for (const FindData& entry : entries) {
        if (entry.name == "Data.Txt") {
            EXPECT_EQ(entry.size, 11);
            EXPECT_FALSE(entry.attributes & kAttrDirectory);
        } else {
            EXPECT_TRUE(entry.attributes & kAttrDirectory);
        }
    }
    EXPECT_EQ(Names(root + "\\*.*"), (std::vector<std::string>{".", "..", "Sub"}));
    EXPECT_TRUE(fs->FindEntries(root + "\\Missing\\*.*").empty());
    EXPECT_EQ(fs->FindEntries(root + "\\Sub\\Data.Txt").size(), 1u);
}

TEST_F(FileSystemContract, CopiesWithTheSystemsRules) {
    ASSERT_TRUE(Write(root + "\\src.bin", "new"));
    ASSERT_TRUE(Write(root + "\\dst.bin", "old"));
    EXPECT_EQ(fs->Copy(root + "\\src.bin", root + "\\dst.bin", true).Error(), kErrorFileExists);
    EXPECT_EQ(Read(root + "\\dst.bin"), "old");
    EXPECT_TRUE(fs->Copy(root + "\\src.bin", root + "\\dst.bin", false));
    EXPECT_EQ(Read(root + "\\dst.bin"), "new");
    EXPECT_EQ(fs->FileAge(root + "\\dst.bin"), fs->FileAge(root + "\\src.bin"))
        << "a copy keeps the source's time";

    EXPECT_EQ(fs->Copy(root + "\\none.bin", root + "\\x.bin", false).Error(), kErrorFileNotFound);
    EXPECT_EQ(fs->Copy(root + "\\src.bin", root + "\\NoDir\\x.bin", false).Error(),
              kErrorPathNotFound);
}

TEST_F(FileSystemContract, FailuresCarryTheSystemsCode) {
    const std::string none = root + "\\none.txt";
    const std::string noFolder = root + "\\NoDir\\x.txt";
    int64_t size = -1;
    std::string text = "kept";
    const struct {
        const char* call;
        IoResult result;
        uint32_t error;
    } cases[] = {
        {"Delete a missing file", fs->Delete(none), kErrorFileNotFound},
        {"SetAttributes of a missing file", fs->SetAttributes(none, kAttrNormal),
         kErrorFileNotFound},
        {"SetFileAge of a missing file", fs->SetFileAge(none, kOldestFileAge), kErrorFileNotFound},
        {"FileSize of a missing file", fs->FileSize(none, size), kErrorFileNotFound},
        {"ReadAll of a missing file", fs->ReadAll(none, text), kErrorFileNotFound},
        {"CreateOutputFile in a missing folder", fs->CreateOutputFile(noFolder).Result(),
         kErrorPathNotFound},
        {"WriteIniString in a missing folder", fs->WriteIniString(noFolder, "S", "K", "V"),
         kErrorPathNotFound},
    };
    for (const auto& c : cases) EXPECT_EQ(c.result.Error(), c.error) << c.call;
    EXPECT_EQ(size, -1);
    EXPECT_EQ(text, "kept");
}

TEST_F(FileSystemContract, AFileHeldOpenWithoutSharingRefusesWithASharingViolation) {
    const std::string held = root + "\\held.exe";
    ASSERT_TRUE(Write(held, "running"));
    ASSERT_TRUE(Write(root + "\\new.exe", "new"));
    {
        const auto holder = under.holdOpen(held);
        ASSERT_TRUE(holder);
        int64_t size = 0;
        std::string text;
        EXPECT_EQ(fs->Copy(root + "\\new.exe", held, false).Error(), kErrorSharingViolation);
        EXPECT_EQ(fs->Delete(held).Error(), kErrorSharingViolation);
        EXPECT_EQ(fs->ReadAll(held, text).Error(), kErrorSharingViolation);
        EXPECT_EQ(fs->FileSize(held, size).Error(), kErrorSharingViolation);
        EXPECT_TRUE(fs->FileExists(held)) << "its entry stays";
    }
    EXPECT_EQ(Read(held), "running");
    EXPECT_TRUE(fs->Copy(root + "\\new.exe", held, false)) << "free once let go";
}

TEST_F(FileSystemContract, SetsTheLastWriteTimeInLocalTime) {
    ASSERT_TRUE(Write(root + "\\old.txt", "x"));
    const PackedDateTime age =
        (((1998 - 1980) << 25) | (5 << 21) | (11 << 16)) | (14 << 11) | (30 << 5);
    EXPECT_TRUE(fs->SetFileAge(root + "\\old.txt", age));
    EXPECT_EQ(fs->FileAge(root + "\\old.txt"), age);
    EXPECT_FALSE(fs->SetFileAge(root + "\\none.txt", age));
}

TEST_F(FileSystemContract, AttributesTravelWithACopyAndCanBeCleared) {
    ASSERT_TRUE(Write(root + "\\ro.txt", "x"));
    ASSERT_TRUE(fs->SetAttributes(root + "\\ro.txt", kAttrReadOnly | kAttrHidden));
    EXPECT_TRUE(fs->GetAttributes(root + "\\ro.txt") & kAttrReadOnly);
    ASSERT_TRUE(fs->Copy(root + "\\ro.txt", root + "\\copy.txt", false));
    EXPECT_TRUE(fs->GetAttributes(root + "\\copy.txt") & kAttrReadOnly);
    ASSERT_TRUE(fs->SetAttributes(root + "\\copy.txt", kAttrNormal));
    EXPECT_EQ(fs->GetAttributes(root + "\\copy.txt") & (kAttrReadOnly | kAttrHidden), 0u);
    EXPECT_TRUE(fs->Delete(root + "\\copy.txt"));
    EXPECT_FALSE(fs->FileExists(root + "\\copy.txt"));
    EXPECT_EQ(fs->GetAttributes(root + "\\copy.txt"), kInvalidAttributes);
    EXPECT_FALSE(fs->Delete(root + "\\copy.txt"));
    EXPECT_TRUE(fs->GetAttributes(root) & kAttrDirectory);
    ASSERT_TRUE(fs->SetAttributes(root + "\\ro.txt", kAttrNormal));
}

TEST_F(FileSystemContract, ProfileStringsReplaceKeysInTheirSection) {
    const std::string ini = root + "\\WININIT.INI";
    EXPECT_TRUE(fs->WriteIniString(ini, "Rename", "NUL", "C:\\A\\X.EXE"));
    EXPECT_TRUE(fs->WriteIniString(ini, "Rename", "C:\\A\\X.EXE", "C:\\A\\X.EX_"));
    EXPECT_TRUE(fs->WriteIniString(ini, "Rename", "NUL", "C:\\A\\Y.DLL"));
    EXPECT_EQ(Read(ini), "[Rename]\r\nNUL=C:\\A\\Y.DLL\r\nC:\\A\\X.EXE=C:\\A\\X.EX_\r\n");
}

TEST_F(FileSystemContract, ShortPathNamesAnExistingFileOnly) {
    ASSERT_TRUE(fs->CreateDir(root + "\\Long Folder Name"));
    const std::string log = root + "\\Long Folder Name\\Install.Log";
    ASSERT_TRUE(Write(log, "line\r\n"));
    const std::string shortPath = fs->ShortPathName(log);
    ASSERT_FALSE(shortPath.empty());
    EXPECT_EQ(Read(shortPath), "line\r\n");
    EXPECT_EQ(fs->ShortPathName(root + "\\Long Folder Name\\Missing.Log"), "");
}

}  // namespace mivox::contract
