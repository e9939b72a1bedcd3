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
#include "components/fax/FaxTiff.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/SerialPort.h"
#include "platform/TextRenderer.h"
#include "platform/Threads.h"

namespace mivox {

enum class TFaxClass { fcUnknown, fcDetect, fcClass1, fcClass2 };

// Progress codes, 1 to 43; FaxStatusText gives their texts.
enum FaxProgress : int {
    fpInitModem = 1,
    fpQueryClasses = 2,
    fpDialing = 3,
    fpWaitAnswer = 4,
    fpConnected = 5,
    fpGotCapabilities = 6,
    fpSendSettings = 7,
    fpTraining = 8,
    fpTrainingFailed = 9,
    fpTrainingOk = 10,
    fpSendPage = 11,
    fpPageSent = 12,
    fpSendEndOfPage = 13,
    fpWaitConfirm = 14,
    fpPageAccepted = 15,
    fpPageRejected = 16,
    fpRetrain = 17,
    fpDisconnect = 18,
    fpHangUp = 19,
    fpFinished = 20,
    fpRedialWait = 21,
    fpFailed = 22,
};
std::string FaxStatusText(int progress);

// Error codes of a failed transmission; FaxErrorText gives their messages.
enum FaxError : int {
    ecOK = 0,
    ecFaxFileError = 9001,
    ecPortError = 9002,
    ecNoModemResponse = 9003,
    ecNoClass1 = 9004,
    ecModemError = 9005,
    ecNoDialTone = 9006,
    ecBusy = 9007,
    ecNoAnswer = 9008,
    ecNoCarrier = 9009,
    ecNoCapabilities = 9010,
    ecCannotReceive = 9011,
    ecTrainingFailed = 9012,
    ecNoResponse = 9013,
    ecPageRejected = 9014,
    ecInterrupted = 9015,
    ecFarEndHungUp = 9016,
    ecCancelled = 9017,
    ecPortNotOpen = 9018,
    ecDialRefused = 9019,  // DELAYED or BLACKLISTED
};
std::string FaxErrorText(int error);

// The figures of a transmission, as they stood at the last event.
struct FaxFigures {
    int page = 0;     // page being sent, from 1
    int pages = 0;    // pages in the file
    int attempt = 0;  // dial attempt, from 1
    int bitsPerSecond = 0;
    std::string remoteId;     // the receiver's identifier, up to 20 characters
    uint32_t bytesSent = 0;   // of the current page
    uint32_t pageLength = 0;  // of the current page, in bytes
    int progress = 0;         // 1 to 43
};

class TApdSendFax {
public:
    TApdSendFax(TApdComPort& port, Clock& clock, UiThreadPoster& ui, FileSystem& files,
                TextRenderer& renderer);
    // Stops a transmission still running and waits for its thread: a call
    // hangs up as usual, but a port that takes too long for it is
    // interrupted, so that closing the program does not hang.
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

    // The figures as of the last status event (read on the user-interface thread).
    const FaxFigures& Figures() const { return figures_; }

    // The page images with the header line on top, as they are sent.
    std::vector<FaxPage> PagesToSend(const std::vector<FaxPage>& pages);

private:
    class Session;
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
