// Controls kept in memory: what the test backend shows a test.
#pragma once

#include <string>

#include "platform/ControlPeer.h"
#include "platform/FileSystem.h"

namespace mivox::testing {

class FakeControl : public ControlPeer {
public:
    // focus is the dialog's record of the control that has the focus; a
    // control on its own keeps its own.
    explicit FakeControl(ControlPeer** focus = nullptr) : focus_(focus ? focus : &ownFocus_) {}

    void SetText(const std::string& text) override {
        text_ = text;
        ++textChanges;
    }
    std::string Text() const override { return text_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    bool IsEnabled() const override { return enabled_; }
    void RemoveTypingLimit() override { typingLimited = false; }
    void Invalidate() override { ++invalidations; }
    void SetFocus() override { *focus_ = this; }
    void SetHint(const std::string& text) override { hint = text; }
    void SetTextColour(Colour colour) override { textColour = colour; }
    void SetFont(const std::string& face, int points) override {
        fontFace = face;
        fontPoints = points;
    }

    bool typingLimited = true;
    int textChanges = 0;
    int invalidations = 0;
    std::string hint;
    Colour textColour = 0;
    std::string fontFace;
    int fontPoints = 0;

private:
    ControlPeer* ownFocus_ = nullptr;
    ControlPeer** focus_;
    std::string text_;
    bool enabled_ = true;
};

class FakeProgress : public ProgressPeer {
public:
    void SetPosition(int value) override { position = value; }
    int Position() const override { return position; }
    int position = 0;
};

class FakeAnimation : public AnimationPeer {
public:
    bool Open(CommonAvi avi) override {
        opened = avi;
        return true;
    }
    void Play(int frame) override {
        lastFrame = frame;
        playing = true;
    }
    void Stop() override { playing = false; }
    bool IsPlaying() const override { return playing; }

    CommonAvi opened{};
    int lastFrame = 0;
    bool playing = false;
};

class FakeDriveBox : public DriveBoxPeer {
public:
    bool SetDrive(char letter) override;
    char Drive() const override { return drive; }

    // The drives listed, in upper case.
    std::string drives = "ACD";
    char drive = '\0';
};

// A directory list over a file system: it lists only directories that exist.
class FakeDirList : public DirListPeer {
public:
    explicit FakeDirList(const FileSystem* files) : files_(files) {}
    bool SetDirectory(const std::string& path) override;
    std::string Directory() const override { return directory_; }

private:
    const FileSystem* files_;
    std::string directory_;
};

}  // namespace mivox::testing
