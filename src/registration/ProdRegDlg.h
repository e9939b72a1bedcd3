// TProdRegDlg: the product registration. Shows the registration form in its
// controls and reads it back; on Ok writes it as REGISTER.TXT and delivers it
// by the chosen method. The dialog can only be left by a method that
// succeeds.
#pragma once

#include <string>
#include <vector>

#include "platform/DialogPeer.h"
#include "platform/Platform.h"
#include "registration/RegistrationDialogs.h"
#include "registration/RegistrationForm.h"

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

    // The form as the controls show it, and the controls set to show a form.
    RegistrationForm ReadForm() const;
    void WriteForm(const RegistrationForm& form);

    // The form of the last Ok press, one entry per line; the senders read it.
    std::vector<std::string> RegFormLines;
    std::string ProdVersion;
    std::string AppDir;  // with a final backslash
    std::string RegFormPath;

    // Rebuilds RegFormLines from the controls and rewrites REGISTER.TXT;
    // IoError when the file cannot be written.
    void BuildRegForm();
    bool SendByWeb(const RegistrationForm& form);
    bool SendByEmail();
    bool SendByFax();
    bool SendByPrint();
    bool SendByFile();
    // Sleeps the whole period, then hands on the messages that came meanwhile.
    void WaitMs(uint32_t milliseconds);

private:
    bool RunMethod(const RegistrationForm& form);

    DialogPeer& dialog_;
    Platform& platform_;
    RegistrationDialogs& dialogs_;

    DropDownPeer& ComboBoxDay;
    DropDownPeer& ComboBoxMonth;
    DropDownPeer& ComboBoxYear;
    CheckPeer& RadBtnVexlor;
    CheckPeer& RadBtnDealer;
    ControlPeer& EditDealer;
};

}  // namespace mivox
