#include "app/SilentSetup.h"

#include <exception>

#include "app/Forms.h"
#include "install/InstallSequence.h"
#include "install/PresetAnswers.h"
#include "install/ProgressLog.h"
#include "install/UndoJournal.h"
#include "registration/RegistrationAnswers.h"
#include "util/Shutdown.h"

namespace mivox {

namespace {

// The answer file, read and checked whole before anything is installed.
bool LoadAnswers(FileSystem& files, const std::string& path, RegistrationAnswers& answers,
                 std::string& error) {
    int64_t size = 0;
    std::string text;
    if (!files.FileExists(path) || !files.FileSize(path, size)) {
        error = "The answer file " + path + " does not exist.";
        return false;
    }
    if (size > static_cast<int64_t>(kMaxAnswerFileBytes)) {
        error = "The answer file " + path + " is larger than " +
                std::to_string(kMaxAnswerFileBytes) + " bytes.";
        return false;
    }
    if (!files.ReadAll(path, text)) {
        error = "The answer file " + path + " cannot be read.";
        return false;
    }
    return ReadRegistrationAnswers(text, answers, error);
}

int Finish(ProgressLog& log, int code, const std::string& outcome) {
    log.Write("Result: " + std::to_string(code) + " (" + outcome + ")");
    return code;
}

// A run that did not install takes away what it made, so that the machine
// is as it was, and says what it took.
int Undo(UndoJournal& journal, ProgressLog& log, int code, const std::string& outcome) {
    const std::vector<std::string> lines = journal.Undo();
    if (!lines.empty()) log.Write("Taking back what this run made");
    for (const std::string& line : lines) log.Write(line);
    return Finish(log, code, outcome);
}

// Shortcuts as the installation makes them, with each one that could not be
// made reported: the interactive installation passes over it in silence, but
// an unattended run without its shortcuts has not installed the product.
class CheckedLinks final : public Shell {
public:
    CheckedLinks(Shell& shell, PresetMessageBoxes& boxes) : shell_(shell), boxes_(boxes) {}

    bool SaveShellLink(const std::string& linkFile, const std::string& path,
                       const std::string& arguments, const std::string& workingDirectory) override {
        const bool done = shell_.SaveShellLink(linkFile, path, arguments, workingDirectory);
        if (!done)
            boxes_.Report("Shortcut Not Made", "The shortcut " + linkFile + " cannot be made.");
        return done;
    }
    bool ExitSession(uint32_t flags) override { return shell_.ExitSession(flags); }

private:
    Shell& shell_;
    PresetMessageBoxes& boxes_;
};

}  // namespace

int RunSilentSetup(DialogFactory& factory, Platform& platform, const SetupOptions& options) {
    ProgressLog log(platform.files, platform.clock);
    // Without its log a run could not say what it did.
    if (!options.logPath.empty() && !log.Open(options.logPath)) return kExitRefused;
    log.Write("Mivox Setup, unattended installation");

    RegistrationAnswers answers;
    const bool registers = !options.answersPath.empty();
    std::string error;
    if (registers && !LoadAnswers(platform.files, options.answersPath, answers, error)) {
        log.Write("Refused: Registration Answer File: " + error);
        return Finish(log, kExitRefused, "refused");
    }

    UndoJournal journal(platform.files, platform.registry, platform.shell);
    PresetMessageBoxes boxes(log);
    CheckedLinks links(journal.Links(), boxes);
    Platform silent{.files = journal.Files(),
                    .clock = platform.clock,
                    .system = platform.system,
                    .locale = platform.locale,
                    .versions = platform.versions,
                    .memory = platform.memory,
                    .boxes = boxes,
                    .registry = journal.Keys(),
                    .shell = links,
                    .security = platform.security,
                    .loop = platform.loop,
                    .processes = platform.processes,
                    .commonDialogs = platform.commonDialogs,
                    .desktop = platform.desktop,
                    .network = platform.network,
                    .libraries = platform.libraries,
                    .zone = platform.zone,
                    .timers = platform.timers,
                    .fax = platform.fax};
    try {
        Forms forms(factory, silent);
        TMainDlg& main = forms.MainDlg();
        main.PresetInstallDir = options.installDir;
        main.FormShow();
        log.Write("Installing into " + main.InstallDir());

        PresetInstallUi ui(log, [&](const std::string& version, const std::string& appDir) {
            if (!registers) {
                log.Write("Registration skipped: no answer file given");
                return;
            }
            TProdRegDlg& registration = forms.ProdRegDlg();
            registration.ProdVersion = version;
            registration.AppDir = appDir;
            registration.RegisterFromAnswers(answers);
            log.Write("Registered by file: " + registration.RegFormPath +
                      " (please remember to mail it)");
        });
        if (!InstallSequence(main.Request(), silent, ui).Run()) {
            return Undo(journal, log, kExitRefused, "refused");
        }
    } catch (const std::exception& failure) {
        log.Write(std::string("Failed: ") + failure.what());
        return Undo(journal, log, kExitFailed, "failed");
    }
    if (!boxes.Problems().empty()) {
        return Undo(journal, log, kExitFailed,
                    "not installed: " + std::to_string(boxes.Problems().size()) +
                        " problem(s), see the warnings above");
    }
    journal.Commit();
    if (!journal.RestartNeeded()) return Finish(log, kExitDone, "installed");

    log.Write("Files in use are replaced when Windows restarts");
    if (options.noRestart) {
        log.Write("Windows is not restarted (/NORESTART)");
    } else if (ShutdownWindows(silent, kEwxReboot)) {
        log.Write("Windows restarts now");
    } else {
        log.Write("Warning: Windows could not be restarted; please restart it");
    }
    return Finish(log, kExitRestartNeeded, "installed, restart needed");
}

}  // namespace mivox
