#include "install/PresetAnswers.h"

namespace mivox {

namespace {

constexpr unsigned kButtonsMask = 0xF;
constexpr unsigned kIconMask = 0xF0;
constexpr unsigned kDefaultMask = 0xF00;

}  // namespace

bool PresetAnswer(Question question) {
    switch (question) {
        case Question::kBegin:
        case Question::kAllUsers:
        case Question::kDesktopCopy:
            return true;
        case Question::kMdfFloppy:
        case Question::kRestart:
            return false;
    }
    return false;
}

bool PresetInstallUi::Ask(Question question, const std::string& top, const std::string& bottom) {
    const bool yes = PresetAnswer(question);
    log_.Write("Question: " + top + " " + bottom + " - " + (yes ? "Yes" : "No"));
    return yes;
}

void PresetInstallUi::Refuse(const std::string& caption, const std::string& reason) {
    refusals_.push_back(caption + ": " + reason);
    log_.Write("Refused: " + refusals_.back());
}

void PresetInstallUi::RefuseRights() {
    Refuse("Administrator Rights Needed",
           "Installing the product needs an account with administrator rights.");
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

int PresetMessageBoxes::Show(const std::string& text, const std::string& caption, unsigned style) {
    const unsigned buttons = style & kButtonsMask;
    const bool second = (style & kDefaultMask) == kMbDefButton2;
    int answer = kIdOk;
    if (buttons == kMbYesNo) answer = second ? kIdNo : kIdYes;
    if (buttons == kMbOkCancel) answer = second ? kIdCancel : kIdOk;
    const char* name = answer == kIdYes      ? "Yes"
                       : answer == kIdNo     ? "No"
                       : answer == kIdCancel ? "Cancel"
                                             : "OK";
    const unsigned icon = style & kIconMask;
    const bool problem = buttons == kMbOk && (icon == kMbIconExclamation || icon == kMbIconHand);
    if (problem) {
        Report(caption, text);
    } else {
        log_.Write("Message: " + caption + ": " + text +
                   (buttons == kMbOk ? std::string() : std::string(" - ") + name));
    }
    return answer;
}

void PresetMessageBoxes::Report(const std::string& caption, const std::string& text) {
    problems_.push_back(caption + ": " + text);
    log_.Write("Warning: " + caption + ": " + text);
}

}  // namespace mivox
