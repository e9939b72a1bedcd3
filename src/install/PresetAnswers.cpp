#include "install/PresetAnswers.h"

#include "platform/MessageBoxes.h"

namespace mivox {

bool PresetInstallUi::Ask(const Query& query) {
    const bool yes = query.unattendedAnswer;
    if (query.boxStyle == kAskInDialog) {
        log_.Write("Question: " + query.caption + " " + query.text + " - " + (yes ? "Yes" : "No"));
        return yes;
    }
    const bool okCancel = (query.boxStyle & kMbButtonsMask) == kMbOkCancel;
    const char* answer = okCancel ? (yes ? "OK" : "Cancel") : (yes ? "Yes" : "No");
    log_.Write("Message: " + query.caption + ": " + query.text + " - " + answer);
    return yes;
}

void PresetInstallUi::Tell(const Outcome& outcome) {
    const std::string said = outcome.caption + ": " + outcome.text;
    switch (outcome.kind) {
        case OutcomeKind::kDone:
            log_.Write("Message: " + said);
            break;
        case OutcomeKind::kRefused:
            refusals_.push_back(said);
            log_.Write("Refused: " + said);
            break;
        case OutcomeKind::kFailed:
            failures_.push_back(said);
            log_.Write("Warning: " + said);
            break;
    }
}

void PresetInstallUi::RefuseRights() {
    Tell({OutcomeKind::kRefused, "Administrator Rights Needed",
          "Installing the product needs an account with administrator rights."});
}

void PresetInstallUi::BeginCopy() {
    log_.Write("Copying the product's files");
}

void PresetInstallUi::CopyingDir(const std::string& destination) {
    log_.Write("Copying into " + destination);
}

void PresetInstallUi::EndCopy() {
    log_.Write("Copy ended");
}

void PresetInstallUi::BeginStep(const std::string& title) {
    log_.Write(title);
}

void PresetInstallUi::StepDetail(const std::string& detail) {
    log_.Write("  " + detail);
}

void PresetInstallUi::Register(const std::string& version, const std::string& appDir) {
    registration_(version, appDir);
}

void PresetInstallUi::ShowTextFile(const std::string& path) {
    log_.Write("Release notes: " + path);
}

}  // namespace mivox
