// One fax transmission as the calling machine makes it: dial attempts, then
// the T.30 phases over a Class 1 modem (capabilities, settings and
// training, pages with their confirmation, goodbye and hang-up). It runs on
// the caller's thread to its end and reports each step as figures.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "components/fax/Class1Modem.h"
#include "components/fax/FaxReports.h"
#include "components/fax/FaxTiff.h"
#include "components/fax/ModemPort.h"
#include "components/fax/T30.h"

namespace mivox {

struct FaxCallSettings {
    std::string dialString;    // ATDT or ATDP with the prefix and the number
    std::string stationId;     // our identifier, up to 20 characters
    std::string modemInit;     // empty: the sender's own
    bool class1Known = false;  // Class 1 is selected without asking the modem
    int attempts = 1;          // dial attempts while busy or unanswered
    uint32_t retryWaitMs = 0;  // between them
};

class FaxCall {
public:
    using Report = std::function<void(const FaxFigures&)>;
    // `pages` as they are sent (the header line drawn in); `cancel` may be
    // set from another thread; `report` hears each progress step.
    FaxCall(SerialPort& port, const Clock& clock, const std::atomic<bool>& cancel,
            FaxCallSettings settings, std::vector<FaxPage> pages, Report report);
    FaxCall(const FaxCall&) = delete;
    FaxCall& operator=(const FaxCall&) = delete;

    // Dials and sends; returns ecOK or the error that ended the call.
    int Run();

private:
    struct Response {
        Class1Modem::FrameResult result;
        uint8_t kind;      // of the last frame received
        std::string info;  // its information field
    };

    int Attempt();
    void Initialise();
    void Dial();
    std::string ReceiveCapabilities();
    void SendPages(const std::string& dis);
    size_t Train(const std::vector<t30::Speed>& speeds, size_t from);
    std::string Dcs(const t30::Speed& speed) const;
    int PageModulation(const t30::Speed& speed, bool longTraining) const;
    void SendPage(size_t index, const t30::Speed& speed);
    uint8_t PostPage(bool last);
    uint8_t SendEcmPage(size_t index, bool last, const std::vector<t30::Speed>& speeds,
                        size_t& speedIndex);
    void SendBlock(const std::vector<std::string>& block, const std::vector<size_t>& frames,
                   const t30::Speed& speed, bool longTraining, uint32_t blockStart);
    Response Exchange(const HdlcFrame& command, std::initializer_list<uint8_t> answers,
                      int progress);
    Response ReceiveResponse();
    void Silence();
    void Disconnect();
    void Abandon(int code);
    void Status(int progress);

    ModemPort port_;
    Class1Modem modem_{port_};
    const FaxCallSettings settings_;
    const std::vector<FaxPage> pages_;
    const Report report_;
    FaxFigures figures_;
    std::vector<int> modulations_;
    int minScanMs_ = 20;
    bool ecm_ = false;  // the receiver takes the pages in error correction mode
    bool mr_ = false;   // it reads lines coded in two dimensions
    bool connected_ = false;
    bool delivered_ = false;  // the receiver confirmed the last page
    bool unclear_ = false;    // the last reception had a garbled frame or was cut off
};

}  // namespace mivox
