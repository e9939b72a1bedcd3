// What the installer proposes before anything is asked, the same for the
// main dialog, which shows it, and for the unattended run, which takes it:
// the destination (the one given, else the one an earlier installation
// recorded, else the default), the product's version on the medium, the
// drive-space figures, and the copy lists they come from.
#pragma once

#include <cstdint>
#include <string>

#include "install/CopyLists.h"
#include "install/InstallSequence.h"
#include "platform/Machine.h"
#include "platform/VersionResources.h"
#include "util/Outcome.h"

namespace mivox {

struct InstallProposal {
    InstallRequest request;
    CopyLists lists;
};

// The folder of the running program when it runs as SETUP.EXE (in any
// letter case); under another name, the program's full path.
std::string SetupFolder(const SystemInfo& system);

// The whole megabytes free on the drive of a path such as "C:\"; 0 for a
// drive that cannot be read.
int64_t FreeMegabytes(FileSystem& files, const std::string& path);

// The destination folder to propose: given when not empty.
std::string ProposedFolder(const Machine& machine, const std::string& given);

// The copy lists for the medium of the running program and installDir, with
// the bytes they need; a medium with too many directories is told as refused
// and gives empty lists.
CopyLists ScanMedium(const Machine& machine, Conversation& talk, const std::string& installDir);

// The whole proposal; talk hears of a version resource that cannot be read
// and of a medium that cannot be installed from.
InstallProposal ProposeInstallation(const Machine& machine, VersionResources& versions,
                                    VirtualMemory& memory, Conversation& talk,
                                    const std::string& givenFolder);

}  // namespace mivox
