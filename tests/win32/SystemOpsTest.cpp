// The installer's file, registry, shell and token operations against the
// real system: a file held open by another process, key security read back
// in the same session, shell links loaded back through IShellLinkA. The
// replacement of a file in use at restart is tested end to end, in a Wine
// session of its own (tests/e2e/test_sys_restart_replace.sh).
#include <windows.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "util/Messages.h"
#include "TempDir.h"
#include "helpers/PlatformWithBoxes.h"
#include "install/InstallLog.h"
#include "install/Shortcuts.h"
#include "registry/NTuserCheck.h"
#include "registry/RegStuff.h"
#include "registry/RegistryEx.h"
#include "util/DateTimeText.h"
#include "util/Errors.h"
#include "util/FileOps.h"
#include "util/Shutdown.h"
#include "win32/Win32Platform.h"

namespace mivox {
namespace {

using testing::TempDir;

// The real system with message boxes recorded and answered from a list.
class RecordedBoxes : public MessageBoxes {
public:
    int ShowOwned(DialogPeer&, const std::string& text, const std::string& caption,
                  unsigned style) override {
        return Show(text, caption, style);
    }
    int Show(const std::string& text, const std::string& caption, unsigned) override {
        shown.push_back(caption + " | " + text);
        if (answers.empty()) return kIdOk;
        const int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    void Beep(unsigned) override {}
    std::vector<std::string> shown;
    std::vector<int> answers;
};

struct RealSystem {
    win32::Win32Platform real;
    RecordedBoxes boxes;
    Platform platform = win32::PlatformWithBoxes(real, boxes);
    BoxConversation talk{boxes};
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void SetLocalWriteTime(const std::string& path, WORD hour, WORD minute, WORD second,
                       WORD year = 2001) {
    SYSTEMTIME local{year, 3, 0, 9, hour, minute, second, 0};
    FILETIME localTime;
    FILETIME utc;
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
    ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &utc));
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFileTime(file, nullptr, nullptr, &utc);
    CloseHandle(file);
}

// Another process holding a file open without sharing, as a running
// program holds its own executable.
class FileHolder {
public:
    explicit FileHolder(const std::string& path) : path_(path) {
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        const std::string helper = DirectoryPart(self) + "\\holdopen.exe";
        const std::string ready = path + ".ready";
        std::string command = "\"" + helper + "\" \"" + path + "\" \"" + ready + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_)) {
            return;
        }
        for (int waited = 0; waited < 10000; waited += 10) {
            if (GetFileAttributesA(ready.c_str()) != INVALID_FILE_ATTRIBUTES) {
                holding_ = true;
                break;
            }
            Sleep(10);
        }
        DeleteFileA(ready.c_str());
    }
    ~FileHolder() {
        if (!process_.hProcess) return;
        HANDLE release = CreateFileA((path_ + ".release").c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (release != INVALID_HANDLE_VALUE) CloseHandle(release);
        if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) {
            TerminateProcess(process_.hProcess, 1);
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;
    bool Holding() const { return holding_; }

private:
    std::string path_;
    PROCESS_INFORMATION process_{};
    bool holding_ = false;
};

TEST(CopyOneFileOnWindows, NewerTargetsAskAndCopiesComeOutWritable) {
    TempDir dir;
    const std::string source = dir.WriteFile("source.txt", "new");
    const std::string dest = dir.WriteFile("dest.txt", "old");
    SetLocalWriteTime(source, 10, 0, 0);
    SetLocalWriteTime(dest, 10, 0, 4);
    RealSystem system;
    EXPECT_TRUE(CopyOneFile(system.platform.machine(), system.talk, dest, source, true))
        << "four seconds are tolerated";
    EXPECT_TRUE(system.boxes.shown.empty());

    SetLocalWriteTime(dest, 10, 0, 6);
    system.boxes.answers = {kIdNo};
    EXPECT_FALSE(CopyOneFile(system.platform.machine(), system.talk, dest, source, true));
    ASSERT_EQ(system.boxes.shown.size(), 1u);
    EXPECT_EQ(system.boxes.shown[0],
              dest + " already exists and is newer | Do you wish to overwrite this file?");

    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(CopyOneFile(system.platform.machine(), system.talk, dest, source, false));
    EXPECT_EQ(GetFileAttributesA(dest.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(ReadFile(dest), "new");
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FileOpsOnWindows, DirectoriesOneLevelAtATimeAndSizesOfFilesThatCanBeRead) {
    TempDir dir;
    RealSystem system;
    EXPECT_TRUE(MakeFileDir(system.platform.files, system.talk, dir.Path() + "\\App\\"));
    EXPECT_FALSE(
        MakeFileDir(system.platform.files, system.talk, dir.Path() + "\\Zem\\Mivox\\App\\"));
    ASSERT_EQ(system.boxes.shown.size(), 1u);
    EXPECT_EQ(system.boxes.shown[0],
              "Error Creating Directory | " + dir.Path() + "\\Zem\\Mivox\\App");

    const std::string file = dir.WriteFile("App\\part.001", std::string(1400, 'p'));
    EXPECT_EQ(GetFileByteCount(system.platform.files, file), 1400);
    EXPECT_EQ(GetFileByteCount(system.platform.files, dir.Path() + "\\none.001"), 0);
    FileHolder holder(file);
    ASSERT_TRUE(holder.Holding());
    EXPECT_THROW(GetFileByteCount(system.platform.files, file), IoError);
}

TEST(FileOpsOnWindows, EmptyingADriveRemovesTheWholeTree) {
    TempDir dir;
    const std::string root = dir.Path();
    const std::string deep = root + "\\A folder with a rather long name\\and another one below it";
    ASSERT_TRUE(CreateDirectoryA((root + "\\A folder with a rather long name").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((deep + "\\L3").c_str(), nullptr));
    dir.WriteFile("A folder with a rather long name\\and another one below it\\L3\\d.mdf", "d");
    ASSERT_TRUE(CreateDirectoryA((root + "\\Many").c_str(), nullptr));
    for (int i = 0; i < 110; ++i) {
        ASSERT_TRUE(CreateDirectoryA((root + "\\Many\\" + std::to_string(i)).c_str(), nullptr));
    }
    const std::string hidden = dir.WriteFile("Many\\7\\hidden.txt", "h");
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    const std::string readOnly = dir.WriteFile("MIVOX.001", "part");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);

    RealSystem system;
    EmptyDrive(system.platform.files, system.talk, root);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((root + "\\*").c_str(), &data);
    int left = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (std::string(data.cFileName) != "." && std::string(data.cFileName) != "..") ++left;
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    EXPECT_EQ(left, 0);
    EXPECT_NE(GetFileAttributesA(root.c_str()), INVALID_FILE_ATTRIBUTES) << "the root stays";
    EXPECT_TRUE(system.boxes.shown.empty());

    ASSERT_TRUE(CreateDirectoryA((root + "\\Busy").c_str(), nullptr));
    const std::string busy = dir.WriteFile("Busy\\open.dat", "b");
    FileHolder holder(busy);
    ASSERT_TRUE(holder.Holding());
    EXPECT_THROW(EmptyDrive(system.platform.files, system.talk, root), IoError);
}

TEST(FileOpsOnWindows, AFileDatedBefore1980ExistsWithTheOldestDate) {
    TempDir dir;
    const std::string file = dir.WriteFile("OLD.EXE", "MZ");
    SetLocalWriteTime(file, 12, 0, 0, 1975);

    RealSystem system;
    EXPECT_EQ(system.platform.files.FileAge(file), kOldestFileAge);
    EXPECT_EQ(system.platform.files.FileAge(dir.Path() + "\\NONE.EXE"), kNoFileAge);
    EXPECT_NE(FileDateText(system.platform, file), "?");
    // Copied onto itself under another name, it is not taken for a newer file.
    const std::string copy = dir.WriteFile("COPY.EXE", "old");
    CopyFileA(file.c_str(), copy.c_str(), FALSE);
    EXPECT_TRUE(CopyOneFile(system.platform.machine(), system.talk, copy, file, true));
    EXPECT_TRUE(system.boxes.shown.empty());
}

TEST(InstallLogOnWindows, LinesEndInCrLfAndALogThatCannotBeCreatedIsAnIoError) {
    TempDir dir;
    RealSystem system;
    {
        InstallLog log(system.platform.machine(), dir.Path() + "\\");
        log.WriteRegistryKeys({kProductKey, kAppPathKey, kUninstallKey});
        log.Close();
    }
    const std::string text = ReadFile(dir.Path() + "\\Install.Log");
    EXPECT_EQ(text.rfind("*** Installation Started: ", 0), 0u);
    EXPECT_NE(text.find(" ***\r\nTitle: Mivox\r\nFile Tree: " + dir.Path() +
                        "\\*.*\r\n"
                        "RegDB Root: 0\r\n"),
              std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 15), "RegDB Root: 2\r\n");
    EXPECT_THROW(InstallLog(system.platform.machine(), dir.Path() + "\\Gone\\"), IoError);
}

// A key's DACL in the system's own text form.
std::string KeySddl(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    RegOpenKeyExA(root, path.c_str(), 0, READ_CONTROL, &key);
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    std::vector<BYTE> descriptor(size);
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor.data(), &size);
    RegCloseKey(key);
    char* text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(
            descriptor.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
        return "<none>";
    }
    std::string sddl = text;
    LocalFree(text);
    return sddl;
}

class RegistryOnWindows : public ::testing::Test {
protected:
    void SetUp() override {
        reg.SetRootKey(kHkeyCurrentUser);
        ASSERT_TRUE(reg.OpenKey(path, true));
    }
    void TearDown() override {
        reg.CloseKey();
        RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
    }
    std::string Raw(const std::string& name) {
        HKEY key = nullptr;
        RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key);
        char data[64] = {};
        DWORD size = sizeof(data);
        const LONG status = RegQueryValueExA(key, name.c_str(), nullptr, nullptr,
                                             reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(key);
        return status == 0 ? std::string(data, size) : "<none>";
    }
    std::string Sddl() { return KeySddl(HKEY_CURRENT_USER, path); }
    void SetSddl(const std::string& sddl) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
            sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr));
        HKEY key = nullptr;
        RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key);
        EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), 0);
        RegCloseKey(key);
        LocalFree(descriptor);
    }

    const std::string path = "Software\\MivoxRegistryTest" + std::to_string(GetCurrentProcessId());
    RealSystem system;
    TRegistryEx reg{system.platform.machine()};
};

TEST_F(RegistryOnWindows, MultiStringsKeepTheirBytes) {
    reg.WriteMultiString("VDD", {"vdd.dll"});
    reg.AddToMultiString("VDD", "Mivox_VM.DLL");
    reg.AddToMultiString("VDD", "MIVOX_vm.dll");
    EXPECT_EQ(Raw("VDD"), std::string("vdd.dll\0Mivox_VM.DLL\0\0", 22));
    std::vector<std::string> list;
    reg.ReadMultiString("Fresh", list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(Raw("Fresh"), std::string(2, '\0'));
    reg.WriteString("Empty", "");
    EXPECT_EQ(Raw("Empty"), std::string(1, '\0'));
}

TEST_F(RegistryOnWindows, EveryoneGetsFullAccessInPlaceOfWhatItHad) {
    SetSddl("D:(A;;KR;;;WD)(A;;KA;;;BA)(D;;KW;;;BG)(A;CIIO;KR;;;WD)");
    reg.GrantEveryoneAccess();
    EXPECT_EQ(Sddl(), "D:(D;;KW;;;BG)(A;;KA;;;BA)(A;;KA;;;WD)(A;CIIO;KA;;;WD)");
    reg.GrantEveryoneAccess();
    EXPECT_EQ(Sddl(), "D:(D;;KW;;;BG)(A;;KA;;;BA)(A;;KA;;;WD)(A;CIIO;KA;;;WD)");
}

// What any user is granted by a key's access list: its Everyone entries,
// read back, in a descriptor owned by SYSTEM, checked with this process's
// token (which holds Everyone but not SYSTEM).
class EveryoneView {
public:
    explicit EveryoneView(const std::string& path) {
        const std::string dacl = KeySddl(HKEY_LOCAL_MACHINE, path);
        std::string sddl = "O:SYG:SYD:";
        for (size_t at = dacl.find('('); at != std::string::npos; at = dacl.find('(', at + 1)) {
            const std::string entry = dacl.substr(at, dacl.find(')', at) + 1 - at);
            if (entry.ends_with(";WD)")) sddl += entry;
        }
        entries = sddl.substr(10);
        ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                             &descriptor_, nullptr);
        HANDLE process = nullptr;
        OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process);
        DuplicateToken(process, SecurityImpersonation, &token_);
        CloseHandle(process);
    }
    ~EveryoneView() {
        if (token_) CloseHandle(token_);
        LocalFree(descriptor_);
    }
    EveryoneView(const EveryoneView&) = delete;
    EveryoneView& operator=(const EveryoneView&) = delete;

    // Whether every right of wanted is granted on the key itself, or with
    // onSubkey on a subkey made below it (its entries inherited as the
    // system inherits them).
    bool Grants(DWORD wanted, bool onSubkey = false) {
        GENERIC_MAPPING mapping{KEY_READ, KEY_WRITE, KEY_EXECUTE, KEY_ALL_ACCESS};
        PSECURITY_DESCRIPTOR checked = descriptor_;
        PSECURITY_DESCRIPTOR child = nullptr;
        if (onSubkey) {
            if (!CreatePrivateObjectSecurity(descriptor_, nullptr, &child, TRUE, token_,
                                             &mapping)) {
                return false;
            }
            checked = child;
        }
        PRIVILEGE_SET privileges{};
        DWORD privilegesSize = sizeof(privileges);
        DWORD granted = 0;
        BOOL status = FALSE;
        const BOOL done = AccessCheck(checked, token_, wanted, &mapping, &privileges,
                                      &privilegesSize, &granted, &status);
        if (child) DestroyPrivateObjectSecurity(&child);
        return done && status && (granted & wanted) == wanted;
    }
    bool SystemHeld() {
        PSID system = nullptr;
        BOOL member = FALSE;
        ConvertStringSidToSidA("S-1-5-18", &system);
        CheckTokenMembership(token_, system, &member);
        LocalFree(system);
        return member != FALSE;
    }
    std::string entries;  // Everyone's entries as text

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    HANDLE token_ = nullptr;
};

TEST(ServiceKeyOnWindows, EveryoneReadsItAndMakesSubkeysButCannotChangeItsValues) {
    RealSystem system;
    WriteDriverService(system.platform.machine());
    EveryoneView everyone(kDriverServiceKey);
    ASSERT_FALSE(everyone.SystemHeld());
    EXPECT_EQ(everyone.entries, "(A;;CCLCSWRPRC;;;WD)(A;CIIO;KA;;;WD)");
    EXPECT_FALSE(everyone.Grants(KEY_SET_VALUE)) << "ImagePath and the rest stay the system's";
    EXPECT_FALSE(everyone.Grants(DELETE));
    EXPECT_FALSE(everyone.Grants(WRITE_DAC));
    EXPECT_TRUE(everyone.Grants(KEY_READ));
    EXPECT_TRUE(everyone.Grants(KEY_CREATE_SUB_KEY));
    EXPECT_TRUE(everyone.Grants(KEY_ALL_ACCESS, true)) << "a subkey is everybody's";

    // The product key keeps full control for everybody.
    WriteProductRecord(system.platform.machine(), "C:\\Mivox", "4.10.0.10");
    EveryoneView product(kProductKey);
    EXPECT_TRUE(product.Grants(KEY_ALL_ACCESS));
    // Other tests of this session start from a machine without the records.
    for (const char* path : {kProductKey, kAppPathKey, kDriverServiceKey}) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, path);
    }
}

TEST(ShortcutsOnWindows, LinksLoadBackThroughTheShellLinkObject) {
    TempDir dir;
    const std::string target = dir.WriteFile("UNWISE.EXE", "MZ");
    RealSystem system;
    MakeShortcut(system.platform.shell, target, "C:\\ZEM\\MIVOX\\INSTALL.LOG", "Mivox Uninstall",
                 dir.Path());
    const std::string link = dir.Path() + "\\Mivox Uninstall.lnk";
    ASSERT_NE(GetFileAttributesA(link.c_str()), INVALID_FILE_ATTRIBUTES);

    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    {
        IShellLinkA* shellLink = nullptr;
        ASSERT_TRUE(
            SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IShellLinkA, reinterpret_cast<void**>(&shellLink))));
        IPersistFile* file = nullptr;
        shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
        std::wstring wide(link.begin(), link.end());
        EXPECT_TRUE(SUCCEEDED(file->Load(wide.c_str(), STGM_READ)));
        char text[MAX_PATH] = {};
        shellLink->GetPath(text, MAX_PATH, nullptr, 0);
        EXPECT_STRCASEEQ(text, target.c_str());
        shellLink->GetArguments(text, MAX_PATH);
        EXPECT_STREQ(text, "C:\\ZEM\\MIVOX\\INSTALL.LOG");
        shellLink->GetWorkingDirectory(text, MAX_PATH);
        EXPECT_STREQ(text, dir.Path().c_str());
        file->Release();
        shellLink->Release();
    }
    CoUninitialize();
}

TEST(ShortcutsOnWindows, ShellFoldersOfTheUserAndOfAllUsers) {
    RealSystem system;
    const std::string mine = GetProgramsFolder(system.platform.machine(), false);
    const std::string common = GetProgramsFolder(system.platform.machine(), true);
    char expected[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, expected)));
    EXPECT_STRCASEEQ(mine.c_str(), expected);
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, expected)));
    EXPECT_STRCASEEQ(common.c_str(), expected);
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, expected)));
    EXPECT_STRCASEEQ(GetDesktopFolder(system.platform.machine(), false).c_str(), expected);
}

TEST(TokensOnWindows, TheInstallerRunsAsAnAdministratorWhoMayShutDown) {
    RealSystem system;
    EXPECT_TRUE(IsAdministrator(system.platform.security));
    EXPECT_TRUE(system.boxes.shown.empty());
    EXPECT_TRUE(SetPrivilege(system.platform.security, "SeShutdownPrivilege", true));
    EXPECT_TRUE(SetPrivilege(system.platform.security, "SeShutdownPrivilege", false));
    EXPECT_FALSE(SetPrivilege(system.platform.security, "SeNoSuchPrivilege", true));
}

}  // namespace
}  // namespace mivox
