#include "app/InstallProposal.h"

#include "app/ProductInfo.h"
#include "registry/RegStuff.h"
#include "util/TextUtil.h"
#include "util/VersionText.h"

namespace mivox {

namespace {

constexpr int64_t kMegabyte = 1000000;
// Installations before this version recorded their folder differently.
constexpr long double kFirstVersionWithKnownDir = 4.0L;

// The running program's folder, with its final backslash: the medium's root.
std::string MediumRoot(const SystemInfo& system) {
    const std::string program = system.ModuleFileName();
    return program.substr(0, program.rfind('\\') + 1);
}

}  // namespace

std::string SetupFolder(const SystemInfo& system) {
    return RemoveText(system.ModuleFileName(), "\\SETUP.EXE");
}

int64_t FreeMegabytes(FileSystem& files, const std::string& path) {
    const std::string root = UpperText(path);
    const int drive = (root.empty() ? 0 : static_cast<unsigned char>(root[0])) - 64;
    // A drive that cannot be read gives -1, shown as 0.
    return files.DiskFreeBytes(drive) / kMegabyte;
}

std::string ProposedFolder(const Machine& machine, const std::string& given) {
    // Read whatever is given: reading opens the product key, and makes it.
    std::string path = ReadProgramDir(machine);
    if (TextToReal(ReadProgramVersion(machine)) < kFirstVersionWithKnownDir) path.clear();
    if (path.empty()) path = product::kDefaultInstallDir;
    return given.empty() ? path : given;
}

CopyLists ScanMedium(const Machine& machine, Conversation& talk, const std::string& installDir) {
    CopyLists lists;
    const std::string root = MediumRoot(machine.system);
    if (!lists.Build(machine.files, machine.system, root, installDir,
                     machine.system.WindowsDirectory() + "\\")) {
        talk.Tell(CopyLists::TooManyDirectories(root));
    }
    return lists;
}

InstallProposal ProposeInstallation(const Machine& machine, VersionResources& versions,
                                    VirtualMemory& memory, Conversation& talk,
                                    const std::string& givenFolder) {
    InstallProposal proposal;
    InstallRequest& request = proposal.request;
    request.version = FileVersionText(machine, versions, memory, talk,
                                      SetupFolder(machine.system) + product::kProgramOnMedium);
    const std::string folder = ProposedFolder(machine, givenFolder);
    const size_t slash = folder.rfind('\\');
    request.path = slash == std::string::npos ? folder : folder.substr(0, slash + 1);
    request.folder = slash == std::string::npos ? std::string() : folder.substr(slash + 1);
    request.sourceRoot = MediumRoot(machine.system);
    request.windowsDir = machine.system.WindowsDirectory() + "\\";
    request.freeMegabytes = FreeMegabytes(machine.files, request.path);
    proposal.lists = ScanMedium(machine, talk, folder);
    request.dirBytes = proposal.lists.bytes;
    for (const int64_t bytes : request.dirBytes) request.totalBytes += bytes;
    request.needMegabytes = request.totalBytes / kMegabyte;
    return proposal;
}

}  // namespace mivox
