#include "registry/NTuserCheck.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"

namespace mivox {
namespace {

using testing::FakePlatform;
using testing::FakeSecurity;

TEST(IsAdministratorTest, GroupListsOfAnySizeAreReadWhole) {
    // 8 KB, one byte more, and the list of a member of some 300 domain groups.
    for (const uint32_t bytes : {8192u, 8193u, 20000u}) {
        FakePlatform fake;
        fake.security.processToken.groupsSize = bytes;
        EXPECT_TRUE(IsAdministrator(fake.security)) << bytes;
        EXPECT_TRUE(fake.boxes.shown.empty()) << bytes;
        fake.security.processToken.groups = {{"S-1-5-32-545", kSeGroupEnabled}};
        EXPECT_FALSE(IsAdministrator(fake.security)) << bytes;
    }
}

TEST(IsAdministratorTest, MembershipCountsWhateverTheGroupsAttributes) {
    FakePlatform fake;
    fake.security.processToken.groups = {{kEveryoneSid, kSeGroupEnabled},
                                         {"", kSeGroupEnabled},
                                         {kAdministratorsSid, kSeGroupUseForDenyOnly}};
    EXPECT_TRUE(IsAdministrator(fake.security));
    fake.security.processToken.groups = {{kEveryoneSid, kSeGroupEnabled},
                                         {"S-1-5-32-545", kSeGroupEnabled},
                                         {"S-1-5-32-5440", kSeGroupEnabled}};
    EXPECT_FALSE(IsAdministrator(fake.security));
}

TEST(IsAdministratorTest, AnImpersonatingThreadAnswersForItsClient) {
    FakePlatform fake;
    FakeSecurity::Token client;
    client.groups = {{"S-1-5-32-545", kSeGroupEnabled}};
    fake.security.threadToken = client;
    EXPECT_FALSE(IsAdministrator(fake.security));
    ASSERT_EQ(fake.security.tokenOpens.size(), 1u);
    EXPECT_EQ(fake.security.tokenOpens[0], std::make_pair(uint32_t{kTokenQuery}, true));

    fake.security.threadToken.reset();
    EXPECT_TRUE(IsAdministrator(fake.security));
    EXPECT_EQ(fake.security.tokenOpens.back(), std::make_pair(uint32_t{kTokenQuery}, false));
}

TEST(IsAdministratorTest, EveryFailureIsANoWithoutABox) {
    {
        FakePlatform fake;
        fake.security.threadOpenError = 5;
        EXPECT_FALSE(IsAdministrator(fake.security));
        EXPECT_EQ(fake.security.tokenOpens.size(), 1u) << "only a missing thread token falls back";
    }
    {
        FakePlatform fake;
        fake.security.processOpenError = 5;
        EXPECT_FALSE(IsAdministrator(fake.security));
    }
    {
        FakePlatform fake;
        fake.security.processToken.sizeError = 0;  // a size query that needs no buffer
        EXPECT_FALSE(IsAdministrator(fake.security));
    }
    {
        FakePlatform fake;
        fake.security.processToken.readError = 6;
        EXPECT_FALSE(IsAdministrator(fake.security));
        EXPECT_TRUE(fake.boxes.shown.empty());
    }
}

}  // namespace
}  // namespace mivox
