#include "app/SilentSetup.h"

#include <exception>

#include "app/InstallProposal.h"
#include "install/InstallSequence.h"
#include "install/PresetAnswers.h"
#include "install/ProgressLog.h"
#include "install/UndoJournal.h"
#include "registration/RegistrationAnswers.h"
#include "registry/RegStuff.h"
#include "util/DateTimeText.h"
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

// The bytes of the files below folder (with its backslash): an earlier
// installation's, each of which the run may replace and so first copies.
int64_t ReplacedBytes(FileSystem& files, const std::string& folder, int depth = 0) {
    int64_t bytes = 0;
    if (depth > 32) return bytes;
    for (const FindData& entry : files.FindEntries(folder + "*.*")) {
        if (entry.name == "." || entry.name == "..") continue;
        if (!(entry.attributes & kAttrDirectory)) {
            bytes += entry.size;
        } else if (!(entry.attributes & kAttrReparsePoint)) {
            bytes += ReplacedBytes(files, folder + entry.name + "\\", depth + 1);
        }
    }
    return bytes;
}

}  // namespace

int RunSilentSetup(Platform& platform, const SetupOptions& options) {
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
    const Machine machine{.files = journal.Files(),
                          .registry = journal.Keys(),
                          .shell = journal.Links(),
                          .security = platform.security,
                          .system = platform.system,
                          .clock = platform.clock};
    PresetInstallUi ui(log, [&](const std::string& version, const std::string& appDir) {
        if (!registers) {
            log.Write("Registration skipped: no answer file given");
            return;
        }
        const RegistrationForm form = FormFromAnswers(answers, version, platform.clock.LocalTime());
        const std::string path = appDir + "REGISTER.TXT";
        WriteRegistrationFile(machine.files, path,
                              RegistrationFormLines(form, DateTimeText(platform.clock)));
        RecordRegistration(machine, form);
        log.Write("Registered by file: " + path + " (please remember to mail it)");
    });
    try {
        const InstallProposal proposal = ProposeInstallation(
            machine, platform.versions, platform.memory, ui, options.installDir);
        InstallRequest request = proposal.request;
        // The copies kept to take the run back need room beside the files.
        constexpr int64_t kMegabyte = 1024 * 1024;
        std::string folder = request.path + request.folder;
        if (!folder.empty() && folder.back() != '\\') folder += '\\';
        request.needMegabytes +=
            (ReplacedBytes(platform.files, folder) + kMegabyte - 1) / kMegabyte;
        log.Write("Installing into " + request.path + request.folder);
        if (!InstallSequence(request, machine, ui).Run()) {
            return Undo(journal, log, kExitRefused, "refused");
        }
    } catch (const std::exception& failure) {
        log.Write(std::string("Failed: ") + failure.what());
        return Undo(journal, log, kExitFailed, "failed");
    }
    // A record key that cannot be made is passed over by the interactive
    // installation; an unattended one without its records could never be
    // uninstalled, so it fails instead.
    if (ui.Failures().empty() && ExistingProductKeys(machine).size() != 3) {
        log.Write("Failed: the product's registry records could not be made");
        return Undo(journal, log, kExitFailed, "failed");
    }
    if (!ui.Failures().empty()) {
        return Undo(journal, log, kExitFailed,
                    "not installed: " + std::to_string(ui.Failures().size()) +
                        " problem(s), see the warnings above");
    }
    journal.Commit();
    if (!journal.RestartNeeded()) return Finish(log, kExitDone, "installed");

    log.Write("Files in use are replaced when Windows restarts");
    if (options.noRestart) {
        log.Write("Windows is not restarted (/NORESTART)");
    } else if (ShutdownWindows(machine, kEwxReboot)) {
        log.Write("Windows restarts now");
    } else {
        log.Write("Warning: Windows could not be restarted; please restart it");
    }
    return Finish(log, kExitRestartNeeded, "installed, restart needed");
}

}  // namespace mivox
