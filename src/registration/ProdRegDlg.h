// TProdRegDlg: the product registration. Collects the customer, product and
// purchase data, writes it as the registration form, and delivers it by the
// chosen method; the dialog can only be left by a method that succeeds.
#pragma once

#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "platform/DialogPeer.h"
#include "platform/Platform.h"
#include "registration/RegistrationAnswers.h"
#include "registration/RegistrationDialogs.h"

namespace mivox {

class TProdRegDlg final : public DialogEvents {
public:
    TProdRegDlg(DialogPeer& dialog, Platform& platform, RegistrationDialogs& dialogs);

    // Shows the dialog until a method has delivered the registration.
    void ShowModal() { dialog_.ShowModal(); }

    void FormCreate() override;
    void FormShow() override;
    void Command(int controlId, int code) override;
    bool FormCloseQuery() override;

    // The form of the last Ok press, one entry per line; the senders read it.
    std::vector<std::string> RegFormLines;
    std::string ProdVersion;
    std::string AppDir;  // with a final backslash
    std::string RegFormPath;

    // Rebuilds RegFormLines and rewrites REGISTER.TXT; IoError when the file
    // cannot be written.
    void BuildRegForm();
    bool SendByWeb();
    bool SendByEmail();
    bool SendByFax();
    bool SendByPrint();
    bool SendByFile();
    // The registration by file without the window: the fields from an
    // answer file, REGISTER.TXT written and the registration recorded, as
    // Ok with the file method does. IoError when the form cannot be written.
    void RegisterFromAnswers(const RegistrationAnswers& answers);
    // Sleeps the whole period, then hands on the messages that came meanwhile.
    void WaitMs(uint32_t milliseconds);

private:
    class FormFile;
    void AddFormLine(FormFile& file, const std::string& line);
    bool NamesGiven() const;
    bool RunCheckedMethod();
    std::string PurchaseDate() const;
    std::string PurchaseSource() const;

    DialogPeer& dialog_;
    Platform& platform_;
    Desktop& desktop_;
    RegistrationDialogs& dialogs_;

    ControlPeer& EditFirstName;
    ControlPeer& EditLastName;
    ControlPeer& EditCompany;
    ControlPeer& EditAddr1;
    ControlPeer& EditAddr2;
    ControlPeer& EditAddr3;
    ControlPeer& EditCity;
    ControlPeer& EditState;
    ControlPeer& EditZip;
    ControlPeer& EditCountry;
    ControlPeer& EditTel;
    ControlPeer& EditFax;
    ControlPeer& EditEmail;
    ControlPeer& EditProdName;
    ControlPeer& EditProdVer;
    ControlPeer& EditProdSN;
    DropDownPeer& ComboBoxDay;
    DropDownPeer& ComboBoxMonth;
    DropDownPeer& ComboBoxYear;
    CheckPeer& RadBtnVexlor;
    CheckPeer& RadBtnDealer;
    ControlPeer& EditDealer;
    CheckPeer& RadBtnWeb;
    CheckPeer& RadBtnEmail;
    CheckPeer& RadBtnFax;
    CheckPeer& RadBtnPrn;
    CheckPeer& RadBtnFile;
};

}  // namespace mivox
