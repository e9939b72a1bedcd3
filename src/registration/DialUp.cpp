#include "registration/DialUp.h"

#include <algorithm>
#include <utility>

#include "util/TextUtil.h"
#include "util/WinVersion.h"

namespace mivox {

namespace {

constexpr uint32_t kMaxRasEntries = 101;
constexpr uint32_t kMaxRasConns = 11;
constexpr size_t kMaxDialCommand = 255;

}  // namespace

std::string DialCommand(const std::string& entry, bool winNT) {
    std::string command;
    if (winNT) {
        // The dialler reads its arguments one word at a time.
        const bool quoted = entry.find_first_of(" \t") != std::string::npos;
        command = "RASPHONE.EXE -d " + (quoted ? "\"" + entry + "\"" : entry);
    } else {
        // RnaDial takes the rest of the line, blanks and all, as the name.
        command = "Rundll Rnaui.dll,RnaDial " + entry;
    }
    if (command.size() > kMaxDialCommand) command.resize(kMaxDialCommand);
    return command;
}

bool DialUp::Begin() {
    available_ = ras_.LoadRasApi();
    lines_.clear();
    watched_ = nullptr;
    dialled_ = false;
    return available_;
}

std::vector<std::string> DialUp::PhonebookEntries() const {
    std::vector<std::string> names;
    if (!available_) return names;
    std::vector<RasEntryName> entries(kMaxRasEntries);
    entries[0].dwSize = kRasEntryNameSize;
    uint32_t size = static_cast<uint32_t>(entries.size() * sizeof(RasEntryName));
    uint32_t count = 0;
    if (ras_.RasEnumEntriesA(nullptr, nullptr, entries.data(), &size, &count) != 0) return names;
    for (uint32_t i = 0; i < std::min(count, kMaxRasEntries); ++i)
        names.push_back(RasName(entries[i].szEntryName));
    return names;
}

std::vector<std::string> DialUp::FindConnections() {
    lines_.clear();
    std::vector<RasConnRecord> records(kMaxRasConns, RasConnRecord{});
    records[0].dwSize = sizeof(RasConnRecord);
    uint32_t size = static_cast<uint32_t>(records.size() * sizeof(RasConnRecord));
    uint32_t count = 0;
    const uint32_t result = ras_.RasEnumConnectionsA(records.data(), &size, &count);
    if (result != 0) {
        char text[256] = {};
        ras_.RasGetErrorStringA(result, text, sizeof text);
        log_(RasName(text));
        count = 0;
    }
    std::vector<std::string> names;
    for (uint32_t i = 0; i < std::min(count, kMaxRasConns); ++i) {
        lines_.push_back({RasName(records[i].szEntryName), records[i].hrasconn});
        names.push_back(lines_.back().entry);
    }
    return names;
}

void DialUp::Watch(const std::string& entry) {
    const std::string wanted = UpperText(entry);
    const auto line = std::find_if(lines_.begin(), lines_.end(),
                                   [&](const Line& l) { return UpperText(l.entry) == wanted; });
    watched_ = line == lines_.end() ? nullptr : line->handle;
}

bool DialUp::WatchedConnected() const {
    RasConnStatus status{};
    status.dwSize = kRasConnStatusSize;
    ras_.RasGetConnectStatusA(watched_, &status);
    return status.rasconnstate == kRasConnected;
}

void DialUp::Dial(const std::string& entry) {
    dialled_ = true;
    desktop_.StartProgram(DialCommand(entry, IsWinNT(system_)));
}

void DialUp::HangUp() {
    if (!watched_) return;
    const HRasConn line = std::exchange(watched_, nullptr);
    dialled_ = false;  // hung up once
    log_("Hanging Up");
    if (ras_.RasHangUpA(line) != 0) log_("Error attempting to HangUp");
}

void DialUp::HangUpDialled(const std::string& entry) {
    if (!dialled_ || !available_) return;
    if (!watched_) {
        // The line may have come up since the watch last looked.
        FindConnections();
        Watch(entry);
    }
    dialled_ = false;
    HangUp();
}

}  // namespace mivox
