// The installation's user, written down: each question, outcome and dialog
// as a line of the trace, the answers from queues. Tests of the installation
// sequence run it through this instead of through the installer's dialogs.
#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "install/InstallUi.h"

namespace mivox::testing {

class RecordingInstallUi final : public InstallUi {
public:
    // Answers to the installer's yes/no dialog, No once they run out; and
    // to the questions in a box, each query's unattended answer once those
    // run out.
    std::deque<bool> answers;
    std::deque<bool> boxAnswers;
    // The copy goes on for this many files, then is cancelled; -1: to its end.
    int cancelAfterFiles = -1;

    // "ask TOP | BOTTOM", "box CAPTION" (a box question or an outcome shown),
    // "note CAPTION", "rights", "view PATH", "register VERSION DIR".
    std::vector<std::string> trace;
    std::vector<Query> asked;
    std::vector<Outcome> told;
    // Each file's fractions of its directory and of the whole copy.
    std::vector<std::pair<long double, long double>> fractions;
    // Whether the copy meter and a step's window are up.
    bool copyShown = false;
    bool stepShown = false;

    bool Ask(const Query& query) override {
        asked.push_back(query);
        std::deque<bool>& queue = query.boxStyle == kAskInDialog ? answers : boxAnswers;
        const bool fallback = query.boxStyle == kAskInDialog ? false : query.unattendedAnswer;
        trace.push_back(query.boxStyle == kAskInDialog ? "ask " + query.caption + " | " + query.text
                                                       : "box " + query.caption);
        if (queue.empty()) return fallback;
        const bool yes = queue.front();
        queue.pop_front();
        return yes;
    }
    void Tell(const Outcome& outcome) override {
        told.push_back(outcome);
        trace.push_back("box " + outcome.caption);
    }
    void Note(const Outcome& outcome) override {
        told.push_back(outcome);
        trace.push_back("note " + outcome.caption);
    }
    void RefuseRights() override { trace.push_back("rights"); }
    void BeginCopy() override { copyShown = true; }
    void CopyingDir(const std::string&) override {}
    void CopyingFile(const std::string&, long double dirDone, long double allDone) override {
        fractions.emplace_back(dirDone, allDone);
        if (cancelAfterFiles >= 0 && ++files_ > cancelAfterFiles) cancelled_ = true;
    }
    bool CopyGoesOn() const override { return !cancelled_; }
    void EndCopy() override { copyShown = false; }
    void BeginStep(const std::string&) override { stepShown = true; }
    void StepDetail(const std::string&) override {}
    void EndStep() override { stepShown = false; }
    void Register(const std::string& version, const std::string& appDir) override {
        trace.push_back("register " + version + " " + appDir);
    }
    void ShowTextFile(const std::string& path) override { trace.push_back("view " + path); }

    // Ready for another run: its files counted anew, what was recorded kept.
    void Reset() {
        cancelled_ = false;
        files_ = 0;
    }

private:
    bool cancelled_ = false;
    int files_ = 0;
};

}  // namespace mivox::testing
