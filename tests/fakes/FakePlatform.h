// Test doubles of every seam, owned together and handed to the logic as one
// Platform. Each double records what the logic asked of it and can be told
// to fail.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fakes/MemoryFileSystem.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeFax.h"
#include "fakes/FakeLibraries.h"
#include "fakes/FakeNetwork.h"
#include "fakes/FakeMessageLoop.h"
#include "fakes/FakeProcesses.h"
#include "fakes/FakeSecurity.h"
#include "fakes/FakeShell.h"
#include "fakes/MemoryRegistry.h"
#include "platform/Platform.h"
#include "util/Messages.h"

namespace mivox::testing {

class FakeClock : public Clock {
public:
    SystemTime LocalTime() const override { return now; }
    uint32_t TickCount() const override { return ticks; }

    SystemTime now{2001, 1, 5, 5, 15, 4, 6, 0};  // Friday 5 January 2001, 15:04:06
    uint32_t ticks = 0;
};

class FakeSystemInfo : public SystemInfo {
public:
    uint32_t PlatformId() const override { return platformId; }
    uint32_t LastError() const override { return lastError; }
    std::string ErrorMessageText(uint32_t code) const override {
        const auto it = errorTexts.find(code);
        return it == errorTexts.end() ? std::string() : it->second;
    }
    std::string WindowsDirectory() const override { return windowsDirectory; }
    std::string ModuleFileName() const override { return moduleFileName; }
    std::string UserName() const override { return userName; }

    uint32_t platformId = kPlatformWin32NT;
    // What a failed call of another seam leaves; file calls carry theirs.
    uint32_t lastError = 0;
    std::map<uint32_t, std::string> errorTexts{
        {8, "Not enough storage is available to process this command.\r\n"}};
    std::string windowsDirectory = "C:\\WINDOWS";
    std::string moduleFileName = "D:\\SETUP.EXE";
    std::string userName = "tester";
};

class FakeLocale : public Locale {
public:
    std::string ShortMonthName(int month) const override {
        return month >= 1 && month <= 12 ? monthNames[month - 1] : std::string();
    }
    std::string DateSeparator() const override { return dateSeparator; }
    std::string TimeSeparator() const override { return timeSeparator; }

    std::vector<std::string> monthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string dateSeparator = "/";
    std::string timeSeparator = ":";
};

// Version resources by path: each is just the file version's two halves.
class FakeVersionResources : public VersionResources {
public:
    uint32_t InfoSize(const std::string& path) const override;
    bool ReadInfo(const std::string& path, void* buffer, uint32_t size) const override;
    bool QueryFileVersion(const void* buffer, uint32_t& versionMs,
                          uint32_t& versionLs) const override;

    void Add(const std::string& path, uint32_t ms, uint32_t ls);
    bool failRead = false;
    bool failQuery = false;

private:
    std::map<std::string, std::pair<uint32_t, uint32_t>> versions_;
};

// Heap memory standing in for virtual memory, counting what is outstanding.
class FakeVirtualMemory : public VirtualMemory {
public:
    void* Reserve(size_t size) override;
    void* Commit(void* address, size_t size) override;
    bool Decommit(void* address, size_t size) override;
    bool Release(void* address) override;

    bool failReserve = false;
    bool failCommit = false;
    bool failDecommit = false;
    int reserved = 0;
    int committed = 0;

private:
    std::map<void*, std::vector<unsigned char>> blocks_;
};

// Records every box and answers each from a queue (OK when it is empty).
class FakeMessageBoxes : public MessageBoxes {
public:
    struct Box {
        std::string text;
        std::string caption;
        unsigned style;
        const DialogPeer* owner = nullptr;  // none: a box without owner
    };
    int Show(const std::string& text, const std::string& caption, unsigned style) override;
    int ShowOwned(DialogPeer& owner, const std::string& text, const std::string& caption,
                  unsigned style) override;
    void Beep(unsigned type) override { beeps.push_back(type); }

    std::vector<Box> shown;
    std::deque<int> answers;
    std::vector<unsigned> beeps;
    // Acts as the user while a box is open (say, changes the disk in A:).
    std::function<void(const Box&)> whileShown;

private:
    int Answer(Box box);
};

struct FakePlatform {
    MemoryFileSystem files;
    FakeClock clock;
    FakeSystemInfo system;
    FakeLocale locale;
    FakeVersionResources versions;
    FakeVirtualMemory memory;
    FakeMessageBoxes boxes;
    MemoryRegistry registry;
    FakeShell shell;
    FakeSecurity security;
    FakeMessageLoop loop;
    FakeProcesses processes;
    FakeCommonDialogs commonDialogs;
    BasicFakeDesktop<FakeClock> desktop{clock};
    FakeNetwork network;
    FakeLibraries libraries;
    FakeTimeZone zone;
    FakeTimers timers{network.queue};
    ScriptedFaxModem faxModem{clock};
    FakeModemDirectory modems;
    PatternTextRenderer faxRenderer;
    QueuedPoster uiThread;  // the fax sender's events, run by the test
    FaxDevices fax{faxModem, modems, faxRenderer, uiThread};
    Platform platform{files,    clock,     system,   locale, versions,  memory,        boxes,
                      registry, shell,     security, loop,   processes, commonDialogs, desktop,
                      network,  libraries, zone,     timers, fax};
    // The conversation of the interactive program: the boxes above.
    BoxConversation talk{boxes};

    Machine machine() const { return platform.machine(); }

    FakePlatform() {
        security.SetRegistry(&registry);
        libraries.present = false;  // no dial-up unless a test provides it
    }
    // From now on pumping messages runs the network's virtual queue, and the
    // tick count follows its clock.
    void RunOnVirtualTime() {
        loop.queue = &network.queue;
        loop.ticks = &clock.ticks;
        loop.tickOffset = clock.ticks - network.queue.now;
    }
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;
};

}  // namespace mivox::testing
