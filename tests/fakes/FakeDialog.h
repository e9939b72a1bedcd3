// A dialog kept in memory: a test presses its buttons, types into its boxes,
// picks drives and directories, and reads what the dialog class showed.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "fakes/FakeControl.h"
#include "fakes/FakeMessageLoop.h"
#include "platform/DialogPeer.h"
#include "platform/MessageBoxes.h"

namespace mivox::testing {

class FakeDialog : public DialogPeer {
public:
    // With a loop, an exception that escapes an event goes to the loop's
    // handler as in the real program; without one it reaches the test.
    explicit FakeDialog(FakeMessageLoop* loop = nullptr, const FileSystem* files = nullptr)
        : loop_(loop), files_(files) {}

    void Bind(DialogEvents& events) override;

    // Every control exists on first use, as in a template that has them all.
    FakeControl& Control(int controlId) override;
    FakeProgress& Progress(int controlId) override { return Get(progressBars_, controlId); }
    FakeAnimation& Animation(int controlId) override { return Get(animations_, controlId); }
    FakeDriveBox& DriveBox(int controlId) override { return Get(driveBoxes_, controlId); }
    FakeDirList& DirList(int controlId) override;

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
    void SetResult(int result) override { result_ = result; }

    // The user's actions.
    void Click(int controlId);
    void Type(int controlId, const std::string& text);
    void SelectDrive(int controlId, char letter);
    void OpenDirectory(int controlId, const std::string& path);
    // The close box of the window.
    void CloseBox() { Close(kIdCancel); }

    ControlPeer* Focused() const { return focus_; }

    std::function<void(FakeDialog&)> whileModal;
    int closeCount = 0;
    int showCount = 0;
    // Also counts the showings here, when set: it outlives the dialog.
    int* showTally = nullptr;

private:
    template <typename Peer>
    Peer& Get(std::map<int, std::unique_ptr<Peer>>& peers, int controlId) {
        auto& peer = peers[controlId];
        if (!peer) peer = std::make_unique<Peer>();
        return *peer;
    }
    void Dispatch(const std::function<void()>& event);

    FakeMessageLoop* loop_;
    const FileSystem* files_;
    DialogEvents* events_ = nullptr;
    std::map<int, std::unique_ptr<FakeControl>> controls_;
    std::map<int, std::unique_ptr<FakeProgress>> progressBars_;
    std::map<int, std::unique_ptr<FakeAnimation>> animations_;
    std::map<int, std::unique_ptr<FakeDriveBox>> driveBoxes_;
    std::map<int, std::unique_ptr<FakeDirList>> dirLists_;
    ControlPeer* focus_ = nullptr;
    std::string caption_;
    bool visible_ = false;
    bool modal_ = false;
    bool showing_ = false;
    bool closedWhileShowing_ = false;
    int result_ = 0;
};

// Makes FakeDialogs and remembers the order of the templates asked for.
class FakeDialogFactory : public DialogFactory {
public:
    FakeDialogFactory(FakeMessageLoop* loop, const FileSystem* files)
        : loop_(loop), files_(files) {}
    std::unique_ptr<DialogPeer> Create(int templateId, bool isMainWindow) override;

    struct Made {
        int templateId;
        bool isMainWindow;
        FakeDialog* dialog;
    };
    std::vector<Made> made;
    // How often any dialog made here was shown, readable after the dialogs
    // are gone.
    int shownTotal = 0;
    // The dialog made last from a template; nullptr when none was.
    FakeDialog* Of(int templateId) const;

private:
    FakeMessageLoop* loop_;
    const FileSystem* files_;
};

}  // namespace mivox::testing
