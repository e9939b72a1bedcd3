// The dial-up library bound at run time: loaded once, each missing name
// reported once, and no call-through reaching an empty slot.
#include <gtest/gtest.h>

#include <map>

#include "fakes/FakeLibraries.h"
#include "fakes/FakePlatform.h"
#include "registration/Ras.h"

namespace mivox {
namespace {

using testing::FakeLibraries;

uint32_t lastHangUp = 0;
uint32_t MIVOX_RASAPI FakeHangUp(HRasConn connection) {
    lastHangUp = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(connection));
    return 0;
}
uint32_t MIVOX_RASAPI FakeEnumEntries(const char*, const char*, void*, uint32_t* size,
                                      uint32_t* count) {
    *size = kRasEntryNameSize;
    *count = 1;
    return 0;
}


TEST(RasApi, BindsByNameOnceAndReportsEachMissingFunction) {
    FakeLibraries libraries;
    testing::FakeMessageBoxes boxes;
    for (const char* name : kRasFunctionNames)
        libraries.procs[name] = reinterpret_cast<void*>(&FakeHangUp);
    libraries.procs.erase("RasDialA");
    libraries.procs.erase("RasEnumEntriesA");
    libraries.procs["RasHangUpA"] = reinterpret_cast<void*>(&FakeHangUp);
    RasApi ras(libraries, boxes);

    ASSERT_TRUE(ras.LoadRasApi());
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "Error: Cannot Find RASAPI32.DLL Proc");
    EXPECT_EQ(boxes.shown[0].caption, "RasDialA");
    EXPECT_EQ(boxes.shown[0].style, kMbOk);
    EXPECT_EQ(boxes.shown[1].caption, "RasEnumEntriesA");

    EXPECT_TRUE(ras.LoadRasApi());
    EXPECT_EQ(libraries.names, (std::vector<std::string>{"RASAPI32.DLL"}));
    EXPECT_EQ(boxes.shown.size(), 2u);

    // A bound function is called with the caller's arguments; an empty slot
    // calls nothing and fails.
    EXPECT_EQ(ras.RasHangUpA(reinterpret_cast<HRasConn>(uintptr_t{42})), 0u);
    EXPECT_EQ(lastHangUp, 42u);
    uint32_t size = 26664, count = 7;
    EXPECT_EQ(ras.RasEnumEntriesA(nullptr, nullptr, nullptr, &size, &count), kRasNotBound);
    EXPECT_EQ(count, 7u);

    ras.FreeRasApi();
    EXPECT_EQ(libraries.loaded, 0);
    ras.FreeRasApi();
    EXPECT_EQ(ras.RasHangUpA(nullptr), kRasNotBound);
}

TEST(RasApi, AbsentLibraryIsTriedAgainAndCallsNothing) {
    FakeLibraries libraries;
    testing::FakeMessageBoxes boxes;
    libraries.present = false;
    RasApi ras(libraries, boxes);
    EXPECT_FALSE(ras.LoadRasApi());
    EXPECT_FALSE(ras.LoadRasApi());
    EXPECT_EQ(libraries.names.size(), 2u);
    EXPECT_TRUE(boxes.shown.empty());
    uint32_t size = 4532, count = 0;
    EXPECT_EQ(ras.RasEnumConnectionsA(nullptr, &size, &count), kRasNotBound);
    char text[128] = "unchanged";
    EXPECT_EQ(ras.RasGetErrorStringA(600, text, sizeof text), kRasNotBound);
    EXPECT_STREQ(text, "unchanged");

    libraries.present = true;
    libraries.procs["RasEnumEntriesA"] = reinterpret_cast<void*>(&FakeEnumEntries);
    EXPECT_TRUE(ras.LoadRasApi());
    EXPECT_EQ(boxes.shown.size(), kRasFunctionNames.size() - 1);
    size = 26664;
    EXPECT_EQ(ras.RasEnumEntriesA(nullptr, nullptr, nullptr, &size, &count), 0u);
    EXPECT_EQ(count, 1u);
}

}  // namespace
}  // namespace mivox
