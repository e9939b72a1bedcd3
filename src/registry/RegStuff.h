// The product's records in the registry, all under HKEY_LOCAL_MACHINE. Each
// operation opens its keys, writes or reads, and closes them again. A key
// that cannot be opened or created is skipped; a value that cannot be
// written raises RegistryError, and a key grant that fails SecurityError.
#pragma once

#include <string>
#include <vector>

#include "platform/Machine.h"

namespace mivox {

inline constexpr const char kProductKey[] = "SOFTWARE\\Vexlor\\Mivox";
inline constexpr const char kAppPathKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Mivox.EXE";
inline constexpr const char kUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mivox";
inline constexpr const char kDriverServiceKey[] = "SYSTEM\\CurrentControlSet\\Services\\Mivox_NT";
inline constexpr const char kVddKey[] = "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers";
inline constexpr const char kVddEntry[] = "Mivox_VM.DLL";

// "ProgramDir" and "ProgramVersion" of an earlier installation. The key is
// opened with full access and created when missing; a key that cannot be
// opened, or a missing value, gives the empty text.
std::string ReadProgramDir(const Machine& machine);
std::string ReadProgramVersion(const Machine& machine);

// The product key (opened to Everyone on NT) with the folder, the program's
// path, the version and empty registration values; then App Paths.
// programDir has no final backslash.
void WriteProductRecord(const Machine& machine, const std::string& programDir,
                        const std::string& version);
// The shell's Uninstall entry: "Mivox <version> Uninstall" and the command.
void WriteUninstallEntry(const Machine& machine, const std::string& uninstallCommand,
                         const std::string& version);
// The keys an installation makes under HKEY_LOCAL_MACHINE, in the order it
// makes them: the product, App Paths and Uninstall keys, and on NT the
// driver's service key. They are logged before they are made.
std::vector<std::string> ProductKeys(bool winNT);
// Of the product, App Paths and Uninstall keys, those that exist, in that
// order: the keys an uninstaller is to remove.
std::vector<std::string> ExistingProductKeys(const Machine& machine);
// What Everyone may do on the service key itself: read it and make subkeys.
inline constexpr uint32_t kServiceKeyEveryoneAccess = kKeyRead | kKeyCreateSubKey;

// The kernel driver's service key. On NT Everyone may read it and make and
// change subkeys below it, but not change its own values: those say which
// program the system starts with its own rights. NT only.
void WriteDriverService(const Machine& machine);
// "Mivox_VM.DLL" in the NT virtual device driver list, once. NT only.
void WriteVddEntry(const Machine& machine);
// The customer's name, company and card serial number, after registration.
void WriteRegistration(const Machine& machine, const std::string& name, const std::string& company,
                       const std::string& serial);

}  // namespace mivox
