// The dial-up line of the e-mail sender: the dialler's command line, and
// the lines that are up as the service reports them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "fakes/FakePlatform.h"
#include "registration/DialUp.h"

namespace mivox {
namespace {

using testing::FakePlatform;

TEST(DialCommand, NamesTheEntryAsEachFamilysDiallerReadsIt) {
    const std::string longName = "My " + std::string(300, 'x');
    struct Case {
        std::string entry;
        bool winNT;
        std::string command;
    };
    const Case cases[] = {
        {"Office", true, "RASPHONE.EXE -d Office"},
        {"My ISP", true, "RASPHONE.EXE -d \"My ISP\""},
        {"My\tISP", true, "RASPHONE.EXE -d \"My\tISP\""},
        {"My ISP", false, "Rundll Rnaui.dll,RnaDial My ISP"},
        {longName, true, ("RASPHONE.EXE -d \"" + longName).substr(0, 255)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DialCommand(c.entry, c.winNT), c.command) << c.entry.substr(0, 10);
}

// The service's answer to RasEnumConnectionsA: plain functions, so the
// script lives at namespace scope.
struct Service {
    std::vector<std::string> lines;
    uint32_t enumResult = 0;
} service;

uint32_t MIVOX_RASAPI EnumConnections(void* buffer, uint32_t*, uint32_t* count) {
    if (service.enumResult != 0) return service.enumResult;
    auto* records = static_cast<RasConnRecord*>(buffer);
    for (size_t i = 0; i < service.lines.size(); ++i) {
        records[i].hrasconn = reinterpret_cast<HRasConn>(i + 1);
        std::strncpy(records[i].szEntryName, service.lines[i].c_str(),
                     sizeof records[i].szEntryName - 1);
    }
    *count = static_cast<uint32_t>(service.lines.size());
    return 0;
}
uint32_t MIVOX_RASAPI ErrorString(uint32_t error, char* text, uint32_t size) {
    std::snprintf(text, size, "dial-up error %u", error);
    return 0;
}

class DialUpTest : public ::testing::Test {
protected:
    DialUpTest() {
        service = Service{};
        fake.libraries.present = true;
        fake.libraries.procs = {{"RasEnumConnectionsA", reinterpret_cast<void*>(&EnumConnections)},
                                {"RasGetErrorStringA", reinterpret_cast<void*>(&ErrorString)}};
        dialUp.Begin();
    }
    FakePlatform fake;
    std::vector<std::string> log;
    DialUp dialUp{fake.libraries, fake.boxes, fake.desktop, fake.system,
                  [this](const std::string& line) { log.push_back(line); }};
};

TEST_F(DialUpTest, WatchesTheFirstLineOfTheEntryWhateverItsCase) {
    service.lines = {"Home", "OFFICE", "office"};
    EXPECT_EQ(dialUp.FindConnections(), service.lines);
    dialUp.Watch("Office");
    EXPECT_EQ(dialUp.Watched(), reinterpret_cast<HRasConn>(2));
    dialUp.Watch("Cottage");
    EXPECT_EQ(dialUp.Watched(), nullptr);
    EXPECT_TRUE(log.empty());
}

TEST_F(DialUpTest, ARefusalIsLoggedInTheServicesWordsAndFindsNoLine) {
    service.lines = {"Office"};
    service.enumResult = 603;
    EXPECT_TRUE(dialUp.FindConnections().empty());
    EXPECT_EQ(log, std::vector<std::string>{"dial-up error 603"});
    dialUp.Watch("Office");
    EXPECT_EQ(dialUp.Watched(), nullptr);
}

}  // namespace
}  // namespace mivox
