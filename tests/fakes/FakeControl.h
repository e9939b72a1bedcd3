// A control kept in memory: what the test backend shows a test.
#pragma once

#include <string>

#include "platform/ControlPeer.h"

namespace mivox::testing {

class FakeControl : public ControlPeer {
public:
    void SetText(const std::string& text) override {
        text_ = text;
        ++textChanges;
    }
    std::string Text() const override { return text_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    bool IsEnabled() const override { return enabled_; }
    void Invalidate() override { ++invalidations; }

    int textChanges = 0;
    int invalidations = 0;

private:
    std::string text_;
    bool enabled_ = true;
};

}  // namespace mivox::testing
