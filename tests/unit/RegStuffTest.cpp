#include "registry/RegStuff.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "util/Errors.h"

namespace mivox {
namespace {

using testing::FakePlatform;
using testing::MemoryRegistry;

std::string Sz(const std::string& text) {
    return text + '\0';
}
std::string Dword(uint8_t value) {
    return std::string(1, static_cast<char>(value)) + std::string(3, '\0');
}

class RegStuffTest : public ::testing::Test {
protected:
    // Every value of a key, in the order first written.
    std::vector<MemoryRegistry::Value> Values(const std::string& path) {
        const MemoryRegistry::Key* key = fake.registry.FindKey(kHkeyLocalMachine, path);
        return key ? key->values : std::vector<MemoryRegistry::Value>{};
    }
    std::vector<std::string> Names(const std::string& path) {
        std::vector<std::string> names;
        for (const auto& value : Values(path)) names.push_back(value.name);
        return names;
    }
    std::string Data(const std::string& path, const std::string& name) {
        const auto* value = fake.registry.FindValue(kHkeyLocalMachine, path, name);
        return value ? value->data : "<none>";
    }
    // Everyone's full control of the key itself, not of subkeys only.
    bool EveryoneMayWrite(const std::string& path) {
        for (const AccessEntry& entry : EveryoneEntries(path)) {
            if (entry.mask == kKeyAllAccess && !(entry.flags & kInheritOnlyAce)) return true;
        }
        return false;
    }
    std::vector<AccessEntry> EveryoneEntries(const std::string& path) {
        std::vector<AccessEntry> entries;
        for (const AccessEntry& entry : fake.security.Dacl(kHkeyLocalMachine, path)) {
            if (entry.sid == kEveryoneSid) entries.push_back(entry);
        }
        return entries;
    }

    FakePlatform fake;
};

TEST_F(RegStuffTest, ProductRecordAndAppPathsOnNt) {
    fake.registry.SetString(kHkeyLocalMachine, kProductKey, "RegisterPerson", "Ann Smith");
    WriteProductRecord(fake.machine(), "C:\\ZEM\\Mivox", "4.10.0.10");
    EXPECT_EQ(Names(kProductKey),
              (std::vector<std::string>{"RegisterPerson", "ProgramDir", "ProgramPath",
                                        "ProgramVersion", "RegisterCompany", "RegisterSerial"}));
    EXPECT_EQ(Data(kProductKey, "ProgramDir"), Sz("C:\\ZEM\\Mivox"));
    EXPECT_EQ(Data(kProductKey, "ProgramPath"), Sz("C:\\ZEM\\Mivox\\Mivox.EXE"));
    EXPECT_EQ(Data(kProductKey, "ProgramVersion"), Sz("4.10.0.10"));
    EXPECT_EQ(Data(kProductKey, "RegisterPerson"), Sz("")) << "a reinstallation empties it";
    EXPECT_EQ(Data(kProductKey, "RegisterSerial"), Sz(""));
    for (const auto& value : Values(kProductKey)) EXPECT_EQ(value.type, kRegSz) << value.name;
    EXPECT_TRUE(EveryoneMayWrite(kProductKey));

    EXPECT_EQ(Names(kAppPathKey), (std::vector<std::string>{"", "Path"}));
    EXPECT_EQ(Data(kAppPathKey, ""), Sz("C:\\ZEM\\Mivox\\Mivox.EXE"));
    EXPECT_EQ(Data(kAppPathKey, "Path"), Sz("C:\\ZEM\\Mivox"));
    EXPECT_FALSE(EveryoneMayWrite(kAppPathKey));
}

TEST_F(RegStuffTest, OnWindows98NoKeySecurityIsTouched) {
    fake.system.platformId = kPlatformWin32Windows;
    fake.security.readDaclError = 120;  // not implemented on 95/98
    WriteProductRecord(fake.machine(), "C:\\Mivox", "4.10.0.10");
    WriteDriverService(fake.machine());
    EXPECT_EQ(Data(kProductKey, "ProgramDir"), Sz("C:\\Mivox"));
    EXPECT_TRUE(fake.security.daclWrites.empty());
}

TEST_F(RegStuffTest, AProductKeyThatCannotBeOpenedIsSkippedButAppPathsIsWritten) {
    fake.registry.readOnlyKeys.insert({kHkeyLocalMachine, kProductKey});
    WriteProductRecord(fake.machine(), "C:\\Mivox", "4.10.0.10");
    EXPECT_EQ(fake.registry.FindKey(kHkeyLocalMachine, kProductKey), nullptr);
    EXPECT_EQ(Data(kAppPathKey, "Path"), Sz("C:\\Mivox"));
}

TEST_F(RegStuffTest, AValueThatCannotBeWrittenEndsTheStep) {
    fake.registry.failingWrites[{kHkeyLocalMachine, kProductKey}] = 5;
    EXPECT_THROW(WriteProductRecord(fake.machine(), "C:\\Mivox", "4.10.0.10"), RegistryError);
    EXPECT_EQ(fake.registry.FindKey(kHkeyLocalMachine, kAppPathKey), nullptr);
}

TEST_F(RegStuffTest, UninstallEntry) {
    WriteUninstallEntry(fake.machine(), "C:\\WINDOWS\\UNWISE.EXE C:\\ZEM\\MIVOX\\INSTALL.LOG",
                        "4.10.0.10");
    EXPECT_EQ(Names(kUninstallKey), (std::vector<std::string>{"DisplayName", "UninstallString"}));
    EXPECT_EQ(Data(kUninstallKey, "DisplayName"), Sz("Mivox 4.10.0.10 Uninstall"));
    EXPECT_EQ(Data(kUninstallKey, "UninstallString"),
              Sz("C:\\WINDOWS\\UNWISE.EXE C:\\ZEM\\MIVOX\\INSTALL.LOG"));
}

TEST_F(RegStuffTest, DriverServiceHasItsSixValuesOnly) {
    WriteDriverService(fake.machine());
    const std::string key = kDriverServiceKey;
    EXPECT_EQ(Names(key), (std::vector<std::string>{"Group", "ErrorControl", "Start", "Tag", "Type",
                                                    "BaseAddress"}));
    EXPECT_EQ(Data(key, "Group"), Sz("VEXLOR Drivers"));
    EXPECT_EQ(Data(key, "ErrorControl"), Dword(1));
    EXPECT_EQ(Data(key, "Start"), Dword(2));
    EXPECT_EQ(Data(key, "Tag"), Dword(2));
    EXPECT_EQ(Data(key, "Type"), Dword(1));
    EXPECT_EQ(Data(key, "BaseAddress"), Dword(0));
    EXPECT_EQ(Values(key)[1].type, kRegDword);
    // Everyone reads the key and makes subkeys, where it has full control,
    // but cannot change the values that say which program the system runs.
    EXPECT_EQ(
        EveryoneEntries(key),
        (std::vector<AccessEntry>{{kEveryoneSid, kAccessAllowedAce, 0, kKeyRead | kKeyCreateSubKey},
                                  {kEveryoneSid, kAccessAllowedAce,
                                   kContainerInheritAce | kInheritOnlyAce, kKeyAllAccess}}));
    EXPECT_FALSE(EveryoneMayWrite(key));
}

TEST_F(RegStuffTest, VddEntryIsAddedOnceAndOnlyToAnExistingList) {
    WriteVddEntry(fake.machine());
    EXPECT_EQ(fake.registry.FindKey(kHkeyLocalMachine, kVddKey), nullptr) << "never created";

    std::unique_ptr<RegistryKey> key;
    fake.registry.CreateKey(kHkeyLocalMachine, kVddKey, kKeyAllAccess, key);
    WriteVddEntry(fake.machine());
    EXPECT_EQ(Data(kVddKey, "VDD"), std::string("Mivox_VM.DLL\0\0", 14));
    key->SetValue("VDD", kRegMultiSz, std::string("vdd.dll\0MIVOX_VM.DLL\0\0", 22));
    WriteVddEntry(fake.machine());
    EXPECT_EQ(Data(kVddKey, "VDD"), std::string("vdd.dll\0MIVOX_VM.DLL\0\0", 22));
}

TEST_F(RegStuffTest, RegistrationFillsTheThreeValues) {
    WriteProductRecord(fake.machine(), "C:\\Mivox", "4.10.0.10");
    WriteRegistration(fake.machine(), "Ann Smith", "Acme Labs", "VX-0042");
    EXPECT_EQ(Data(kProductKey, "RegisterPerson"), Sz("Ann Smith"));
    EXPECT_EQ(Data(kProductKey, "RegisterCompany"), Sz("Acme Labs"));
    EXPECT_EQ(Data(kProductKey, "RegisterSerial"), Sz("VX-0042"));
    EXPECT_EQ(Data(kProductKey, "ProgramDir"), Sz("C:\\Mivox"));
}

TEST_F(RegStuffTest, ReadingCreatesAnEmptyProductKeyAndReadsOnlyStrings) {
    EXPECT_EQ(ReadProgramDir(fake.machine()), "");
    ASSERT_NE(fake.registry.FindKey(kHkeyLocalMachine, kProductKey), nullptr);
    EXPECT_TRUE(Values(kProductKey).empty());
    WriteProductRecord(fake.machine(), "D:\\Apps\\Mivox", "4.5");
    EXPECT_EQ(ReadProgramDir(fake.machine()), "D:\\Apps\\Mivox");
    EXPECT_EQ(ReadProgramVersion(fake.machine()), "4.5");
    std::unique_ptr<RegistryKey> key;
    fake.registry.OpenKey(kHkeyLocalMachine, kProductKey, kKeyAllAccess, key);
    key->SetValue("ProgramVersion", kRegDword, Dword(4));
    EXPECT_EQ(ReadProgramVersion(fake.machine()), "");
}

}  // namespace
}  // namespace mivox
