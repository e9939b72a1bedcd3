#include "registry/KeySecurity.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "registry/RegistryEx.h"
#include "util/Errors.h"

namespace mivox {
namespace {

using testing::FakePlatform;

constexpr char kKey[] = "SOFTWARE\\Vexlor\\Mivox";
constexpr uint8_t kSubkeysOnly = kContainerInheritAce | kInheritOnlyAce;

const AccessEntry kEveryoneOnKey{kEveryoneSid, kAccessAllowedAce, 0, kKeyAllAccess};
const AccessEntry kEveryoneBelow{kEveryoneSid, kAccessAllowedAce, kSubkeysOnly, kKeyAllAccess};

class GrantEveryoneAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        reg.SetRootKey(kHkeyLocalMachine);
        ASSERT_TRUE(reg.OpenKey(kKey, true));
    }
    std::vector<AccessEntry> Dacl() { return fake.security.Dacl(kHkeyLocalMachine, kKey); }

    FakePlatform fake;
    TRegistryEx reg{fake.machine()};
};

TEST_F(GrantEveryoneAccessTest, AddsTheTwoEntriesAfterThoseOfOtherTrustees) {
    const std::vector<AccessEntry> before = Dacl();
    reg.GrantEveryoneAccess();
    std::vector<AccessEntry> expected = before;
    expected.push_back(kEveryoneOnKey);
    expected.push_back(kEveryoneBelow);
    EXPECT_EQ(Dacl(), expected);
    EXPECT_EQ(fake.security.daclWrites.size(), 2u) << "each addition is stored at once";
}

TEST_F(GrantEveryoneAccessTest, ReplacesEveryEntryEveryoneHad) {
    const AccessEntry admins{kAdministratorsSid, kAccessAllowedAce, 0, kKeyAllAccess};
    const AccessEntry users{"S-1-5-32-545", kAccessAllowedAce, kContainerInheritAce, kKeyRead};
    fake.security.SetDacl(kHkeyLocalMachine, kKey,
                          {admins,
                           {kEveryoneSid, kAccessAllowedAce, 0, kKeyRead},
                           kEveryoneOnKey,
                           users,
                           {kEveryoneSid, kAccessAllowedAce, kInheritedAce, kKeyRead}});
    reg.GrantEveryoneAccess();
    EXPECT_EQ(Dacl(), (std::vector<AccessEntry>{admins, users, kEveryoneOnKey, kEveryoneBelow}));
    EXPECT_EQ(fake.security.daclWrites.size(), 5u) << "three removals and two additions";
    reg.GrantEveryoneAccess();
    EXPECT_EQ(Dacl(), (std::vector<AccessEntry>{admins, users, kEveryoneOnKey, kEveryoneBelow}))
        << "granting twice still leaves two Everyone entries";
}

TEST_F(GrantEveryoneAccessTest, StoresExplicitBeforeInheritedAndDenyBeforeAllow) {
    const AccessEntry inheritedAllow{"S-1-5-18", kAccessAllowedAce, kInheritedAce, kKeyAllAccess};
    const AccessEntry inheritedDeny{"S-1-5-32-545", kAccessDeniedAce, kInheritedAce, 0x10000};
    const AccessEntry deny{"S-1-5-32-546", kAccessDeniedAce, 0, kKeyWrite};
    const AccessEntry allow{kAdministratorsSid, kAccessAllowedAce, 0, 0x20019};
    fake.security.SetDacl(kHkeyLocalMachine, kKey, {inheritedAllow, inheritedDeny, allow, deny});
    reg.GrantEveryoneAccess();
    EXPECT_EQ(Dacl(), (std::vector<AccessEntry>{deny, allow, kEveryoneOnKey, kEveryoneBelow,
                                                inheritedDeny, inheritedAllow}));
}

TEST_F(GrantEveryoneAccessTest, EveryoneIsKnownByTheNameTheSystemGivesIt) {
    fake.security.accounts[kEveryoneSid] = {"Jeder", ""};
    fake.security.accounts["S-1-5-21-7-7-7-1001"] = {"Everyone", "HOST"};
    const AccessEntry namesake{"S-1-5-21-7-7-7-1001", kAccessAllowedAce, 0, kKeyRead};
    fake.security.SetDacl(kHkeyLocalMachine, kKey, {namesake, {kEveryoneSid, 0, 0, kKeyRead}});
    reg.GrantEveryoneAccess();
    EXPECT_EQ(Dacl(), (std::vector<AccessEntry>{namesake, kEveryoneOnKey, kEveryoneBelow}));

    fake.security.accounts.erase(kEveryoneSid);
    reg.GrantEveryoneAccess();
    EXPECT_EQ(Dacl(), (std::vector<AccessEntry>{namesake, kEveryoneOnKey, kEveryoneBelow}))
        << "without a name from the system Everyone is still recognised";
}

TEST_F(GrantEveryoneAccessTest, FailuresCarryTheCodeAndTheSystemText) {
    fake.system.errorTexts[5] = "Access is denied.\r\n";
    fake.security.readDaclError = 5;
    try {
        reg.GrantEveryoneAccess();
        FAIL();
    } catch (const SecurityError& error) {
        EXPECT_STREQ(error.what(), "5: Access is denied.");
    }
    EXPECT_TRUE(fake.security.daclWrites.empty());
}

TEST_F(GrantEveryoneAccessTest, ARemovalStoredBeforeAFailureStays) {
    fake.security.SetDacl(kHkeyLocalMachine, kKey,
                          {{kEveryoneSid, kAccessAllowedAce, 0, kKeyRead},
                           {kAdministratorsSid, kAccessAllowedAce, 0, kKeyAllAccess}});
    fake.security.writeDaclError = 5;
    fake.security.failWriteAfter = 1;
    EXPECT_THROW(reg.GrantEveryoneAccess(), SecurityError);
    EXPECT_EQ(
        Dacl(),
        (std::vector<AccessEntry>{{kAdministratorsSid, kAccessAllowedAce, 0, kKeyAllAccess}}));
}

TEST(KeySecurityTest, OnlyAllowAndDenyEntriesAreAccepted) {
    FakePlatform fake;
    fake.registry.SetString(kHkeyLocalMachine, kKey, "V", "");
    TNTRegSecurity security(fake.security, fake.system, kHkeyLocalMachine, kKey);
    security.ReadAccessList();
    ASSERT_EQ(security.AccessList().size(), 3u);
    EXPECT_EQ(security.AccessList()[0].trustee, "BUILTIN\\Administrators");
    EXPECT_EQ(security.AccessList()[0].mask, kFullControl);
    EXPECT_EQ(security.AccessList()[2].mask, static_cast<uint32_t>(kKeyRead));
    try {
        security.AddEntry(kEveryoneSid, kFullControl, 2, 0);
        FAIL();
    } catch (const SecurityError& error) {
        EXPECT_STREQ(error.what(), "Invalid AceType parameter");
    }
    EXPECT_TRUE(fake.security.daclWrites.empty());

    fake.security.SetDacl(kHkeyLocalMachine, kKey, {{kEveryoneSid, 9, 0, kKeyRead}});
    EXPECT_THROW(security.ReadAccessList(), SecurityError);
}

}  // namespace
}  // namespace mivox
