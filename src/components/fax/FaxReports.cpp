#include "components/fax/FaxReports.h"

#include <array>

namespace mivox {

std::string FaxStatusText(int progress) {
    static const std::array<const char*, 23> texts = {
        "",
        "Initializing the modem",
        "Asking the modem for its fax classes",
        "Dialing",
        "Waiting for the fax machine to answer",
        "Connected",
        "Receiving the fax machine's capabilities",
        "Sending our identification and settings",
        "Training the line",
        "Training failed, trying a lower speed",
        "Training accepted",
        "Sending page",
        "Page sent",
        "Sending the end of the page",
        "Waiting for the page to be confirmed",
        "Page confirmed",
        "Page was not received clearly",
        "Training again",
        "Disconnecting",
        "Hanging up",
        "Fax sent",
        "Waiting to dial again",
        "Fax transmission failed",
    };
    return progress >= 1 && progress < static_cast<int>(texts.size()) ? texts[progress] : "";
}

std::string FaxErrorText(int error) {
    switch (error) {
        case ecOK:
            return "";
        case ecFaxFileError:
            return "The fax image file cannot be read or is damaged.";
        case ecPortError:
            return "The serial port of the modem failed.";
        case ecNoModemResponse:
            return "The modem does not respond. Check that it is switched on and connected to "
                   "the selected port.";
        case ecNoClass1:
            return "The modem does not support Class 1 fax, which is needed to send the fax.";
        case ecModemError:
            return "The modem rejected a command.";
        case ecNoDialTone:
            return "No dial tone. Check that the modem is connected to the telephone line.";
        case ecBusy:
            return "The fax number is busy.";
        case ecNoAnswer:
            return "The fax number does not answer.";
        case ecNoCarrier:
            return "No fax machine answered at the number dialled.";
        case ecNoCapabilities:
            return "The receiving fax machine did not send its capabilities in time.";
        case ecCannotReceive:
            return "The receiving fax machine cannot receive this fax.";
        case ecTrainingFailed:
            return "Training failed at every speed: the telephone line is too poor for a fax.";
        case ecNoResponse:
            return "The receiving fax machine stopped responding.";
        case ecPageRejected:
            return "The receiving fax machine rejected a page four times.";
        case ecInterrupted:
            return "The receiving fax machine interrupted the transmission.";
        case ecFarEndHungUp:
            return "The receiving fax machine hung up.";
        case ecCancelled:
            return "The fax transmission was cancelled.";
        case ecPortNotOpen:
            return "The modem's serial port is not open.";
        case ecDialRefused:
            return "The modem refuses to dial this number now, after too many failed calls to "
                   "it. Wait a while and try again.";
        case ecInternalError:
            return "An internal error of the fax sender stopped the transmission.";
        default:
            return "Fax error " + std::to_string(error) + ".";
    }
}

}  // namespace mivox
