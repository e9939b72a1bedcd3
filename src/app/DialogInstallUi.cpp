#include "app/DialogInstallUi.h"

#include "app/Forms.h"
#include "util/Messages.h"

namespace mivox {

bool DialogInstallUi::Ask(const Query& query) {
    if (query.boxStyle == kAskInDialog) return forms_.YesNoDlg().Ask(query.caption, query.text);
    return BoxConversation(platform_.boxes).Ask(query);
}

void DialogInstallUi::Tell(const Outcome& outcome) {
    ShowOutcome(platform_.boxes, outcome);
}

void DialogInstallUi::RefuseRights() {
    forms_.NTrightsDlg().ShowModal();
}

void DialogInstallUi::BeginCopy() {
    forms_.CopyMeterDlg().Show();
}

void DialogInstallUi::CopyingDir(const std::string& destination) {
    copyDir_ = destination;
}

void DialogInstallUi::CopyingFile(const std::string& name, long double dirDone,
                                  long double allDone) {
    forms_.CopyMeterDlg().ShowFile(copyDir_, dirDone, name, allDone);
}

bool DialogInstallUi::CopyGoesOn() const {
    return forms_.CopyMeterDlg().RunState() == kIdOk;
}

void DialogInstallUi::EndCopy() {
    forms_.CopyMeterDlg().Close();
}

void DialogInstallUi::BeginStep(const std::string& title) {
    TInfoBoxDlg& info = forms_.InfoBoxDlg();
    info.Show();
    info.SetTopText(title);
}

void DialogInstallUi::StepDetail(const std::string& detail) {
    forms_.InfoBoxDlg().SetBottomText(detail);
}

void DialogInstallUi::EndStep() {
    forms_.InfoBoxDlg().Hide();
}

void DialogInstallUi::Register(const std::string& version, const std::string& appDir) {
    TProdRegDlg& registration = forms_.ProdRegDlg();
    registration.ProdVersion = version;
    registration.AppDir = appDir;
    registration.ShowModal();
}

void DialogInstallUi::ShowTextFile(const std::string& path) {
    TTxtViewerDlg& viewer = forms_.TxtViewerDlg();
    viewer.FileName = path;
    viewer.ShowModal();
}

}  // namespace mivox
