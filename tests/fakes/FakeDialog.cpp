#include "fakes/FakeDialog.h"

namespace mivox::testing {

FakeControl& FakeDialog::Control(int controlId) {
    auto& control = controls_[controlId];
    if (!control) control = std::make_unique<FakeControl>();
    return *control;
}

int FakeDialog::ShowModal() {
    modal_ = true;
    result_ = 0;
    Show();
    if (visible_ && whileModal) whileModal(*this);
    if (visible_) Close(kIdCancel);
    modal_ = false;
    return result_;
}

void FakeDialog::Show() {
    if (events_) events_->FormShow();
    visible_ = true;
}

void FakeDialog::Hide() {
    if (!visible_) return;
    visible_ = false;
    if (events_) events_->FormHide();
}

void FakeDialog::Close(int result) {
    result_ = result;
    if (events_ && !events_->FormCloseQuery()) return;
    ++closeCount;
    Hide();
}

void FakeDialog::Click(int controlId) {
    if (events_ && Control(controlId).IsEnabled()) events_->Command(controlId, kButtonClicked);
}

void FakeDialog::Type(int controlId, const std::string& text) {
    Control(controlId).SetText(text);
    if (events_) events_->Command(controlId, kEditChanged);
}

}  // namespace mivox::testing
