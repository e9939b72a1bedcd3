// The unattended installation's side of the conversation: every question
// takes the unattended answer it carries, and what an interactive
// installation would show goes to the progress log instead. The run has
// failed when a step told of a failure, whether or not it went on.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "install/InstallUi.h"
#include "install/ProgressLog.h"

namespace mivox {

class PresetInstallUi final : public InstallUi {
public:
    using Registration = std::function<void(const std::string& version, const std::string& appDir)>;
    // registration runs the unattended registration.
    PresetInstallUi(ProgressLog& log, Registration registration)
        : log_(log), registration_(std::move(registration)) {}

    // "Caption: text" of every refusal and failure, in the order told.
    const std::vector<std::string>& Refusals() const { return refusals_; }
    const std::vector<std::string>& Failures() const { return failures_; }

    bool Ask(const Query& query) override;
    void Tell(const Outcome& outcome) override;
    void Note(const Outcome& outcome) override { Tell(outcome); }
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
    std::vector<std::string> failures_;
};

}  // namespace mivox
