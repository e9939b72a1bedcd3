// What the installer relies on from tokens, account names, privileges and
// key security, checked against both the real system (under Wine) and the
// test double. A test file includes this header and defines
// MakeSecurityUnderTest().
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/Registry.h"
#include "platform/Security.h"

namespace mivox::contract {

struct SecurityUnderTest {
    uint32_t root;
    std::string key;  // a key path of the test's own, deleted afterwards
    Registry* registry;
    Security* security;
    std::shared_ptr<void> owner;
};

SecurityUnderTest MakeSecurityUnderTest();

class SecurityContract : public ::testing::Test {
protected:
    void SetUp() override { under = MakeSecurityUnderTest(); }
    void TearDown() override { under.registry->DeleteKey(under.root, under.key); }
    std::unique_ptr<AccessToken> ProcessToken(uint32_t access = kTokenQuery) {
        std::unique_ptr<AccessToken> token;
        EXPECT_EQ(under.security->OpenProcessToken(access, token), 0u);
        return token;
    }
    SecurityUnderTest under;
};

TEST_F(SecurityContract, TheProcessTokenHoldsTheAdministratorsAndTheThreadNone) {
    std::unique_ptr<AccessToken> thread;
    EXPECT_EQ(under.security->OpenThreadToken(kTokenQuery, false, thread), kErrorNoToken);
    auto token = ProcessToken();
    ASSERT_TRUE(token);
    uint32_t size = 0;
    EXPECT_EQ(token->GroupsSize(size), kErrorInsufficientBuffer);
    ASSERT_GT(size, 16u);
    std::vector<TokenGroup> groups;
    EXPECT_EQ(token->ReadGroups(size - 1, groups), kErrorInsufficientBuffer);
    EXPECT_EQ(token->ReadGroups(size, groups), 0u);
    EXPECT_TRUE(std::any_of(groups.begin(), groups.end(),
                            [](const TokenGroup& g) { return g.sid == kAdministratorsSid; }));
}

TEST_F(SecurityContract, WellKnownGroupsHaveTheirNames) {
    std::string name;
    std::string domain;
    EXPECT_EQ(under.security->LookupAccount(kEveryoneSid, name, domain), 0u);
    EXPECT_EQ(name, "Everyone");
    EXPECT_EQ(domain, "");
    EXPECT_EQ(under.security->LookupAccount(kAdministratorsSid, name, domain), 0u);
    EXPECT_EQ(name, "Administrators");
    EXPECT_EQ(domain, "BUILTIN");
    EXPECT_NE(under.security->LookupAccount("S-1-5-21-1-2-3-98765", name, domain), 0u);
}

TEST_F(SecurityContract, PrivilegesAreFoundByNameAndAdjusted) {
    uint64_t luid = 0;
    EXPECT_EQ(under.security->LookupPrivilege("SeShutdownPrivilege", luid), 0u);
    EXPECT_NE(luid, 0u);
    uint64_t none = 0;
    EXPECT_NE(under.security->LookupPrivilege("SeNoSuchPrivilege", none), 0u);
    auto token = ProcessToken(kTokenAdjustPrivileges | kTokenQuery);
    ASSERT_TRUE(token);
    EXPECT_EQ(token->AdjustPrivilege(luid, kSePrivilegeEnabled), 0u);
    EXPECT_EQ(token->AdjustPrivilege(luid, 0), 0u);
}

TEST_F(SecurityContract, AKeysDaclIsStoredAndReadEntryForEntry) {
    std::unique_ptr<RegistryKey> key;
    ASSERT_EQ(under.registry->CreateKey(under.root, under.key, kKeyAllAccess, key), 0);
    const std::vector<AccessEntry> dacl{
        {"S-1-5-32-545", kAccessDeniedAce, 0, kKeyWrite},
        {kAdministratorsSid, kAccessAllowedAce, 0, kKeyAllAccess},
        {kEveryoneSid, kAccessAllowedAce, kContainerInheritAce | kInheritOnlyAce, kKeyAllAccess},
        {"S-1-5-18", kAccessAllowedAce, kInheritedAce | kContainerInheritAce, kKeyRead}};
    EXPECT_EQ(under.security->WriteKeyDacl(under.root, under.key, dacl), 0u);
    std::vector<AccessEntry> read;
    EXPECT_EQ(under.security->ReadKeyDacl(under.root, under.key, read), 0u);
    EXPECT_EQ(read, dacl);

    EXPECT_EQ(under.security->ReadKeyDacl(under.root, under.key + "\\Missing", read), 2u);
    EXPECT_EQ(under.security->WriteKeyDacl(under.root, under.key + "\\Missing", dacl), 2u);
}

}  // namespace mivox::contract
