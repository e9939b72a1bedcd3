#include "registration/SendingFaxDlg.h"

#include "SendingFaxDlgRes.h"
#include "components/fax/DeviceSelectionDlg.h"
#include "registration/MakerConfig.h"
#include "util/AppException.h"
#include "util/Errors.h"
#include "util/Messages.h"

namespace mivox {

namespace {

// Each line of the form starts this far right of the converter's margin.
constexpr char kLineIndent[] = "          ";

}  // namespace

FaxStatusFields StatusFields(const FaxFigures& figures, uint32_t elapsedMs) {
    FaxStatusFields fields;
    fields.pages = std::to_string(figures.page);
    fields.attempt = std::to_string(figures.attempt);
    fields.baud = std::to_string(figures.bitsPerSecond);
    fields.id = figures.remoteId;
    fields.bytes = std::to_string(figures.bytesSent);
    fields.time = std::to_string((elapsedMs + 500u) / 1000u);
    if (figures.progress >= fpInitModem && figures.progress <= fpFailed)
        fields.msg = FaxStatusText(figures.progress);
    if (figures.pageLength != 0) {
        const uint64_t share =
            (uint64_t{figures.bytesSent} * 100 + figures.pageLength / 2) / figures.pageLength;
        fields.done = static_cast<int>(share > 100 ? 100 : share);
    }
    return fields;
}

std::string MakerFaxNumber() {
    return std::string(maker::kFaxCountryCode) + "-" + maker::kFaxAreaCode + "-" +
           maker::kFaxLocalNumber;
}

TSendingFaxDlg::TSendingFaxDlg(DialogPeer& dialog, Platform& platform, RegistrationDialogs& dialogs)
    : dialog_(dialog),
      platform_(platform),
      dialogs_(dialogs),
      EditFaxPrefix(dialog.Control(IDE_SENDINGFAX_PREFIX)),
      EditFaxNumber(dialog.Control(IDE_SENDINGFAX_NUMBER)),
      TextDev(dialog.Control(IDT_SENDINGFAX_DEV)),
      BtnDev(dialog.Control(IDB_SENDINGFAX_DEV)),
      BtnStart(dialog.Control(IDB_SENDINGFAX_START)),
      TextPages(dialog.Control(IDT_SENDINGFAX_PAGES)),
      TextAttempt(dialog.Control(IDT_SENDINGFAX_ATTEMPT)),
      TextBaud(dialog.Control(IDT_SENDINGFAX_BAUD)),
      TextID(dialog.Control(IDT_SENDINGFAX_ID)),
      TextBytes(dialog.Control(IDT_SENDINGFAX_BYTES)),
      TextTime(dialog.Control(IDT_SENDINGFAX_TIME)),
      TextMsg(dialog.Control(IDT_SENDINGFAX_MSG)),
      BarDone(dialog.Progress(IDP_SENDINGFAX_DONE)),
      TheComPort(platform.fax.port),
      TheTapiDev(platform.fax.modems, TheComPort),
      TheFaxConv(platform.files, platform.fax.renderer),
      TheSendFax(TheComPort, platform.clock, platform.fax.ui, platform.files,
                 platform.fax.renderer) {
    TheComPort.InSize = 8192;
    TheComPort.OutSize = 8192;
    TheComPort.AutoOpen = false;
    TheComPort.HWFlowOptions = hwfUseRTS | hwfRequireCTS;
    TheComPort.BufferFull = 7372;
    TheComPort.BufferResume = 819;
    TheComPort.TapiMode = TTapiMode::tmOn;

    TheTapiDev.SelectedDevice = "Sportster 28800-33600 External";
    TheTapiDev.ShowTapiDevices = true;
    TheTapiDev.ShowPorts = false;
    TheTapiDev.EnableVoice = false;

    TheSendFax.FaxClass = TFaxClass::fcUnknown;
    TheSendFax.FaxFileExt = "APF";
    TheSendFax.DialAttempts = 1;
    TheSendFax.DialRetryWait = 10;
    TheSendFax.EnhTextEnabled = false;
    TheSendFax.ToneDial = true;
    TheSendFax.OnFaxStatus = [this](TApdSendFax&, bool, bool) {
        Event([this] { ShowFaxStatus(); });
    };
    TheSendFax.OnFaxError = [this](TApdSendFax&, int error) {
        Event([this, error] { TheSendFaxFaxError(error); });
    };
    TheSendFax.OnFaxFinish = [this](TApdSendFax&, int error) {
        Event([this, error] { TheSendFaxFaxFinish(error); });
    };

    TheFaxConv.InputDocumentType = TInputDocumentType::kTextEx;
    TheFaxConv.EnhFont = FontSpec{"Courier", 16, true, 0};
    TheFaxConv.LeftMargin = 50;
    TheFaxConv.TopMargin = 0;
    TheFaxConv.LinesPerPage = 60;
    TheFaxConv.TabStop = 4;

    const std::string temp = platform.files.TempPath();
    FaxTextPath = temp + "Register.Txt";
    FaxImagePath = temp + "Register.Apf";
}

TSendingFaxDlg::~TSendingFaxDlg() {
    // A transmission still running ends first, within a few seconds
    // whatever its modem does: the program is closing.
    TheSendFax.Shutdown();
    for (const std::string* path : {&FaxTextPath, &FaxImagePath})
        if (platform_.files.FileExists(*path)) platform_.files.Delete(*path);
}

void TSendingFaxDlg::FormShow() {
    // A transmission started at an earlier showing and still running keeps
    // the buttons: its finish frees them, and the port is in its hands.
    SetButtons(!TheSendFax.Sending());
    FaxSent = false;
    TextDev.SetText(TheTapiDev.SelectedDevice);
    EditFaxPrefix.SetText("");
    EditFaxNumber.SetText(MakerFaxNumber());
    ClearStatus();
}

void TSendingFaxDlg::Command(int controlId, int code) {
    if (code != kButtonClicked) return;
    switch (controlId) {
        case IDB_SENDINGFAX_DEV:
            BtnDevClick();
            break;
        case IDB_SENDINGFAX_START:
            BtnStartClick();
            break;
        case IDB_SENDINGFAX_CLOSE:  // Esc, as the close box
            dialog_.Close(kIdCancel);
            break;
        default:
            break;
    }
}

void TSendingFaxDlg::BtnDevClick() {
    TheTapiDev.SelectDevice(dialogs_.DeviceSelectionDlg());
    TextDev.SetText(TheTapiDev.SelectedDevice);
}

void TSendingFaxDlg::BtnStartClick() {
    if (TheTapiDev.SelectedDevice.empty()) {
        ShowWarning(platform_.boxes, "Error No Fax Device Found and/or Selected",
                    "Cannot Send Fax");
        return;
    }
    SetButtons(false);
    try {
        MakeFaxFile();
        TheSendFax.FaxFile = FaxImagePath;
        TheSendFax.DialPrefix = EditFaxPrefix.Text();
        TheSendFax.PhoneNumber = EditFaxNumber.Text();
        TheSendFax.HeaderSender = "Vexlor Installer";
        TheSendFax.HeaderRecipient = "Product Registration";
        TheSendFax.HeaderTitle = "Product Registration";
        TheSendFax.StationID = "VexlorInstaller";
        TheSendFax.HeaderLine = "Vexlor Installer: Product Registration";
        TheSendFax.ModemInit.clear();
        TheSendFax.CoverFile.clear();
        const TTapiMode mode = TheComPort.TapiMode;
        if (mode == TTapiMode::tmOn ||
            (mode == TTapiMode::tmAuto && !TheTapiDev.SelectedDevice.empty()))
            TheTapiDev.ConfigAndOpen();
        else
            TheComPort.SetOpen(true);
    } catch (const std::exception& error) {
        // The application's handler shows the message; the dialog says it
        // too and lets the user put it right and start again.
        TextMsg.SetText(error.what());
        SetButtons(true);
        throw;
    }
    StartTicks = platform_.clock.TickCount();
    TheSendFax.StartTransmit();
}

void TSendingFaxDlg::MakeFaxFile() {
    std::string text;
    if (FaxLines)
        for (const std::string& line : *FaxLines) text += kLineIndent + line + "\r\n";
    auto file = platform_.files.CreateOutputFile(FaxTextPath);
    if (!file) {
        throw IoError("Cannot create " + FaxTextPath + " (error " + std::to_string(file.Error()) +
                      ")");
    }
    const IoResult written = file->Write(text);
    const IoResult closed = file->Close();
    if (!closed || !written) {
        throw IoError("Cannot write " + FaxTextPath + " (error " +
                      std::to_string((written ? closed : written).Error()) + ")");
    }
    TheFaxConv.SetDocumentFile(FaxTextPath);
    TheFaxConv.OutFileName = FaxImagePath;
    TheFaxConv.ConvertToFile();
}

void TSendingFaxDlg::ClearStatus() {
    for (ControlPeer* field :
         {&TextPages, &TextAttempt, &TextBaud, &TextID, &TextBytes, &TextTime, &TextMsg})
        field->SetText("");
    BarDone.SetPosition(0);
}

void TSendingFaxDlg::ShowFaxStatus() {
    const FaxStatusFields fields =
        StatusFields(TheSendFax.Figures(), platform_.clock.TickCount() - StartTicks);
    TextPages.SetText(fields.pages);
    TextAttempt.SetText(fields.attempt);
    TextBaud.SetText(fields.baud);
    TextID.SetText(fields.id);
    TextBytes.SetText(fields.bytes);
    TextTime.SetText(fields.time);
    TextMsg.SetText(fields.msg);
    BarDone.SetPosition(fields.done);
}

void TSendingFaxDlg::SetButtons(bool enabled) {
    BtnStart.SetEnabled(enabled);
    BtnDev.SetEnabled(enabled);
}

void TSendingFaxDlg::TheSendFaxFaxError(int errorCode) {
    // The box comes first: while it is up the buttons stay disabled, so no
    // new start can take the port before this transmission has let it go.
    ShowWarning(platform_.boxes, "Fax Transmission Error", FaxErrorText(errorCode));
    SetButtons(true);
}

void TSendingFaxDlg::TheSendFaxFaxFinish(int errorCode) {
    TheTapiDev.CancelCall();
    ClearStatus();
    SetButtons(true);
    if (errorCode != ecOK) return;
    FaxSent = true;
    if (dialog_.IsVisible()) dialog_.Close(kIdCancel);
}

void TSendingFaxDlg::Event(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        AppException(platform_.boxes, error);
    }
}

}  // namespace mivox
