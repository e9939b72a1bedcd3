// A test double of the Desktop seam: records the URLs opened and programs
// started, sleeps on the fake clock, and keeps radio buttons and drop-down
// lists in memory.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "platform/Desktop.h"

namespace mivox::testing {

class FakeCheck : public CheckPeer {
public:
    void SetChecked(bool checked) override { checked_ = checked; }
    bool IsChecked() const override { return checked_; }

private:
    bool checked_ = false;
};

class FakeDropDown : public DropDownPeer {
public:
    void Clear() override {
        items.clear();
        selected_ = -1;
    }
    void AddItem(const std::string& text) override { items.push_back(text); }
    int Count() const override { return static_cast<int>(items.size()); }
    void SetSelected(int index) override { selected_ = index >= 0 && index < Count() ? index : -1; }
    int Selected() const override { return selected_; }
    std::string Text() const override { return selected_ < 0 ? std::string() : items[selected_]; }

    std::vector<std::string> items;

private:
    int selected_ = -1;
};

// Sleeps advance the tick count of the fake clock it is given.
template <typename TickClock>
class BasicFakeDesktop : public Desktop {
public:
    explicit BasicFakeDesktop(TickClock& clock) : clock_(clock) {}

    void OpenUrl(DialogPeer& owner, const std::string& url) override {
        urls.push_back(url);
        owners.push_back(&owner);
    }
    bool StartProgram(const std::string& commandLine) override {
        programs.push_back(commandLine);
        return programStarts;
    }
    void Sleep(uint32_t milliseconds) override {
        sleeps.push_back(milliseconds);
        clock_.ticks += milliseconds;
    }
    CheckPeer& Check(DialogPeer& dialog, int controlId) override {
        return Get(checks_, dialog, controlId);
    }
    DropDownPeer& DropDown(DialogPeer& dialog, int controlId) override {
        return Get(dropDowns_, dialog, controlId);
    }
    FakeCheck& CheckOf(DialogPeer& dialog, int controlId) {
        return Get(checks_, dialog, controlId);
    }
    FakeDropDown& DropDownOf(DialogPeer& dialog, int controlId) {
        return Get(dropDowns_, dialog, controlId);
    }

    std::vector<std::string> urls;
    std::vector<DialogPeer*> owners;
    std::vector<std::string> programs;
    bool programStarts = true;
    std::vector<uint32_t> sleeps;

private:
    template <typename Peer>
    Peer& Get(std::map<std::pair<DialogPeer*, int>, std::unique_ptr<Peer>>& peers,
              DialogPeer& dialog, int controlId) {
        auto& peer = peers[{&dialog, controlId}];
        if (!peer) peer = std::make_unique<Peer>();
        return *peer;
    }

    TickClock& clock_;
    std::map<std::pair<DialogPeer*, int>, std::unique_ptr<FakeCheck>> checks_;
    std::map<std::pair<DialogPeer*, int>, std::unique_ptr<FakeDropDown>> dropDowns_;
};

}  // namespace mivox::testing
