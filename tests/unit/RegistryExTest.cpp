#include "registry/RegistryEx.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "util/Errors.h"

namespace mivox {
namespace {

using testing::FakePlatform;

class RegistryExTest : public ::testing::Test {
protected:
    void SetUp() override {
        reg.SetRootKey(kHkeyLocalMachine);
        ASSERT_TRUE(reg.OpenKey("SYSTEM\\Test", true));
    }
    std::string Raw(const std::string& name, const std::string& path = "SYSTEM\\Test") {
        const auto* value = fake.registry.FindValue(kHkeyLocalMachine, path, name);
        return value ? value->data : "<none>";
    }
    uint32_t Type(const std::string& name) {
        return fake.registry.FindValue(kHkeyLocalMachine, "SYSTEM\\Test", name)->type;
    }
    void Store(const std::string& name, uint32_t type, const std::string& data) {
        std::unique_ptr<RegistryKey> key;
        fake.registry.CreateKey(kHkeyLocalMachine, "SYSTEM\\Test", kKeyAllAccess, key);
        key->SetValue(name, type, data);
    }
    std::vector<std::string> Read(const std::string& name) {
        std::vector<std::string> list{"stale"};
        reg.ReadMultiString(name, list);
        return list;
    }

    FakePlatform fake;
    TRegistryEx reg{fake.machine()};
};

TEST_F(RegistryExTest, RelativePathsGoBelowTheOpenKeyAndABackslashStartsAtTheRoot) {
    EXPECT_EQ(reg.CurrentPath(), "SYSTEM\\Test");
    ASSERT_TRUE(reg.OpenKey("Sub", true));
    EXPECT_EQ(reg.CurrentPath(), "SYSTEM\\Test\\Sub");
    EXPECT_NE(fake.registry.FindKey(kHkeyLocalMachine, "SYSTEM\\Test\\Sub"), nullptr);
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Other", true));
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Other");
    EXPECT_FALSE(reg.OpenKey("\\SOFTWARE\\Missing", false));
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Other") << "a failed open keeps the open key";
    EXPECT_EQ(fake.registry.FindKey(kHkeyLocalMachine, "SOFTWARE\\Missing"), nullptr);
    reg.SetRootKey(kHkeyCurrentUser);
    EXPECT_FALSE(reg.HasCurrentKey());
    EXPECT_TRUE(reg.OpenKey("SOFTWARE\\Other", true));
    EXPECT_NE(fake.registry.FindKey(kHkeyCurrentUser, "SOFTWARE\\Other"), nullptr);
}

TEST_F(RegistryExTest, KeysAreOpenedWithFullAccess) {
    fake.registry.readOnlyKeys.insert({kHkeyLocalMachine, "SOFTWARE\\Locked"});
    fake.registry.SetString(kHkeyLocalMachine, "SOFTWARE\\Locked", "Value", "x");
    EXPECT_FALSE(reg.OpenKey("\\SOFTWARE\\Locked", false));
}

TEST_F(RegistryExTest, StringsKeepTheirNulAndIntegersAreFourBytes) {
    reg.WriteString("Dir", "C:\\Mivox");
    reg.WriteString("Empty", "");
    reg.WriteInteger("Start", 2);
    reg.WriteIntegerEx("Minus", -2);
    EXPECT_EQ(Raw("Dir"), std::string("C:\\Mivox\0", 9));
    EXPECT_EQ(Raw("Empty"), std::string(1, '\0'));
    EXPECT_EQ(Type("Empty"), kRegSz);
    EXPECT_EQ(Raw("Start"), std::string("\x02\0\0\0", 4));
    EXPECT_EQ(Type("Start"), kRegDword);
    EXPECT_EQ(Raw("Minus"), "\xFE\xFF\xFF\xFF");
    EXPECT_EQ(reg.ReadString("Dir"), "C:\\Mivox");
    EXPECT_EQ(reg.ReadString("None"), "");
    EXPECT_TRUE(reg.ValueExists("Empty"));
    EXPECT_FALSE(reg.ValueExists("None"));
    EXPECT_EQ(reg.ReadIntegerEx("Start"), 2);
    EXPECT_EQ(reg.ReadIntegerEx("Minus"), -2);
}

TEST_F(RegistryExTest, IntegersReadOnlyFromDwordOrShortBinaryValues) {
    Store("Bin", kRegBinary, std::string("\x07\x01", 2));
    Store("Long", kRegBinary, std::string(5, '\x01'));
    reg.WriteString("Text", "7");
    EXPECT_EQ(reg.ReadIntegerEx("Bin"), 0x107);
    EXPECT_THROW(reg.ReadIntegerEx("Long"), RegistryError);
    try {
        reg.ReadIntegerEx("Text");
        FAIL();
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'Text'");
    }
    try {
        reg.ReadIntegerEx("None");
        FAIL();
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "Failed to get data for 'None'");
    }
    Store("Dword", kRegDword, std::string("\x01\0\0\0", 4));
    EXPECT_THROW(reg.ReadString("Dword"), RegistryError);
}

TEST_F(RegistryExTest, AValueThatCannotBeWrittenNamesIt) {
    fake.registry.failingWrites[{kHkeyLocalMachine, "SYSTEM\\Test"}] = 5;
    try {
        reg.WriteString("ProgramDir", "C:\\Mivox");
        FAIL();
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'ProgramDir'");
    }
    EXPECT_THROW(reg.WriteInteger("Start", 2), RegistryError);
    reg.CloseKey();
    EXPECT_THROW(reg.WriteString("NoKey", ""), RegistryError);
}

TEST_F(RegistryExTest, SubKeyNamesAndTheParentPath) {
    ASSERT_TRUE(reg.OpenKey("One", true));
    ASSERT_TRUE(reg.OpenKey("\\SYSTEM\\Test\\Two", true));
    ASSERT_TRUE(reg.OpenKey("\\SYSTEM\\Test", false));
    std::vector<std::string> names{"stale"};
    reg.GetSubKeyNames(names, false);
    EXPECT_EQ(names, (std::vector<std::string>{"One", "Two"}));
    reg.GetSubKeyNames(names, true);
    EXPECT_EQ(names, (std::vector<std::string>{"\\SYSTEM\\Test\\One", "\\SYSTEM\\Test\\Two"}));
    EXPECT_EQ(reg.ParentKeyPath("SYSTEM\\CurrentControlSet\\Services"),
              "SYSTEM\\CurrentControlSet");
    EXPECT_EQ(reg.ParentKeyPath("SYSTEM"), "");
}

TEST_F(RegistryExTest, MultiStringByteLayouts) {
    reg.WriteMultiString("One", {"X"});
    EXPECT_EQ(Raw("One"), std::string("X\0\0", 3));
    EXPECT_EQ(Type("One"), kRegMultiSz);
    reg.WriteMultiString("None", {});
    EXPECT_EQ(Raw("None"), std::string(1, '\0'));
    reg.WriteMultiString("Two", {"vdd.dll", "Mivox_VM.DLL"});
    EXPECT_EQ(Raw("Two"), std::string("vdd.dll\0Mivox_VM.DLL\0\0", 22));
}

TEST_F(RegistryExTest, ReadingDropsEmptyEntriesAndCreatesAMissingValue) {
    Store("Gaps", kRegMultiSz, std::string("A\0\0B\0\0", 6));
    EXPECT_EQ(Read("Gaps"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(Read("Missing"), std::vector<std::string>{});
    EXPECT_EQ(Raw("Missing"), std::string(2, '\0'));
    EXPECT_EQ(Type("Missing"), kRegMultiSz);
    Store("Open", kRegMultiSz, std::string("A\0BC", 4));
    EXPECT_EQ(Read("Open"), (std::vector<std::string>{"A", "BC"}))
        << "an entry without its NUL is kept";
    const std::string longEntry(300, 'L');
    Store("Long", kRegMultiSz, longEntry + std::string(2, '\0'));
    EXPECT_EQ(Read("Long"), std::vector<std::string>{longEntry});
}

TEST_F(RegistryExTest, MultiStringsAreLimitedTo4096Bytes) {
    // 4095 characters, their NUL and the final NUL: 4097 bytes.
    EXPECT_THROW(reg.WriteMultiString("Big", {std::string(4095, 'x')}), RegistryError);
    EXPECT_EQ(Raw("Big"), "<none>");
    reg.WriteMultiString("Full", {std::string(4094, 'x')});
    EXPECT_EQ(Raw("Full").size(), 4096u);
    EXPECT_EQ(Read("Full").size(), 1u);
    Store("Huge", kRegMultiSz, std::string(4097, '\0'));
    EXPECT_THROW(Read("Huge"), RegistryError);
    fake.registry.failingWrites[{kHkeyLocalMachine, "SYSTEM\\Test"}] = 5;
    EXPECT_THROW(Read("Unwritable"), RegistryError);
}

TEST_F(RegistryExTest, AddingIgnoresCaseAndRemovingDropsEveryEntryThatContainsTheText) {
    reg.WriteMultiString("VDD", {"vdd.dll", "MIVOX_VM.DLL"});
    reg.AddToMultiString("VDD", "Mivox_VM.DLL");
    EXPECT_EQ(Raw("VDD"), std::string("vdd.dll\0MIVOX_VM.DLL\0\0", 22));
    reg.AddToMultiString("New", "Mivox_VM.DLL");
    EXPECT_EQ(Raw("New"), std::string("Mivox_VM.DLL\0\0", 14));

    reg.WriteMultiString("List", {"a.dll", "Mivox_VM.DLL", "old Mivox_VM.DLL", "b.dll"});
    reg.RemoveFromMultiString("List", "Mivox_VM");
    EXPECT_EQ(Read("List"), (std::vector<std::string>{"a.dll", "b.dll"}));
    reg.RemoveFromMultiString("List", "");
    EXPECT_EQ(Read("List"), (std::vector<std::string>{"a.dll", "b.dll"}));
}

}  // namespace
}  // namespace mivox
