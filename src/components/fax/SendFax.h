// The fax sender: dials through a Class 1 fax modem and sends a fax image
// file with the T.30 procedure, on a thread of its own, reporting its
// progress and its end through events run on the user-interface thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/fax/ComPort.h"
#include "components/fax/FaxReports.h"
#include "components/fax/FaxTiff.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/SerialPort.h"
#include "platform/TextRenderer.h"
#include "platform/Threads.h"

namespace mivox {

enum class TFaxClass { fcUnknown, fcDetect, fcClass1, fcClass2 };

class TApdSendFax {
public:
    TApdSendFax(TApdComPort& port, Clock& clock, UiThreadPoster& ui, FileSystem& files,
                TextRenderer& renderer);
    // Shuts the sender down (see Shutdown).
    ~TApdSendFax();
    TApdSendFax(const TApdSendFax&) = delete;
    TApdSendFax& operator=(const TApdSendFax&) = delete;

    TFaxClass FaxClass = TFaxClass::fcUnknown;
    std::string FaxFileExt = "APF";
    std::string FaxFile;
    std::string DialPrefix;  // the first 40 characters are dialled
    std::string PhoneNumber;
    std::string HeaderSender, HeaderRecipient, HeaderTitle;
    std::string StationID;   // up to 20 characters
    std::string HeaderLine;  // drawn at the top of each page sent
    std::string ModemInit;   // empty: the sender's own
    std::string CoverFile;   // empty: no cover page
    int DialAttempts = 1;
    int DialRetryWait = 10;  // seconds
    bool ToneDial = true;
    bool EnhTextEnabled = false;
    FontSpec HeaderFont;

    std::function<void(TApdSendFax&, bool first, bool last)> OnFaxStatus;
    std::function<void(TApdSendFax&, int error)> OnFaxError;
    std::function<void(TApdSendFax&, int error)> OnFaxFinish;

    // Reads the fax file and starts dialling and sending on the sender's
    // thread; returns at once. Every start ends with one OnFaxFinish (after
    // an OnFaxError when it fails), also when the file cannot be read.
    void StartTransmit();
    // Asks a running transmission to stop; it ends with ecCancelled.
    void CancelFax();
    bool Sending() const { return running_; }
    // Waits until the sender's thread has ended (its events may still wait
    // on the user-interface thread).
    void WaitForEnd();
    // For good, as the program ends: stops a transmission still running and
    // waits for its thread, a few seconds at most whatever the modem does.
    // The call hangs up as usual, but a port that takes too long for it is
    // interrupted. No event of the sender comes after it.
    void Shutdown();

    // The figures as of the last status event (read on the user-interface thread).
    const FaxFigures& Figures() const { return figures_; }

    // The page images with the header line on top, as they are sent.
    std::vector<FaxPage> PagesToSend(const std::vector<FaxPage>& pages);

private:
    void Finish(int error);

    TApdComPort& port_;
    Clock& clock_;
    UiThreadPoster& ui_;
    FileSystem& files_;
    TextRenderer& renderer_;
    FaxFigures figures_;
    bool running_ = false;  // on the user-interface thread: between start and finish
    std::atomic<bool> cancel_{false};
    std::atomic<bool> closing_{false};  // the sender goes: its events are no longer wanted
    std::atomic<bool> ended_{true};     // the thread has done its work
    WakeSignal endedSignal_;
    Thread worker_;
    // Cleared when the sender goes, so that its events still waiting are dropped.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace mivox
