// A dialog kept in memory: a test presses its buttons and types into its
// boxes, and reads what the dialog class showed.
#pragma once

#include <functional>
#include <map>
#include <memory>

#include "fakes/FakeControl.h"
#include "platform/DialogPeer.h"
#include "platform/MessageBoxes.h"

namespace mivox::testing {

class FakeDialog : public DialogPeer {
public:
    void Bind(DialogEvents& events) {
        events_ = &events;
        events.FormCreate();
    }

    // Every control exists on first use, as in a template that has them all.
    FakeControl& Control(int controlId) override;
    void SetCaption(const std::string& caption) override { caption_ = caption; }
    std::string Caption() const override { return caption_; }
    // Shows the dialog, then lets whileModal act as the user until the dialog
    // closes; a modal showing nobody closes ends as Cancel.
    int ShowModal() override;
    void Show() override;
    void Hide() override;
    bool IsVisible() const override { return visible_; }
    void Close(int result) override;
    int Result() const override { return result_; }

    // The user's actions.
    void Click(int controlId);
    void Type(int controlId, const std::string& text);

    std::function<void(FakeDialog&)> whileModal;
    int closeCount = 0;

private:
    DialogEvents* events_ = nullptr;
    std::map<int, std::unique_ptr<FakeControl>> controls_;
    std::string caption_;
    bool visible_ = false;
    bool modal_ = false;
    int result_ = 0;
};

}  // namespace mivox::testing
