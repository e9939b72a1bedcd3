#include "app/CommandLine.h"

#include <vector>

#include "util/SafeFileName.h"
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

// The characters Windows refuses in a path, and control characters.
bool HasForbiddenCharacter(const std::string& path) {
    for (const char c : path) {
        if (static_cast<unsigned char>(c) < 32 ||
            std::string("<>\"|*?").find(c) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// The reason a /D= folder is malformed, or nothing: a full path below a
// drive's root, such as C:\Mivox.
std::string FolderProblem(const std::string& folder) {
    const bool drivePath =
        folder.size() > 3 && folder[1] == ':' && folder[2] == '\\' &&
        ((folder[0] >= 'A' && folder[0] <= 'Z') || (folder[0] >= 'a' && folder[0] <= 'z'));
    if (!drivePath) return "the folder must be a full path below a drive's root, such as C:\\Mivox";
    // Windows also splits names at a slash, so C:\Mivox/.. would be the root.
    if (HasForbiddenCharacter(folder) || folder.find_first_of(":/", 2) != std::string::npos) {
        return "the folder holds a character Windows does not allow in a name";
    }
    size_t start = 3;
    while (start <= folder.size()) {
        size_t end = folder.find('\\', start);
        if (end == std::string::npos) end = folder.size();
        const std::string name = folder.substr(start, end - start);
        // A name Windows stores as written: not empty, ".", "..", ending in a
        // dot or blank, nor a device such as NUL.
        if (!IsSafeFileName(name.data(), name.size()))
            return "\"" + name + "\" is not a folder name";
        start = end + 1;
    }
    return {};
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
