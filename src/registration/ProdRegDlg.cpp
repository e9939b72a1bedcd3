#include "registration/ProdRegDlg.h"

#include <stdexcept>

#include "ProdRegDlgRes.h"
#include "dialogs/YesNoDlg.h"
#include "registration/HttpTooLongDlg.h"
#include "registration/MakerConfig.h"
#include "registration/SendingEMailDlg.h"
#include "registration/SendingFaxDlg.h"
#include "registration/WebUrl.h"
#include "registry/RegStuff.h"
#include "util/AppException.h"
#include "util/DateTimeText.h"
#include "util/Errors.h"
#include "util/Messages.h"
#include "util/TextUtil.h"

namespace mivox {

namespace {

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr int kFirstYear = 1999;
constexpr int kLastYear = 2050;
constexpr const char kEquals[] = "===================================";
constexpr const char kHyphens[] = "-----------------------------------";

Desktop& DesktopOf(Platform& platform) {
    if (!platform.desktop) throw std::logic_error("The registration needs the desktop seam");
    return *platform.desktop;
}

}  // namespace

// REGISTER.TXT while the form is written; a failed write is an IoError.
class TProdRegDlg::FormFile {
public:
    FormFile(Platform& platform, const std::string& path) : platform_(platform), path_(path) {
        CreatedFile created = platform_.files.CreateOutputFile(path_);
        if (!created) Fail("create", created.Error());
        file_ = created.Take();
    }
    void WriteLine(const std::string& line) {
        if (const IoResult written = file_->Write(line + "\r\n"); !written) {
            Fail("write", written.Error());
        }
    }
    void Close() {
        const IoResult stored = file_->Close();
        file_.reset();
        if (!stored) Fail("write", stored.Error());
    }

private:
    [[noreturn]] void Fail(const std::string& what, uint32_t error) const {
        throw IoError("Cannot " + what + " " + path_ + " (error " + std::to_string(error) + ")");
    }
    Platform& platform_;
    std::string path_;
    std::unique_ptr<OutputFile> file_;
};

TProdRegDlg::TProdRegDlg(DialogPeer& dialog, Platform& platform, RegistrationDialogs& dialogs)
    : dialog_(dialog),
      platform_(platform),
      desktop_(DesktopOf(platform)),
      dialogs_(dialogs),
      EditFirstName(dialog.Control(IDE_PRODREG_FIRSTNAME)),
      EditLastName(dialog.Control(IDE_PRODREG_LASTNAME)),
      EditCompany(dialog.Control(IDE_PRODREG_COMPANY)),
      EditAddr1(dialog.Control(IDE_PRODREG_ADDR1)),
      EditAddr2(dialog.Control(IDE_PRODREG_ADDR2)),
      EditAddr3(dialog.Control(IDE_PRODREG_ADDR3)),
      EditCity(dialog.Control(IDE_PRODREG_CITY)),
      EditState(dialog.Control(IDE_PRODREG_STATE)),
      EditZip(dialog.Control(IDE_PRODREG_ZIP)),
      EditCountry(dialog.Control(IDE_PRODREG_COUNTRY)),
      EditTel(dialog.Control(IDE_PRODREG_TEL)),
      EditFax(dialog.Control(IDE_PRODREG_FAX)),
      EditEmail(dialog.Control(IDE_PRODREG_EMAIL)),
      EditProdName(dialog.Control(IDE_PRODREG_PRODNAME)),
      EditProdVer(dialog.Control(IDE_PRODREG_PRODVER)),
      EditProdSN(dialog.Control(IDE_PRODREG_PRODSN)),
      ComboBoxDay(desktop_.DropDown(dialog, IDC_PRODREG_DAY)),
      ComboBoxMonth(desktop_.DropDown(dialog, IDC_PRODREG_MONTH)),
      ComboBoxYear(desktop_.DropDown(dialog, IDC_PRODREG_YEAR)),
      RadBtnVexlor(desktop_.Check(dialog, IDR_PRODREG_VEXLOR)),
      RadBtnDealer(desktop_.Check(dialog, IDR_PRODREG_DEALER)),
      EditDealer(dialog.Control(IDE_PRODREG_DEALER)),
      RadBtnWeb(desktop_.Check(dialog, IDR_PRODREG_WEB)),
      RadBtnEmail(desktop_.Check(dialog, IDR_PRODREG_EMAIL)),
      RadBtnFax(desktop_.Check(dialog, IDR_PRODREG_FAX)),
      RadBtnPrn(desktop_.Check(dialog, IDR_PRODREG_PRN)),
      RadBtnFile(desktop_.Check(dialog, IDR_PRODREG_FILE)) {}

void TProdRegDlg::FormCreate() {
    ComboBoxDay.Clear();
    for (int day = 1; day <= 31; ++day) ComboBoxDay.AddItem(PadNumber(day, 2));
    ComboBoxMonth.Clear();
    for (const char* month : kMonths) ComboBoxMonth.AddItem(month);
    ComboBoxYear.Clear();
    for (int year = kFirstYear; year <= kLastYear; ++year) ComboBoxYear.AddItem(PadNumber(year, 4));
    RadBtnVexlor.SetChecked(true);
    EditDealer.SetEnabled(false);
    RadBtnWeb.SetChecked(true);
    for (ControlPeer* box :
         {&EditFirstName, &EditLastName, &EditCompany, &EditAddr1, &EditAddr2, &EditAddr3,
          &EditCity, &EditState, &EditZip, &EditCountry, &EditTel, &EditFax, &EditEmail,
          &EditProdName, &EditProdVer, &EditProdSN, &EditDealer}) {
        box->RemoveTypingLimit();
    }
}

void TProdRegDlg::FormShow() {
    RegFormPath = AppDir + "REGISTER.TXT";
    EditProdName.SetText("Mivox");
    EditProdVer.SetText(ProdVersion);
    EditProdSN.SetText("");
    EditDealer.SetText("");
    // A year outside the list selects none, and the date then has no year.
    const SystemTime today = platform_.clock.LocalTime();
    ComboBoxDay.SetSelected(today.day - 1);
    ComboBoxMonth.SetSelected(today.month - 1);
    ComboBoxYear.SetSelected(today.year - kFirstYear);
    for (ControlPeer* box :
         {&EditFirstName, &EditLastName, &EditCompany, &EditAddr1, &EditAddr2, &EditAddr3,
          &EditCity, &EditState, &EditZip, &EditTel, &EditFax, &EditEmail}) {
        box->SetText("");
    }
    EditCountry.SetText("USA");
}

void TProdRegDlg::Command(int controlId, int code) {
    if (code != kButtonClicked) return;
    if (controlId == IDR_PRODREG_VEXLOR || controlId == IDR_PRODREG_DEALER) {
        EditDealer.SetEnabled(RadBtnDealer.IsChecked());
    } else if (controlId == IDB_PRODREG_OK) {
        dialog_.Close(kIdOk);
    }
}

bool TProdRegDlg::NamesGiven() const {
    if (!EditCompany.Text().empty()) return true;
    return !EditFirstName.Text().empty() && !EditLastName.Text().empty();
}

bool TProdRegDlg::FormCloseQuery() {
    // Only Ok may close the dialog, and only after a method succeeded.
    if (dialog_.Result() != kIdOk) return false;
    if (!NamesGiven()) {
        ShowWarning(platform_.boxes, "Registration Data Error",
                    "First/Last Name or Company Name is blank");
        return false;
    }
    try {
        BuildRegForm();
    } catch (const IoError& error) {
        // Reported here: an unwritten form must keep the dialog open.
        AppException(platform_.boxes, error);
        return false;
    }
    if (!RunCheckedMethod()) {
        ShowWarning(platform_.boxes, "Selected Method Failed", "Please choose another method");
        return false;
    }
    WriteRegistration(platform_, EditFirstName.Text() + " " + EditLastName.Text(),
                      EditCompany.Text(), EditProdSN.Text());
    return true;
}

bool TProdRegDlg::RunCheckedMethod() {
    if (RadBtnWeb.IsChecked()) return SendByWeb();
    if (RadBtnEmail.IsChecked()) return SendByEmail();
    if (RadBtnFax.IsChecked()) return SendByFax();
    if (RadBtnPrn.IsChecked()) return SendByPrint();
    if (RadBtnFile.IsChecked()) return SendByFile();
    return false;
}

std::string TProdRegDlg::PurchaseDate() const {
    return ComboBoxMonth.Text() + " " + ComboBoxDay.Text() + ", " + ComboBoxYear.Text();
}

std::string TProdRegDlg::PurchaseSource() const {
    return RadBtnVexlor.IsChecked() ? std::string("Vexlor") : EditDealer.Text();
}

void TProdRegDlg::AddFormLine(FormFile& file, const std::string& line) {
    RegFormLines.push_back(line);
    file.WriteLine(line);
}

void TProdRegDlg::BuildRegForm() {
    RegFormLines.clear();
    FormFile file(platform_, RegFormPath);
    const std::string created = "Created: " + DateTimeText(platform_.clock);
    const std::string lines[] = {
        kEquals,
        "***  Product Registration Form  ***",
        created,
        kEquals,
        " ",
        "Mail To:",
        "Product Registration",
        maker::kPostalCompany,
        maker::kPostalStreet,
        maker::kPostalCity,
        " ",
        std::string("Fax To: ") + maker::kFax,
        " ",
        std::string("Tel To: ") + maker::kTelephone,
        " ",
        std::string("WWW To: ") + maker::kWebHost,
        "(goto product registration page)",
        " ",
        std::string("EMail To: ") + maker::kRegistrationEmail,
        " ",
        "[Product Information]",
        kHyphens,
        "   Product Name: " + EditProdName.Text(),
        "Product Version: " + EditProdVer.Text(),
        "Product SerialN: " + EditProdSN.Text(),
        "",
        "[Purchase Information]",
        kHyphens,
        " Purchased Data: " + PurchaseDate(),
        " Purchased From: " + PurchaseSource(),
        " ",
        "[Customer Information]",
        kHyphens,
        "     First Name: " + EditFirstName.Text(),
        "      Last Name: " + EditLastName.Text(),
        "   Company Name: " + EditCompany.Text(),
        " Address Line 1: " + EditAddr1.Text(),
        " Address Line 2: " + EditAddr2.Text(),
        " Address Line 3: " + EditAddr3.Text(),
        "           City: " + EditCity.Text(),
        "          State: " + EditState.Text(),
        "       Zip Code: " + EditZip.Text(),
        "        Country: " + EditCountry.Text(),
        "      Telephone: " + EditTel.Text(),
        "      Faxsimile: " + EditFax.Text(),
        "          EMail: " + EditEmail.Text(),
        " ",
        kEquals,
    };
    for (const std::string& line : lines) AddFormLine(file, line);
    file.Close();
}

bool TProdRegDlg::SendByWeb() {
    WebRegData data{EditFirstName.Text(), EditLastName.Text(),      EditCompany.Text(),
                    EditAddr1.Text(),     EditAddr2.Text(),         EditAddr3.Text(),
                    EditCity.Text(),      EditState.Text(),         EditZip.Text(),
                    EditCountry.Text(),   EditTel.Text(),           EditFax.Text(),
                    EditEmail.Text(),     EditProdName.Text(),      EditProdVer.Text(),
                    EditProdSN.Text(),    ComboBoxDay.Text(),       ComboBoxMonth.Text(),
                    ComboBoxYear.Text(),  RadBtnVexlor.IsChecked(), EditDealer.Text()};
    const std::string direct = DirectUrl(data);
    if (direct.size() <= kMaxDirectUrl) {
        desktop_.OpenUrl(dialogs_.MainWindow(), direct);
    } else {
        dialogs_.HttpTooLongDlg().ShowModal();
        desktop_.OpenUrl(dialogs_.MainWindow(), FormFillUrl(data));
    }
    // The browser takes a while to start; the installer waits for it.
    WaitMs(6000);
    return true;
}

bool TProdRegDlg::SendByEmail() {
    TSendingEMailDlg& sender = dialogs_.SendingEMailDlg();
    sender.FromAddr = maker::kRegistrationEmail;
    sender.ToAddr = maker::kRegistrationEmail;
    sender.MailSubject = "Product Registration";
    sender.MsgLines = &RegFormLines;
    sender.ShowModal();
    return sender.MailSent;
}

bool TProdRegDlg::SendByFax() {
    TSendingFaxDlg& sender = dialogs_.SendingFaxDlg();
    sender.FaxLines = &RegFormLines;
    sender.ShowModal();
    return sender.FaxSent;
}

bool TProdRegDlg::SendByPrint() {
    ShowWarning(platform_.boxes, "Notepad will now load the Registration Form",
                "Select \"PRINT\" in Notepad, and then Exit NotePad");
    // A Notepad that does not start shows nothing: the user answers No.
    desktop_.StartProgram("NOTEPAD.EXE " + RegFormPath);
    if (!dialogs_.YesNoDlg().Ask("Did the form print correctly ?",
                                 "Click \"No\" to try a different method")) {
        return false;
    }
    ShowWarning(platform_.boxes, "Please remember to mail your registration.", "Thank you!");
    return true;
}

bool TProdRegDlg::SendByFile() {
    ShowWarning(platform_.boxes, "Please remember to mail your registration.", "Thank You !");
    return true;
}

void TProdRegDlg::RegisterFromAnswers(const RegistrationAnswers& answers) {
    FormShow();
    const std::pair<ControlPeer*, const std::string*> fields[] = {
        {&EditFirstName, &answers.firstName},
        {&EditLastName, &answers.lastName},
        {&EditCompany, &answers.company},
        {&EditAddr1, &answers.address1},
        {&EditAddr2, &answers.address2},
        {&EditAddr3, &answers.address3},
        {&EditCity, &answers.city},
        {&EditState, &answers.state},
        {&EditZip, &answers.zip},
        {&EditCountry, &answers.country},
        {&EditTel, &answers.telephone},
        {&EditFax, &answers.fax},
        {&EditEmail, &answers.email},
        {&EditProdSN, &answers.serialNumber},
        {&EditDealer, &answers.dealer}};
    for (const auto& [box, value] : fields) box->SetText(*value);
    if (answers.purchaseYear != 0) {
        ComboBoxDay.SetSelected(answers.purchaseDay - 1);
        ComboBoxMonth.SetSelected(answers.purchaseMonth - 1);
        ComboBoxYear.SetSelected(answers.purchaseYear - kFirstYear);
    }
    RadBtnVexlor.SetChecked(answers.dealer.empty());
    RadBtnDealer.SetChecked(!answers.dealer.empty());
    RadBtnWeb.SetChecked(false);
    RadBtnFile.SetChecked(true);
    BuildRegForm();
    WriteRegistration(platform_, EditFirstName.Text() + " " + EditLastName.Text(),
                      EditCompany.Text(), EditProdSN.Text());
}

void TProdRegDlg::WaitMs(uint32_t milliseconds) {
    const uint32_t start = platform_.clock.TickCount();
    // Elapsed time, so that the tick count wrapping round cannot end the wait early.
    while (platform_.clock.TickCount() - start < milliseconds) {
        desktop_.Sleep(milliseconds);
        platform_.loop.ProcessMessages();
    }
}

}  // namespace mivox
