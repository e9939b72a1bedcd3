// Identifiers and access lists are made and read byte for byte as Windows
// lays them out; what the system hands back is checked before it is read.
#include <gtest/gtest.h>

#include "util/SidAcl.h"

namespace mivox {
namespace {

TEST(SidAcl, SidTextRoundTripsThroughTheSystemsLayout) {
    std::vector<uint8_t> sid;
    ASSERT_TRUE(SidFromText("S-1-5-32-544", sid));
    EXPECT_EQ(sid, (std::vector<uint8_t>{1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0}));

    std::string maxSubs = "S-1-5";
    for (int i = 0; i < 15; ++i) maxSubs += "-" + std::to_string(i + 1);
    for (const std::string& text :
         {std::string("S-1-1-0"), std::string("S-1-5-21-1-2-3-98765"), std::string("S-1-5"),
          std::string("S-1-4294967295-4294967295"), std::string("S-1-0x123456789ABC-7"), maxSubs}) {
        ASSERT_TRUE(SidFromText(text, sid)) << text;
        EXPECT_EQ(SidSize(sid.data(), sid.size()), sid.size()) << text;
        EXPECT_EQ(SidToText(sid.data(), sid.size()), text);
    }
    ASSERT_TRUE(SidFromText("s-1-0x0000000000FF-1", sid));
    EXPECT_EQ(SidToText(sid.data(), sid.size()), "S-1-255-1");

    const char* const refused[] = {"",
                                   "S",
                                   "S-",
                                   "S-1",
                                   "S-2-5",
                                   "S-1-5-",
                                   "S-1--5",
                                   "S-1-05",
                                   "S-1-5-x",
                                   "S-1-5 ",
                                   "S-1-+5",
                                   "X-1-5",
                                   "S-01-5",
                                   "S-1-5-4294967296",
                                   "S-1-0x1000000000000",
                                   "S-1-4294967296",
                                   "S-1-0x",
                                   "S-1-5-0x10"};
    for (const char* text : refused) {
        std::vector<uint8_t> untouched{9};
        EXPECT_FALSE(SidFromText(text, untouched)) << '"' << text << '"';
        EXPECT_EQ(untouched, std::vector<uint8_t>{9}) << text;
    }
    EXPECT_FALSE(SidFromText(maxSubs + "-16", sid));
}

TEST(SidAcl, SidBytesThatAreNotAWholeSidGiveNoText) {
    std::vector<uint8_t> sid;
    ASSERT_TRUE(SidFromText("S-1-5-32-544", sid));
    for (size_t size = 0; size < sid.size(); ++size) {
        EXPECT_EQ(SidSize(sid.data(), size), 0u) << size;
        EXPECT_EQ(SidToText(sid.data(), size), "") << size;
    }
    std::vector<uint8_t> revision2 = sid;
    revision2[0] = 2;
    EXPECT_EQ(SidToText(revision2.data(), revision2.size()), "");
    std::vector<uint8_t> sixteen(8 + 16 * 4, 0);
    sixteen[0] = 1;
    sixteen[1] = 16;
    EXPECT_EQ(SidToText(sixteen.data(), sixteen.size()), "");
}

TEST(SidAcl, AclsRoundTripAndHostileListsAreRefused) {
    const std::vector<AccessEntry> entries = {
        {kEveryoneSid, kAccessDeniedAce, kContainerInheritAce, 0x00010000},
        {kAdministratorsSid, kAccessAllowedAce, kObjectInheritAce | kInheritOnlyAce, 0xF003F},
        {"S-1-5-21-1-2-3-98765", kAccessAllowedAce, 0, 0x20019}};
    std::vector<uint8_t> acl;
    ASSERT_TRUE(AclFromEntries(entries, acl));
    ASSERT_EQ(acl.size(), 8u + (8 + 12) + (8 + 16) + (8 + 28));
    EXPECT_EQ(acl[0], 2);
    EXPECT_EQ(acl[2] | acl[3] << 8, static_cast<int>(acl.size()));
    EXPECT_EQ(acl[4], 3);
    std::vector<AccessEntry> read;
    ASSERT_TRUE(AclToEntries(acl.data(), acl.size(), read));
    EXPECT_EQ(read, entries);
    for (size_t size = 0; size < acl.size(); ++size) {
        EXPECT_FALSE(AclToEntries(acl.data(), size, read)) << size;
    }

    std::vector<uint8_t> empty;
    ASSERT_TRUE(AclFromEntries({}, empty));
    EXPECT_EQ(empty, (std::vector<uint8_t>{2, 0, 8, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(AclFromEntries({{kEveryoneSid, 5, 0, 1}}, acl));
    EXPECT_FALSE(AclFromEntries({{"S-1-", kAccessAllowedAce, 0, 1}}, acl));
    EXPECT_FALSE(AclFromEntries(std::vector<AccessEntry>(3000, entries[2]), acl));

    // Each a change to a valid list of one entry that a reader must not follow.
    std::vector<uint8_t> one;
    ASSERT_TRUE(AclFromEntries({entries[1]}, one));
    const struct {
        const char* what;
        size_t at;
        uint8_t value;
    } damages[] = {
        {"list size below its header", 2, 4},
        {"more entries than the list holds", 4, 2},
        {"entry size zero", 10, 0},
        {"entry size past the list", 10, 200},
        {"entry too short for its SID", 10, 12},
        {"SID with more sub-authorities than the entry", 17, 5},
        {"SID of revision 3", 16, 3},
    };
    for (const auto& damage : damages) {
        std::vector<uint8_t> bad = one;
        bad[damage.at] = damage.value;
        std::vector<AccessEntry> kept{entries[0]};
        EXPECT_FALSE(AclToEntries(bad.data(), bad.size(), kept)) << damage.what;
        EXPECT_EQ(kept, std::vector<AccessEntry>{entries[0]}) << damage.what;
    }

    // An entry of another kind keeps its type and flags and is stepped over.
    std::vector<uint8_t> other = one;
    other[8] = 0x11;  // a mandatory label
    other[9] = kInheritedAce;
    ASSERT_TRUE(AclToEntries(other.data(), other.size(), read));
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0], (AccessEntry{"", 0x11, kInheritedAce, 0}));
}

}  // namespace
}  // namespace mivox
