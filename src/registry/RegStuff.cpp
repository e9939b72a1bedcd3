#include "registry/RegStuff.h"

#include "registry/RegistryEx.h"
#include "util/WinVersion.h"

namespace mivox {

namespace {

std::string ReadProductString(const Machine& machine, const std::string& name) {
    TRegistryEx reg(machine);
    reg.SetRootKey(kHkeyLocalMachine);
    if (!reg.OpenKey(kProductKey, true) || !reg.ValueExists(name)) return {};
    // Only a string is a folder or a version; anything else reads as none.
    std::string data;
    const RegDataType kind = reg.GetData(name, data, data.max_size());
    if (kind != RegDataType::kString && kind != RegDataType::kExpandString) return {};
    return data.substr(0, data.find('\0'));
}

}  // namespace

std::vector<std::string> ProductKeys(bool winNT) {
    std::vector<std::string> keys{kProductKey, kAppPathKey, kUninstallKey};
    if (winNT) keys.emplace_back(kDriverServiceKey);
    return keys;
}

std::vector<std::string> ExistingProductKeys(const Machine& machine) {
    std::vector<std::string> keys;
    for (const char* path : {kProductKey, kAppPathKey, kUninstallKey}) {
        std::unique_ptr<RegistryKey> key;
        if (machine.registry.OpenKey(kHkeyLocalMachine, path, kKeyRead, key) == kRegSuccess) {
            keys.emplace_back(path);
        }
    }
    return keys;
}

std::string ReadProgramDir(const Machine& machine) {
    return ReadProductString(machine, "ProgramDir");
}

std::string ReadProgramVersion(const Machine& machine) {
    return ReadProductString(machine, "ProgramVersion");
}

void WriteProductRecord(const Machine& machine, const std::string& programDir,
                        const std::string& version) {
    TRegistryEx reg(machine);
    reg.SetRootKey(kHkeyLocalMachine);
    if (reg.OpenKey(kProductKey, true)) {
        if (IsWinNT(machine.system)) reg.GrantEveryoneAccess();
        reg.WriteString("ProgramDir", programDir);
        reg.WriteString("ProgramPath", programDir + "\\Mivox.EXE");
        reg.WriteString("ProgramVersion", version);
        reg.WriteString("RegisterPerson", "");
        reg.WriteString("RegisterCompany", "");
        reg.WriteString("RegisterSerial", "");
        reg.CloseKey();
    }
    if (reg.OpenKey(kAppPathKey, true)) {
        reg.WriteString("", programDir + "\\Mivox.EXE");
        reg.WriteString("Path", programDir);
    }
}

void WriteUninstallEntry(const Machine& machine, const std::string& uninstallCommand,
                         const std::string& version) {
    TRegistryEx reg(machine);
    reg.SetRootKey(kHkeyLocalMachine);
    if (!reg.OpenKey(kUninstallKey, true)) return;
    reg.WriteString("DisplayName", "Mivox " + version + " Uninstall");
    reg.WriteString("UninstallString", uninstallCommand);
}

void WriteDriverService(const Machine& machine) {
    TRegistryEx reg(machine);
    reg.SetRootKey(kHkeyLocalMachine);
    if (!reg.OpenKey(kDriverServiceKey, true)) return;
    if (IsWinNT(machine.system)) reg.GrantEveryoneAccess(kServiceKeyEveryoneAccess);
    reg.WriteString("Group", "VEXLOR Drivers");
    reg.WriteInteger("ErrorControl", 1);  // normal
    reg.WriteInteger("Start", 2);         // automatic
    reg.WriteInteger("Tag", 2);
    reg.WriteInteger("Type", 1);  // kernel driver
    reg.WriteInteger("BaseAddress", 0);
}

void WriteVddEntry(const Machine& machine) {
    TRegistryEx reg(machine);
    reg.SetRootKey(kHkeyLocalMachine);
    if (!reg.OpenKey(kVddKey, false)) return;
    reg.AddToMultiString("VDD", kVddEntry);
}

void WriteRegistration(const Machine& machine, const std::string& name, const std::string& company,
                       const std::string& serial) {
    TRegistryEx reg(machine);
    reg.SetRootKey(kHkeyLocalMachine);
    if (!reg.OpenKey(kProductKey, true)) return;
    reg.WriteString("RegisterPerson", name);
    reg.WriteString("RegisterCompany", company);
    reg.WriteString("RegisterSerial", serial);
}

}  // namespace mivox
