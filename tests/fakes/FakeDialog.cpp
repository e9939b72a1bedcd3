#include "fakes/FakeDialog.h"

namespace mivox::testing {

void FakeDialog::Dispatch(const std::function<void()>& event) {
    if (!loop_ || !loop_->exceptionHandler) return event();
    try {
        event();
    } catch (const std::exception& error) {
        loop_->exceptionHandler(error);
    }
}

void FakeDialog::Bind(DialogEvents& events) {
    events_ = &events;
    Dispatch([&] { events.FormCreate(); });
}

FakeControl& FakeDialog::Control(int controlId) {
    auto& control = controls_[controlId];
    if (!control) control = std::make_unique<FakeControl>(&focus_);
    return *control;
}

FakeDirList& FakeDialog::DirList(int controlId) {
    auto& list = dirLists_[controlId];
    if (!list) list = std::make_unique<FakeDirList>(files_);
    return *list;
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
    ++showCount;
    if (showTally) ++*showTally;
    showing_ = true;
    closedWhileShowing_ = false;
    if (events_) Dispatch([&] { events_->FormShow(); });
    showing_ = false;
    // A modal dialog that closed itself while being shown does not appear.
    if (modal_ && closedWhileShowing_) return;
    visible_ = true;
}

void FakeDialog::Hide() {
    if (!visible_) return;
    visible_ = false;
    if (events_) Dispatch([&] { events_->FormHide(); });
}

void FakeDialog::Close(int result) {
    result_ = result;
    // A close request whose check fails keeps the window open.
    bool allowed = events_ == nullptr;
    if (events_) Dispatch([&] { allowed = events_->FormCloseQuery(); });
    if (!allowed) return;
    ++closeCount;
    if (showing_) closedWhileShowing_ = true;
    Hide();
}

void FakeDialog::Click(int controlId) {
    if (events_ && Control(controlId).IsEnabled()) {
        Dispatch([&] { events_->Command(controlId, kButtonClicked); });
    }
}

void FakeDialog::Type(int controlId, const std::string& text) {
    // A user cannot type into a disabled box, as a click misses a disabled button.
    if (!Control(controlId).IsEnabled()) return;
    Control(controlId).SetText(text);
    if (events_) Dispatch([&] { events_->Command(controlId, kEditChanged); });
}

void FakeDialog::SelectDrive(int controlId, char letter) {
    if (DriveBox(controlId).SetDrive(letter) && events_) {
        Dispatch([&] { events_->Command(controlId, kComboSelChange); });
    }
}

void FakeDialog::OpenDirectory(int controlId, const std::string& path) {
    if (DirList(controlId).SetDirectory(path) && events_) {
        Dispatch([&] { events_->Command(controlId, kListDoubleClick); });
    }
}

std::unique_ptr<DialogPeer> FakeDialogFactory::Create(int templateId, bool isMainWindow) {
    auto dialog = std::make_unique<FakeDialog>(loop_, files_);
    dialog->showTally = &shownTotal;
    made.push_back({templateId, isMainWindow, dialog.get()});
    return dialog;
}

FakeDialog* FakeDialogFactory::Of(int templateId) const {
    for (auto m = made.rbegin(); m != made.rend(); ++m) {
        if (m->templateId == templateId) return m->dialog;
    }
    return nullptr;
}

}  // namespace mivox::testing
