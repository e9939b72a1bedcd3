// The dial-up line the e-mail sender falls back on when no server answers:
// the phonebook, the lines that are up, the system's dialler started on an
// entry, and the hang-up of a line the user dialled from the sender, which
// the installer must not leave running. Steps worth seeing are one line
// each of the progress log.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "platform/Libraries.h"
#include "platform/MessageBoxes.h"
#include "platform/SystemInfo.h"
#include "registration/Ras.h"

namespace mivox {

// The command line that starts the system's dialler on a phonebook entry.
std::string DialCommand(const std::string& entry, bool winNT);

class DialUp {
public:
    using ProgressLog = std::function<void(const std::string& line)>;

    DialUp(Libraries& libraries, MessageBoxes& boxes, Desktop& desktop, const SystemInfo& system,
           ProgressLog log)
        : ras_(libraries, boxes), desktop_(desktop), system_(system), log_(std::move(log)) {}

    // For a new showing: binds the service (false when the system has none)
    // and forgets the last showing's line.
    bool Begin();
    // The phonebook's entry names; none without the service or when it
    // refuses.
    std::vector<std::string> PhonebookEntries() const;
    // The entry names of the lines that are up, in the service's order; a
    // refusal is logged in the service's words and counts as none.
    std::vector<std::string> FindConnections();
    // Watches the first line found up of the entry, its name compared
    // without regard to case; none when it has none.
    void Watch(const std::string& entry);
    HRasConn Watched() const { return watched_; }
    bool WatchedConnected() const;
    // Starts the dialler on the entry without waiting: whether it connected
    // shows in the lines that are up.
    void Dial(const std::string& entry);
    // Hangs up the watched line, if there is one.
    void HangUp();
    // Hangs up the line dialled since Begin, if one is up: the watched one,
    // or else the entry's as found now.
    void HangUpDialled(const std::string& entry);

private:
    struct Line {
        std::string entry;
        HRasConn handle;
    };

    RasApi ras_;
    Desktop& desktop_;
    const SystemInfo& system_;
    ProgressLog log_;
    bool available_ = false;
    std::vector<Line> lines_;  // as last found
    HRasConn watched_ = nullptr;
    bool dialled_ = false;  // the dialler was started since Begin
};

}  // namespace mivox
