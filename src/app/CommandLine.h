// The command line of Setup.exe:
//   Setup.exe [/S] [/D=folder] [/LOG=file] [/NORESTART] [/REGISTER=answers.ini]
// Options are case-blind and separated by blanks; a value that holds blanks
// is quoted, around the whole option or around the value alone.
#pragma once

#include <string>

namespace mivox {

struct SetupOptions {
    // /S: no window; every question takes its deployment answer.
    bool silent = false;
    // /D=: the destination folder, without a final backslash; empty: the
    // folder the main dialog proposes.
    std::string installDir;
    // /LOG=: the plain progress log of an unattended installation.
    std::string logPath;
    // /NORESTART: Windows is not restarted even when files in use wait for it.
    bool noRestart = false;
    // /REGISTER=: the answer file of the registration by file.
    std::string answersPath;
};

inline constexpr const char kCommandLineUsage[] =
    "Setup.exe [/S] [/D=folder] [/LOG=file] [/NORESTART] [/REGISTER=answers.ini]\r\n"
    "/LOG=, /NORESTART and /REGISTER= go with /S.";

// Reads the arguments after the program's name into options. False with the
// reason in error when an argument is unknown or malformed; options.silent
// then still tells whether /S was among them, so that the caller knows
// whether it may show the reason.
bool ParseCommandLine(const std::string& arguments, SetupOptions& options, std::string& error);

}  // namespace mivox
