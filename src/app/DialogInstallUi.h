// The installation as the user meets it: the installer's own dialogs.
#pragma once

#include "install/InstallUi.h"
#include "platform/Platform.h"

namespace mivox {

class Forms;

class DialogInstallUi final : public InstallUi {
public:
    DialogInstallUi(Platform& platform, Forms& forms) : platform_(platform), forms_(forms) {}

    bool Ask(const Query& query) override;
    void Tell(const Outcome& outcome) override;
    // The user is not troubled with it.
    void Note(const Outcome&) override {}
    void RefuseRights() override;
    void BeginCopy() override;
    void CopyingDir(const std::string& destination) override;
    void CopyingFile(const std::string& name, long double dirDone, long double allDone) override;
    bool CopyGoesOn() const override;
    void EndCopy() override;
    void BeginStep(const std::string& title) override;
    void StepDetail(const std::string& detail) override;
    void EndStep() override;
    void Register(const std::string& version, const std::string& appDir) override;
    void ShowTextFile(const std::string& path) override;

private:
    Platform& platform_;
    Forms& forms_;
    std::string copyDir_;  // shown with each file the meter repaints for
};

}  // namespace mivox
