// The answers of an unattended installation: every question takes the
// answer an administrator gives in a deployment, and what an interactive
// installation would show goes to the progress log instead.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "install/InstallUi.h"
#include "install/ProgressLog.h"
#include "platform/MessageBoxes.h"

namespace mivox {

// Install, no measurement data from A:, shortcuts for all users with a
// desktop copy, no restart from the installation's own question.
bool PresetAnswer(Question question);

class PresetInstallUi final : public InstallUi {
public:
    using Registration = std::function<void(const std::string& version, const std::string& appDir)>;
    // registration runs the unattended registration.
    PresetInstallUi(ProgressLog& log, Registration registration)
        : log_(log), registration_(std::move(registration)) {}

    // The reasons the installation was refused, in the order given.
    const std::vector<std::string>& Refusals() const { return refusals_; }

    bool Ask(Question question, const std::string& top, const std::string& bottom) override;
    void Refuse(const std::string& caption, const std::string& reason) override;
    void RefuseRights() override;
    void BeginCopy() override;
    void CopyingDir(const std::string& destination) override;
    void CopyingFile(const std::string&, long double, long double) override {}
    bool CopyGoesOn() const override { return true; }
    void EndCopy() override;
    void BeginStep(const std::string& title) override;
    void StepDetail(const std::string& detail) override;
    void EndStep() override {}
    void Register(const std::string& version, const std::string& appDir) override;
    void ShowTextFile(const std::string& path) override;

private:
    ProgressLog& log_;
    Registration registration_;
    std::vector<std::string> refusals_;
};

// Message boxes nobody sees: each is logged and takes its default button;
// the reports of a problem (a box with only OK and a warning or error icon)
// are kept, since the run cannot then be called a success.
class PresetMessageBoxes final : public MessageBoxes {
public:
    explicit PresetMessageBoxes(ProgressLog& log) : log_(log) {}

    const std::vector<std::string>& Problems() const { return problems_; }
    // A problem no box reports: logged and kept as a box's would be.
    void Report(const std::string& caption, const std::string& text);

    int Show(const std::string& text, const std::string& caption, unsigned style) override;
    int ShowOwned(DialogPeer&, const std::string& text, const std::string& caption,
                  unsigned style) override {
        return Show(text, caption, style);
    }
    void Beep(unsigned) override {}

private:
    ProgressLog& log_;
    std::vector<std::string> problems_;
};

}  // namespace mivox
