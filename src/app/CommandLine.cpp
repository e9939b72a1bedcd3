#include "app/CommandLine.h"

#include <vector>

#include "util/FolderPath.h"
#include "util/TextUtil.h"

namespace mivox {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Splits at blanks outside double quotes; the quotes themselves go. False
// when a quote is left open.
bool SplitArguments(const std::string& line, std::vector<std::string>& arguments) {
    bool quoted = false;
    bool inArgument = false;
    std::string current;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (IsBlank(c) && !quoted) {
            if (inArgument) arguments.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) arguments.push_back(current);
    return !quoted;
}

}  // namespace

bool ParseCommandLine(const std::string& arguments, SetupOptions& options, std::string& error) {
    options = SetupOptions{};
    error.clear();
    std::vector<std::string> list;
    const bool closed = SplitArguments(arguments, list);
    for (const std::string& argument : list) {
        if (UpperText(argument) == "/S") options.silent = true;
    }
    if (!closed) {
        error = "A quote in the command line is not closed.";
        return false;
    }

    bool seenD = false, seenLog = false, seenRegister = false, seenRestart = false, seenS = false;
    for (const std::string& argument : list) {
        const size_t equals = argument.find('=');
        const std::string name = UpperText(argument.substr(0, equals));
        const bool hasValue = equals != std::string::npos;
        const std::string value = hasValue ? argument.substr(equals + 1) : std::string();
        bool* seen = nullptr;
        if (name == "/S" && !hasValue) {
            seen = &seenS;
        } else if (name == "/NORESTART" && !hasValue) {
            seen = &seenRestart;
            options.noRestart = true;
        } else if (name == "/D" && hasValue) {
            seen = &seenD;
            std::string folder = value;
            if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
            const std::string problem = FolderProblem(folder);
            if (!problem.empty()) {
                error = "\"" + argument + "\": " + problem + ".";
                return false;
            }
            options.installDir = folder;
        } else if ((name == "/LOG" || name == "/REGISTER") && hasValue) {
            seen = name == "/LOG" ? &seenLog : &seenRegister;
            if (value.empty() || HasForbiddenCharacter(value)) {
                error = "\"" + argument + "\": " + name + "= needs the name of a file.";
                return false;
            }
            (name == "/LOG" ? options.logPath : options.answersPath) = value;
        } else {
            error = "\"" + argument + "\" is not an option of Setup.";
            return false;
        }
        if (*seen) {
            error = name + " is given twice.";
            return false;
        }
        *seen = true;
    }
    if (!options.silent && (seenLog || seenRestart || seenRegister)) {
        error = std::string(seenLog       ? "/LOG="
                            : seenRestart ? "/NORESTART"
                                          : "/REGISTER=") +
                " goes with /S only.";
        return false;
    }
    return true;
}

}  // namespace mivox
