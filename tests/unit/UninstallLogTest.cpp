#include "uninstall/UninstallLog.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "registry/RegStuff.h"

namespace mivox {
namespace {

// No product record; the shell folders the written log below uses.
const KnownFolders kFolders{
    "C:\\WINDOWS",
    "C:\\WINDOWS\\system32",
    nullptr,
    {"C:\\Users\\ann\\Start Menu\\Programs", "C:\\WINDOWS\\Start Menu\\Programs"},
    {"C:\\Users\\ann\\Desktop", "C:\\Users\\Public\\Desktop"}};

// A log as the installer writes it, with the desktop copy.
std::string WrittenLog(const std::string& end = "\r\n") {
    const char* lines[] = {
        "*** Installation Started: Jan  7, 2001  Sun 12:05 pm ***",
        "Title: Mivox",
        "File Tree: D:\\Apps\\Mivox\\*.*",
        "RegDB Root: 0",
        "RegDB TREE: SOFTWARE\\Vexlor\\Mivox",
        "RegDB Root: 2",
        "RegDB TREE: SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Mivox.EXE",
        "RegDB Root: 2",
        "RegDB TREE: SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mivox",
        "RegDB Root: 2",
        "Made Dir: C:\\WINDOWS\\Start Menu\\Programs\\Vexlor",
        "File Tree: C:\\WINDOWS\\Start Menu\\Programs\\Vexlor\\Mivox\\*.*",
        "File Tree: C:\\Users\\Public\\Desktop\\Mivox\\*.*",
    };
    std::string text;
    for (const char* line : lines) text += std::string(line) + end;
    return text;
}

const char* Read(const std::string& text, UninstallPlan& plan,
                 const KnownFolders& folders = kFolders) {
    return ReadUninstallLog(text.data(), text.size(), folders, plan);
}

// text with the first occurrence of from replaced by to.
std::string With(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

TEST(UninstallLogTest, ReadsEveryLineKindInOrderWithAnyLineEnd) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        UninstallPlan plan;
        ASSERT_EQ(Read(WrittenLog(end), plan), nullptr) << "line end " << int(end[0]);
        EXPECT_EQ(plan.started.year, 2001);
        EXPECT_EQ(plan.started.month, 1);
        EXPECT_EQ(plan.started.day, 7);
        EXPECT_EQ(plan.started.hour, 12);
        EXPECT_EQ(plan.started.minute, 5);
        ASSERT_EQ(plan.count, 7);
        const struct {
            LogEntry::Kind kind;
            bool product;
            const char* path;
        } expected[] = {
            {LogEntry::kFileTree, true, "D:\\Apps\\Mivox"},
            {LogEntry::kRegistryTree, false, "SOFTWARE\\Vexlor\\Mivox"},
            {LogEntry::kRegistryTree, false,
             "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Mivox.EXE"},
            {LogEntry::kRegistryTree, false,
             "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mivox"},
            {LogEntry::kMadeDir, false, "C:\\WINDOWS\\Start Menu\\Programs\\Vexlor"},
            {LogEntry::kFileTree, false, "C:\\WINDOWS\\Start Menu\\Programs\\Vexlor\\Mivox"},
            {LogEntry::kFileTree, false, "C:\\Users\\Public\\Desktop\\Mivox"},
        };
        for (int i = 0; i < plan.count; ++i) {
            EXPECT_EQ(plan.entries[i].kind, expected[i].kind) << i;
            EXPECT_EQ(plan.entries[i].productTree, expected[i].product) << i;
            EXPECT_STREQ(plan.entries[i].path, expected[i].path) << i;
        }
    }
}

TEST(UninstallLogTest, StartLineGivesTheTwentyFourHourClock) {
    const struct {
        const char* stamp;
        int day, hour, minute;
    } cases[] = {
        {"Feb  1, 2024  Thr 12:30 am", 1, 0, 30},
        {"Feb 29, 2024  Thr  9:05 am", 29, 9, 5},
        {"Feb 29, 2024  Thr 11:59 pm", 29, 23, 59},
    };
    for (const auto& c : cases) {
        UninstallPlan plan;
        const std::string log = With(WrittenLog(), "Jan  7, 2001  Sun 12:05 pm", c.stamp);
        ASSERT_EQ(Read(log, plan), nullptr) << c.stamp;
        EXPECT_EQ(plan.started.month, 2);
        EXPECT_EQ(plan.started.day, c.day);
        EXPECT_EQ(plan.started.hour, c.hour);
        EXPECT_EQ(plan.started.minute, c.minute);
    }
}

TEST(UninstallLogTest, FoldersBesideOrBelowTheWindowsFolderAreFine) {
    for (const char* folder : {"C:\\WINDOWS2\\Mivox", "C:\\WINDOWS\\Start Menu\\Mivox"}) {
        UninstallPlan plan;
        EXPECT_EQ(Read(With(WrittenLog(), "D:\\Apps\\Mivox", folder), plan), nullptr) << folder;
    }
}

TEST(UninstallLogTest, ALogCutShortAtALineEndIsWhatWasDone) {
    // An installation that stopped after the copy wrote only three lines.
    std::string log = WrittenLog();
    log.resize(log.find("RegDB Root: 0"));
    UninstallPlan plan;
    ASSERT_EQ(Read(log, plan), nullptr);
    ASSERT_EQ(plan.count, 1);
    EXPECT_STREQ(plan.entries[0].path, "D:\\Apps\\Mivox");
}

TEST(UninstallLogTest, RefusesDamagedForeignAndDangerousLogs) {
    const std::string log = WrittenLog();
    const struct {
        const char* what;
        const char* problem;  // a part of what the refusal says
        std::string text;
    } cases[] = {
        {"empty", "empty", ""},
        {"cut inside a line", "middle of a line", log.substr(0, log.find("App Paths") + 4)},
        {"cut inside a path of the last line", "middle of a line", log.substr(0, log.size() - 5)},
        {"binary", "not a text file", With(log, "Title", std::string("Ti\0le", 5))},
        {"another product", "another product", With(log, "Title: Mivox", "Title: Other")},
        {"no start line", "does not begin", log.substr(log.find("Title"))},
        {"start line damaged", "does not begin", With(log, "Jan  7", "Jan 77")},
        {"hour 13", "does not begin", With(log, "12:05 pm", "13:05 pm")},
        {"lines swapped", "another product",
         With(log, "Title: Mivox\r\nFile Tree: D:\\Apps\\Mivox\\*.*",
              "File Tree: D:\\Apps\\Mivox\\*.*\r\nTitle: Mivox")},
        {"third line not the product tree", "third line",
         With(log, "File Tree: D:\\Apps\\Mivox\\*.*", "Made Dir: D:\\Apps\\Mivox")},
        {"tree before its root line", "comes before", With(log, "RegDB Root: 0\r\n", "")},
        {"unknown line", "does not write", With(log, "RegDB Root: 0", "RegDB Root: 1")},
        {"tree without pattern", "does not end with", With(log, "Mivox\\*.*", "Mivox")},
        {"bare root", "root folder", With(log, "D:\\Apps\\Mivox\\*.*", "D:\\*.*")},
        {"relative path", "not a full path", With(log, "D:\\Apps\\Mivox\\*.*", "Apps\\Mivox\\*.*")},
        {"network path", "not a full path",
         With(log, "D:\\Apps\\Mivox\\*.*", "\\\\host\\share\\*.*")},
        {"climbs out", "\"..\"", With(log, "D:\\Apps\\Mivox\\*.*", "D:\\Apps\\..\\*.*")},
        {"the Windows folder with a trailing dot", "dot or a blank",
         With(log, "D:\\Apps\\Mivox\\*.*", "C:\\WINDOWS.\\*.*")},
        {"a name with a trailing blank", "dot or a blank",
         With(log, "C:\\WINDOWS\\Start Menu", "C:\\WINDOWS \\Start Menu")},
        {"three dots", "dot or a blank", With(log, "D:\\Apps\\Mivox\\*.*", "D:\\...\\*.*")},
        {"doubled backslash", "empty", With(log, "D:\\Apps\\Mivox\\*.*", "D:\\Apps\\\\Mivox\\*.*")},
        {"Windows folder", "Windows folder", With(log, "D:\\Apps\\Mivox\\*.*", "c:\\windows\\*.*")},
        {"system folder", "system folder",
         With(log, "D:\\Apps\\Mivox\\*.*", "C:\\Windows\\System32\\*.*")},
        {"above the Windows folder made", "root folder",
         With(log, "C:\\WINDOWS\\Start Menu\\Programs\\Vexlor", "C:\\")},
        {"wildcard in a folder", "character", With(log, "D:\\Apps\\Mivox\\*.*", "D:\\Ap*\\*.*")},
        {"too long", "longer", With(log, "D:\\Apps\\Mivox", "D:\\" + std::string(300, 'a'))},
        {"too many lines", "too many lines",
         log +
             [] {
                 std::string more;
                 for (int i = 0; i < kMaxLogEntries; ++i) more += "Made Dir: D:\\Apps\r\n";
                 return more;
             }()},
    };
    for (const auto& c : cases) {
        UninstallPlan plan;
        const char* problem = Read(c.text, plan);
        ASSERT_NE(problem, nullptr) << c.what;
        EXPECT_NE(std::string(problem).find(c.problem), std::string::npos)
            << c.what << ": " << problem;
    }
}

// Only the keys an installation makes, by their whole names; any other key
// refuses the whole log.
TEST(UninstallLogTest, AcceptsOnlyTheProductsOwnKeys) {
    const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    const std::string appPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    const struct {
        std::string key;
        bool accepted;
    } cases[] = {
        {kProductKey, true},
        {kAppPathKey, true},
        {kUninstallKey, true},
        {kDriverServiceKey, true},
        {"software\\vexlor\\MIVOX", true},
        {uninstall + "OtherApp", false},
        {uninstall + "Mivox2", false},
        {uninstall + "Mivox\\Sub", false},
        {uninstall, false},
        {appPaths + "Other.EXE", false},
        {appPaths + "a\\b", false},
        {"SOFTWARE\\Vexlor\\OtherProduct", false},
        {"SOFTWARE\\Vexlor\\Mivox\\Settings", false},
        {"SOFTWARE\\Vexlor", false},
        {"SOFTWARE\\Vexlor\\Mivox ", false},
        {"\\SOFTWARE\\Vexlor\\Mivox", false},
        {"SOFTWARE", false},
        {"SYSTEM\\CurrentControlSet\\Services\\Other", false},
        {kVddKey, false},
    };
    for (const auto& c : cases) {
        UninstallPlan plan;
        const char* problem = Read(With(WrittenLog(), "SOFTWARE\\Vexlor\\Mivox", c.key), plan);
        EXPECT_EQ(problem == nullptr, c.accepted) << c.key << ": " << (problem ? problem : "");
        if (!c.accepted && problem) {
            EXPECT_NE(std::string(problem).find("does not own"), std::string::npos) << c.key;
        }
    }
}

// Trees only where an installation puts them: the product folder (the one
// the record names, where there is a record) and the product's folders of
// shortcuts; made folders only above the product folder or as the maker's
// group. Anything else refuses the whole log.
TEST(UninstallLogTest, AcceptsTreesOnlyWhereTheInstallationPutsThem) {
    const std::string group = "File Tree: C:\\WINDOWS\\Start Menu\\Programs\\Vexlor\\Mivox\\*.*";
    const std::string product = "File Tree: D:\\Apps\\Mivox\\*.*";
    const std::string maker = "Made Dir: C:\\WINDOWS\\Start Menu\\Programs\\Vexlor";
    KnownFolders recorded = kFolders;
    recorded.productDir = "d:\\apps\\MIVOX";
    KnownFolders elsewhere = kFolders;
    elsewhere.productDir = "C:\\Mivox";
    const KnownFolders noShell{"C:\\WINDOWS", "C:\\WINDOWS\\system32", nullptr, {}, {}};
    const struct {
        const char* what;
        std::string from, to;
        const KnownFolders& folders;
        bool accepted;
    } cases[] = {
        {"the written log", group, group, kFolders, true},
        {"the current user's group", group,
         "File Tree: C:\\Users\\ann\\Start Menu\\Programs\\Vexlor\\Mivox\\*.*", kFolders, true},
        {"the current user's desktop copy", "C:\\Users\\Public\\Desktop", "C:\\Users\\ann\\Desktop",
         kFolders, true},
        {"a folder below the Windows folder", group, "File Tree: C:\\windows\\HostileProbe\\*.*",
         kFolders, false},
        {"the user's documents", group, "File Tree: C:\\Users\\ann\\Documents\\*.*", kFolders,
         false},
        {"another group of the maker", group,
         "File Tree: C:\\WINDOWS\\Start Menu\\Programs\\Vexlor\\Other\\*.*", kFolders, false},
        {"the whole program menu", group, "File Tree: C:\\WINDOWS\\Start Menu\\Programs\\*.*",
         kFolders, false},
        {"the whole desktop", "C:\\Users\\Public\\Desktop\\Mivox", "C:\\Users\\Public\\Desktop",
         kFolders, false},
        {"the product folder twice", group, product, kFolders, false},
        {"a group without known shell folders (left)", group, group, noShell, true},
        {"another user's group (left)", group,
         "File Tree: C:\\Users\\bob\\Start Menu\\Programs\\Vexlor\\Mivox\\*.*", kFolders, true},
        {"another folder of that name elsewhere", group, "File Tree: C:\\Data\\Mivox2\\*.*",
         kFolders, false},
        {"the recorded product folder, in other case", product, product, recorded, true},
        {"a product folder the record does not name", product, product, elsewhere, false},
        {"a product folder above the desktop", product, "File Tree: C:\\Users\\*.*", kFolders,
         false},
        {"the desktop as product folder", product, "File Tree: C:\\Users\\ann\\Desktop\\*.*",
         kFolders, false},
        {"a made folder above the product folder", maker, maker + "\r\nMade Dir: D:\\Apps",
         kFolders, true},
        {"a made folder beside it", maker, maker + "\r\nMade Dir: D:\\Other", kFolders, false},
        {"the product folder as made folder", maker, "Made Dir: D:\\Apps\\Mivox", kFolders, false},
        {"a made folder below the product folder", maker, "Made Dir: D:\\Apps\\Mivox\\Sub",
         kFolders, false},
        {"a made folder in the program menu", maker,
         "Made Dir: C:\\WINDOWS\\Start Menu\\Programs\\Other", kFolders, false},
        {"another user's maker group (left)", maker,
         "Made Dir: C:\\Users\\bob\\Start Menu\\Programs\\Vexlor", kFolders, true},
    };
    for (const auto& c : cases) {
        UninstallPlan plan;
        const char* problem = Read(With(WrittenLog(), c.from, c.to), plan, c.folders);
        EXPECT_EQ(problem == nullptr, c.accepted) << c.what << ": " << (problem ? problem : "");
    }
}

// A group another administrator's installation made in their own menu
// cannot be checked against this user's folders: it is left, not removed,
// and the rest of the log still goes.
TEST(UninstallLogTest, GroupsOutsideTheKnownShellFoldersAreLeftNotRefused) {
    UninstallPlan plan;
    const std::string log =
        With(With(WrittenLog(), "C:\\WINDOWS\\Start Menu\\Programs\\Vexlor\\Mivox",
                  "C:\\Users\\bob\\Start Menu\\Programs\\Vexlor\\Mivox"),
             "Made Dir: C:\\WINDOWS\\Start Menu\\Programs\\Vexlor",
             "Made Dir: C:\\Users\\bob\\Start Menu\\Programs\\Vexlor");
    ASSERT_EQ(Read(log, plan), nullptr);
    ASSERT_EQ(plan.count, 7);
    for (int i = 0; i < plan.count; ++i) {
        EXPECT_EQ(plan.entries[i].unchecked, i == 4 || i == 5) << plan.entries[i].path;
    }
}

TEST(UninstallLogTest, MadeFoldersAboveTheProductFolderAreMarked) {
    UninstallPlan plan;
    ASSERT_EQ(Read(With(WrittenLog(), "File Tree: D:\\Apps\\Mivox\\*.*\r\n",
                        "File Tree: D:\\Apps\\Mivox\\*.*\r\nMade Dir: D:\\Apps\r\n"),
                   plan),
              nullptr);
    ASSERT_EQ(plan.count, 8);
    EXPECT_TRUE(plan.entries[1].aboveProduct);
    EXPECT_STREQ(plan.entries[1].path, "D:\\Apps");
    EXPECT_EQ(plan.entries[5].kind, LogEntry::kMadeDir);
    EXPECT_FALSE(plan.entries[5].aboveProduct);
}

// A list and its index, as the uninstaller holds them.
struct IndexedList {
    explicit IndexedList(std::string listText) : text(std::move(listText)) {
        size_t files = 0;
        problem = CheckFileList(text.data(), text.size(), files);
        slots.resize(FileListSlots(files));
        index = {text.data(), text.size(), slots.data(), slots.size()};
        if (!problem) BuildFileListIndex(index);
    }
    // The installation's file: listed with this size and UTC time.
    bool Installed(const char* path, unsigned long long size, unsigned long long time) const {
        ListedFile listed;
        return FindListedFile(index, path, listed) && IsInstalledFile(listed, size, time);
    }
    std::string text;
    const char* problem = nullptr;
    std::vector<unsigned> slots;
    FileListIndex index;
};

std::string Listed(const std::string& lines) {
    return std::string(kFileListHeader) + "\r\n" + lines;
}

constexpr unsigned long long kSecond = 10000000;
// 7 January 2001, 12:05 UTC.
constexpr unsigned long long kWritten = 126233427000000000;

TEST(UninstallLogTest, TheListNamesTheInstalledFilesBySizeAndUtcTime) {
    const IndexedList list(
        Listed("1234 126233427000000000 MIVOX.EXE\r\n"
               "0 126233427000000000 HELP\\Empty\r\n"
               "77 126233427000000000 MDF\\Lab 1.MDF\r\n"));
    ASSERT_EQ(list.problem, nullptr);
    EXPECT_TRUE(list.Installed("Mivox.exe", 1234, kWritten));
    EXPECT_TRUE(list.Installed("help\\EMPTY", 0, kWritten));
    EXPECT_TRUE(list.Installed("MDF\\Lab 1.MDF", 77, kWritten));
    // A file system that keeps two seconds rounds; anything more is an edit,
    // however little, and an hour is a winter clock read as summer's.
    EXPECT_TRUE(list.Installed("MIVOX.EXE", 1234, kWritten + 2 * kSecond));
    EXPECT_FALSE(list.Installed("MIVOX.EXE", 1234, kWritten + 3 * kSecond));
    EXPECT_FALSE(list.Installed("MIVOX.EXE", 1234, kWritten - 3600 * kSecond));
    EXPECT_FALSE(list.Installed("MIVOX.EXE", 1235, kWritten));
    EXPECT_FALSE(list.Installed("MIVOX.EX", 1234, kWritten));
    EXPECT_FALSE(list.Installed("calibration.dat", 1234, kWritten));
    EXPECT_FALSE(list.Installed("HELP", 0, kWritten));

    for (const char* damaged :
         {"12 5 A.EXE", "12 5 A.EXE\n", "x 5 A.EXE\r\n", "12 5\r\n", "12 5 \r\n", "12 A.EXE\r\n",
          "012 5 A.EXE\r\n", "12 5 ..\\A.EXE\r\n", "12 5 C:\\A.EXE\r\n", "12 5 \\A.EXE\r\n",
          "99999999999999999999999 5 A.EXE\r\n", "12 5 A\\\\B\r\n", "12 5 A?.EXE\r\n"}) {
        EXPECT_NE(IndexedList(Listed(damaged)).problem, nullptr) << damaged;
    }
}

TEST(UninstallLogTest, AnOlderListWithoutTimesNamesNoFileAsTheInstallations) {
    // Its sizes alone cannot tell a same-size edit: every file is kept.
    for (const char* older : {"", "1234 MIVOX.EXE\r\n", "not a list at all"}) {
        const IndexedList list(older);
        EXPECT_EQ(list.problem, nullptr) << older;
        EXPECT_FALSE(list.Installed("MIVOX.EXE", 1234, kWritten)) << older;
    }
}

TEST(UninstallLogTest, ATwentyThousandFileListIsReadAndLookedUpAtOnce) {
    std::string lines;
    for (int i = 0; i < 20000; ++i) {
        lines += std::to_string(i) + " " + std::to_string(kWritten + i * kSecond * 10) +
                 " DATA\\SET" + std::to_string(i / 100) + "\\MEASUREMENT FILE " +
                 std::to_string(i) + ".MDF\r\n";
    }
    const IndexedList list(Listed(lines));
    ASSERT_EQ(list.problem, nullptr);
    EXPECT_GT(list.text.size(), 1000000u);
    for (int i = 0; i < 20000; ++i) {
        const std::string path = "data\\set" + std::to_string(i / 100) + "\\measurement file " +
                                 std::to_string(i) + ".mdf";
        ASSERT_TRUE(list.Installed(path.c_str(), i, kWritten + i * kSecond * 10)) << path;
    }
    EXPECT_FALSE(list.Installed("DATA\\SET0\\MEASUREMENT FILE 20000.MDF", 20000, kWritten));
}

TEST(UninstallLogTest, TheLogAndTheRegistrationFormAreTheInstallations) {
    EXPECT_TRUE(IsInstallationRecord("Install.Log"));
    EXPECT_TRUE(IsInstallationRecord("INSTALL.LOG"));
    EXPECT_TRUE(IsInstallationRecord("register.txt"));
    EXPECT_TRUE(IsInstallationRecord("Install.Lst"));
    EXPECT_TRUE(IsInstallationRecord("Install.Ls~"));
    EXPECT_FALSE(IsInstallationRecord("Install.Log.bak"));
    EXPECT_FALSE(IsInstallationRecord("MyNotes.txt"));
    EXPECT_FALSE(IsInstallationRecord(""));
}

}  // namespace
}  // namespace mivox
