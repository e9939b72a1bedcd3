// What the installer relies on from the registry, checked against both the
// real registry (under Wine) and the in-memory double.
// A test file includes this header and defines MakeRegistryUnderTest().
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/Registry.h"

namespace mivox::contract {

struct RegistryUnderTest {
    uint32_t root;
    std::string base;  // a key path of the test's own, deleted afterwards
    Registry* registry;
    std::shared_ptr<void> owner;
};

RegistryUnderTest MakeRegistryUnderTest();

class RegistryContract : public ::testing::Test {
protected:
    void SetUp() override { under = MakeRegistryUnderTest(); }
    void TearDown() override {
        for (const char* path : {"\\Deep\\Er", "\\Deep", "\\B", "\\A", ""}) {
            under.registry->DeleteKey(under.root, under.base + path);
        }
    }
    std::unique_ptr<RegistryKey> Create(const std::string& path) {
        std::unique_ptr<RegistryKey> key;
        EXPECT_EQ(under.registry->CreateKey(under.root, under.base + path, kKeyAllAccess, key), 0);
        return key;
    }
    RegistryUnderTest under;
};

TEST_F(RegistryContract, ValuesKeepTheirTypeAndEveryByte) {
    auto key = Create("");
    ASSERT_TRUE(key);
    const std::string text("C:\\Mivox\0", 9);
    const std::string multi("one\0two\0\0", 9);
    const std::string dword("\x2a\0\0\0", 4);
    EXPECT_EQ(key->SetValue("ProgramDir", kRegSz, text), 0);
    EXPECT_EQ(key->SetValue("Multi", kRegMultiSz, multi), 0);
    EXPECT_EQ(key->SetValue("Count", kRegDword, dword), 0);
    uint32_t type = 0;
    std::string data;
    EXPECT_EQ(key->QueryValue("programdir", type, data), 0);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(data, text);
    EXPECT_EQ(key->QueryValue("Multi", type, data), 0);
    EXPECT_EQ(type, kRegMultiSz);
    EXPECT_EQ(data, multi);
    EXPECT_EQ(key->QueryValue("Count", type, data), 0);
    EXPECT_EQ(type, kRegDword);
    EXPECT_EQ(data, dword);
    EXPECT_EQ(key->QueryValue("Missing", type, data), 2);
    EXPECT_EQ(key->DeleteValue("Count"), 0);
    EXPECT_EQ(key->QueryValue("Count", type, data), 2);
}

TEST_F(RegistryContract, CreatingMakesMissingParentsAndOpeningDoesNot) {
    std::unique_ptr<RegistryKey> key;
    EXPECT_EQ(under.registry->OpenKey(under.root, under.base + "\\Deep\\Er", kKeyRead, key), 2);
    EXPECT_FALSE(key);
    Create("\\Deep\\Er");
    Create("\\B");
    Create("\\A");
    EXPECT_EQ(under.registry->OpenKey(under.root, under.base + "\\DEEP\\er", kKeyRead, key), 0);
    auto base = Create("");
    std::vector<std::string> names;
    EXPECT_EQ(base->SubKeyNames(names), 0);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "Deep"}));
    EXPECT_NE(under.registry->DeleteKey(under.root, under.base + "\\Deep"), 0)
        << "a key with subkeys stays";
}

}  // namespace mivox::contract
