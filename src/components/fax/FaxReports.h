// What a fax transmission reports: its progress codes and figures while it
// runs, its error code when it fails, and the words for both.
#pragma once

#include <cstdint>
#include <string>

namespace mivox {

// Progress codes, 1 to 22 (fpInitModem to fpFailed); FaxStatusText gives
// their texts.
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
    ecDialRefused = 9019,    // DELAYED or BLACKLISTED
    ecInternalError = 9020,  // a fault of the sender itself, not of the port or the call
};
std::string FaxErrorText(int error);

// How a layer of the call stops it: thrown up to the procedure, which hangs
// up and reports the code.
struct FaxFailure {
    int code;
};

// The figures of a transmission, as they stood at the last event.
struct FaxFigures {
    int page = 0;     // page being sent, from 1
    int pages = 0;    // pages in the file
    int attempt = 0;  // dial attempt, from 1
    int bitsPerSecond = 0;
    std::string remoteId;     // the receiver's identifier, up to 20 characters
    uint32_t bytesSent = 0;   // of the current page
    uint32_t pageLength = 0;  // of the current page, in bytes
    int progress = 0;         // a FaxProgress code
};

}  // namespace mivox
