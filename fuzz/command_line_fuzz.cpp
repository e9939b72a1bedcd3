// Setup.exe's arguments come from whatever deployment tool an administrator
// uses. Whatever ParseCommandLine accepts must be safe to act on: a /D=
// folder is a full path below a drive's root whose every name Windows reads
// as written; /LOG=, /NORESTART and /REGISTER= come only with /S; a refusal
// says why. The same line always gives the same answer, and the accepted
// options, quoted again, are read back the same.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/CommandLine.h"

namespace {

using mivox::SetupOptions;

[[noreturn]] void Fail(const char* what, const std::string& line) {
    std::fprintf(stderr, "%s: \"%s\"\n", what, line.c_str());
    std::abort();
}

bool Same(const SetupOptions& a, const SetupOptions& b) {
    return a.silent == b.silent && a.installDir == b.installDir && a.logPath == b.logPath &&
           a.noRestart == b.noRestart && a.answersPath == b.answersPath;
}

bool IsForbidden(unsigned char c) {
    return c < 32 || std::strchr("<>\"|*?", c);
}

// Windows opens a device for CON, NUL, COM1 and the like, whatever follows
// the first dot.
bool IsDevice(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
    return stem.size() == 4 && (stem.rfind("COM", 0) == 0 || stem.rfind("LPT", 0) == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

// Windows separates names at both slashes, drops trailing blanks and dots,
// follows "." and ".." and knows devices; a folder Setup takes must mean what
// it says.
void CheckFolder(const std::string& folder, const std::string& line) {
    const char drive = folder.empty() ? 0 : folder[0];
    if (folder.size() < 4 || !((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')) ||
        folder[1] != ':' || folder[2] != '\\') {
        Fail("accepted a folder that is not a full path below a drive's root", line);
    }
    std::string name;
    for (size_t i = 3; i <= folder.size(); ++i) {
        const char c = i < folder.size() ? folder[i] : '\\';
        if (c == '\\' || c == '/') {
            if (name.empty() || name == "." || name == ".." || name.back() == ' ' ||
                name.back() == '.') {
                Fail("accepted a folder name Windows reads otherwise", line);
            }
            if (IsDevice(name)) Fail("accepted a device for a folder", line);
            name.clear();
        } else if (IsForbidden(c) || c == ':') {
            Fail("accepted a character Windows does not allow in a name", line);
        } else {
            name += c;
        }
    }
}

void CheckFile(const std::string& path, const std::string& line) {
    for (const unsigned char c : path) {
        if (IsForbidden(c)) Fail("accepted a file name with a forbidden character", line);
    }
}

// The options as a deployment tool would write them, every value quoted.
std::string Quoted(const SetupOptions& options) {
    std::string line;
    if (options.noRestart) line += " /NORESTART";
    if (!options.answersPath.empty()) line += " /REGISTER=\"" + options.answersPath + "\"";
    if (!options.installDir.empty()) line += " \"/D=" + options.installDir + "\"";
    if (!options.logPath.empty()) line += " /log=\"" + options.logPath + "\"";
    if (options.silent) line += " /s";
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    SetupOptions options;
    std::string error;
    const bool accepted = mivox::ParseCommandLine(line, options, error);

    // Nothing of an earlier call may leak into the next.
    SetupOptions again{true, "C:\\Old", "old.log", true, "old.ini"};
    std::string againError = "old";
    if (mivox::ParseCommandLine(line, again, againError) != accepted || againError != error ||
        !Same(again, options)) {
        Fail("read the same line two ways", line);
    }

    if (options.silent) {
        std::string unquoted;
        for (const char c : line) {
            if (c != '"') unquoted += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        }
        if (unquoted.find("/S") == std::string::npos) Fail("saw a /S that is not there", line);
    }
    if (!accepted) {
        if (error.empty()) Fail("refused without saying why", line);
        return 0;
    }
    if (!error.empty()) Fail("accepted with a reason to refuse", line);
    if (!options.installDir.empty()) CheckFolder(options.installDir, line);
    CheckFile(options.logPath, line);
    CheckFile(options.answersPath, line);
    if (!options.silent &&
        (!options.logPath.empty() || options.noRestart || !options.answersPath.empty())) {
        Fail("accepted /LOG=, /NORESTART or /REGISTER= without /S", line);
    }

    const std::string quoted = Quoted(options);
    SetupOptions reread;
    if (!mivox::ParseCommandLine(quoted, reread, error)) Fail("refused its own options", quoted);
    if (!Same(reread, options)) Fail("read its own options back otherwise", quoted);
    return 0;
}
