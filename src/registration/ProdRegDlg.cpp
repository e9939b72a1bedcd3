#include "registration/ProdRegDlg.h"

#include <cstdlib>

#include "ProdRegDlgRes.h"
#include "dialogs/YesNoDlg.h"
#include "registration/HttpTooLongDlg.h"
#include "registration/MakerConfig.h"
#include "registration/SendingEMailDlg.h"
#include "registration/SendingFaxDlg.h"
#include "registration/WebUrl.h"
#include "util/AppException.h"
#include "util/DateTimeText.h"
#include "util/Errors.h"
#include "util/Messages.h"
#include "util/TextUtil.h"

namespace mivox {

namespace {

struct TextControl {
    int id;
    std::string RegistrationForm::*member;
};

// Every text box of the form and the field it shows.
constexpr TextControl kTextControls[] = {
    {IDE_PRODREG_FIRSTNAME, &RegistrationForm::firstName},
    {IDE_PRODREG_LASTNAME, &RegistrationForm::lastName},
    {IDE_PRODREG_COMPANY, &RegistrationForm::company},
    {IDE_PRODREG_ADDR1, &RegistrationForm::address1},
    {IDE_PRODREG_ADDR2, &RegistrationForm::address2},
    {IDE_PRODREG_ADDR3, &RegistrationForm::address3},
    {IDE_PRODREG_CITY, &RegistrationForm::city},
    {IDE_PRODREG_STATE, &RegistrationForm::state},
    {IDE_PRODREG_ZIP, &RegistrationForm::zip},
    {IDE_PRODREG_COUNTRY, &RegistrationForm::country},
    {IDE_PRODREG_TEL, &RegistrationForm::telephone},
    {IDE_PRODREG_FAX, &RegistrationForm::fax},
    {IDE_PRODREG_EMAIL, &RegistrationForm::email},
    {IDE_PRODREG_PRODNAME, &RegistrationForm::productName},
    {IDE_PRODREG_PRODVER, &RegistrationForm::productVersion},
    {IDE_PRODREG_PRODSN, &RegistrationForm::serialNumber},
    {IDE_PRODREG_DEALER, &RegistrationForm::dealer},
};

struct MethodButton {
    int id;
    RegistrationMethod method;
};

constexpr MethodButton kMethodButtons[] = {
    {IDR_PRODREG_WEB, RegistrationMethod::kWeb},   {IDR_PRODREG_EMAIL, RegistrationMethod::kEmail},
    {IDR_PRODREG_FAX, RegistrationMethod::kFax},   {IDR_PRODREG_PRN, RegistrationMethod::kPrint},
    {IDR_PRODREG_FILE, RegistrationMethod::kFile},
};

// The list index of a drop-down's text: a number counted from first, or a
// month's name; -1 (none) for an empty or unknown text.
int NumberIndex(const std::string& text, int first) {
    return text.empty() ? -1 : std::atoi(text.c_str()) - first;
}

int MonthIndex(const std::string& text) {
    for (int m = 0; m < 12; ++m) {
        if (text == kMonthNames[m]) return m;
    }
    return -1;
}

}  // namespace

TProdRegDlg::TProdRegDlg(DialogPeer& dialog, Platform& platform, RegistrationDialogs& dialogs)
    : dialog_(dialog),
      platform_(platform),
      dialogs_(dialogs),
      ComboBoxDay(platform.desktop.DropDown(dialog, IDC_PRODREG_DAY)),
      ComboBoxMonth(platform.desktop.DropDown(dialog, IDC_PRODREG_MONTH)),
      ComboBoxYear(platform.desktop.DropDown(dialog, IDC_PRODREG_YEAR)),
      RadBtnVexlor(platform.desktop.Check(dialog, IDR_PRODREG_VEXLOR)),
      RadBtnDealer(platform.desktop.Check(dialog, IDR_PRODREG_DEALER)),
      EditDealer(dialog.Control(IDE_PRODREG_DEALER)) {}

void TProdRegDlg::FormCreate() {
    ComboBoxDay.Clear();
    for (int day = 1; day <= 31; ++day) ComboBoxDay.AddItem(PadNumber(day, 2));
    ComboBoxMonth.Clear();
    for (const char* month : kMonthNames) ComboBoxMonth.AddItem(month);
    ComboBoxYear.Clear();
    for (int year = kFirstPurchaseYear; year <= kLastPurchaseYear; ++year) {
        ComboBoxYear.AddItem(PadNumber(year, 4));
    }
    RadBtnVexlor.SetChecked(true);
    EditDealer.SetEnabled(false);
    platform_.desktop.Check(dialog_, IDR_PRODREG_WEB).SetChecked(true);
    for (const TextControl& box : kTextControls) dialog_.Control(box.id).RemoveTypingLimit();
}

void TProdRegDlg::FormShow() {
    RegFormPath = AppDir + "REGISTER.TXT";
    // A new form each time; the method and the source stay as last chosen.
    const RegistrationForm shown = ReadForm();
    RegistrationForm form = NewRegistrationForm(ProdVersion, platform_.clock.LocalTime());
    form.method = shown.method;
    form.fromDealer = shown.fromDealer;
    WriteForm(form);
}

RegistrationForm TProdRegDlg::ReadForm() const {
    RegistrationForm form;
    for (const TextControl& box : kTextControls) form.*box.member = dialog_.Control(box.id).Text();
    form.day = ComboBoxDay.Text();
    form.month = ComboBoxMonth.Text();
    form.year = ComboBoxYear.Text();
    form.fromDealer = !RadBtnVexlor.IsChecked();
    form.method = RegistrationMethod::kNone;
    for (const MethodButton& button : kMethodButtons) {
        if (platform_.desktop.Check(dialog_, button.id).IsChecked()) {
            form.method = button.method;
            break;
        }
    }
    return form;
}

void TProdRegDlg::WriteForm(const RegistrationForm& form) {
    for (const TextControl& box : kTextControls) dialog_.Control(box.id).SetText(form.*box.member);
    ComboBoxDay.SetSelected(NumberIndex(form.day, 1));
    ComboBoxMonth.SetSelected(MonthIndex(form.month));
    ComboBoxYear.SetSelected(NumberIndex(form.year, kFirstPurchaseYear));
    RadBtnVexlor.SetChecked(!form.fromDealer);
    RadBtnDealer.SetChecked(form.fromDealer);
    EditDealer.SetEnabled(form.fromDealer);
    for (const MethodButton& button : kMethodButtons) {
        platform_.desktop.Check(dialog_, button.id).SetChecked(button.method == form.method);
    }
}

void TProdRegDlg::Command(int controlId, int code) {
    if (code != kButtonClicked) return;
    if (controlId == IDR_PRODREG_VEXLOR || controlId == IDR_PRODREG_DEALER) {
        EditDealer.SetEnabled(RadBtnDealer.IsChecked());
    } else if (controlId == IDB_PRODREG_OK) {
        dialog_.Close(kIdOk);
    }
}

bool TProdRegDlg::FormCloseQuery() {
    // Only Ok may close the dialog, and only after a method succeeded.
    if (dialog_.Result() != kIdOk) return false;
    const RegistrationForm form = ReadForm();
    if (!NamesGiven(form)) {
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
    if (!RunMethod(form)) {
        ShowWarning(platform_.boxes, "Selected Method Failed", "Please choose another method");
        return false;
    }
    RecordRegistration(platform_.machine(), form);
    return true;
}

bool TProdRegDlg::RunMethod(const RegistrationForm& form) {
    switch (form.method) {
        case RegistrationMethod::kWeb:
            return SendByWeb(form);
        case RegistrationMethod::kEmail:
            return SendByEmail();
        case RegistrationMethod::kFax:
            return SendByFax();
        case RegistrationMethod::kPrint:
            return SendByPrint();
        case RegistrationMethod::kFile:
            return SendByFile();
        case RegistrationMethod::kNone:
            break;
    }
    return false;
}

void TProdRegDlg::BuildRegForm() {
    RegFormLines.clear();
    std::vector<std::string> lines =
        RegistrationFormLines(ReadForm(), DateTimeText(platform_.clock));
    WriteRegistrationFile(platform_.files, RegFormPath, lines);
    RegFormLines = std::move(lines);
}

bool TProdRegDlg::SendByWeb(const RegistrationForm& form) {
    const std::string direct = DirectUrl(form);
    if (direct.size() <= kMaxDirectUrl) {
        platform_.desktop.OpenUrl(dialogs_.MainWindow(), direct);
    } else {
        dialogs_.HttpTooLongDlg().ShowModal();
        platform_.desktop.OpenUrl(dialogs_.MainWindow(), FormFillUrl(form));
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
    platform_.desktop.StartProgram("NOTEPAD.EXE " + RegFormPath);
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

void TProdRegDlg::WaitMs(uint32_t milliseconds) {
    const uint32_t start = platform_.clock.TickCount();
    // Elapsed time, so that the tick count wrapping round cannot end the wait early.
    while (platform_.clock.TickCount() - start < milliseconds) {
        platform_.desktop.Sleep(milliseconds);
        platform_.loop.ProcessMessages();
    }
}

}  // namespace mivox
