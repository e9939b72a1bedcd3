// Registry keys and values (advapi32). Every call returns the system's
// status code: 0 for success, otherwise the error (2: not found, 5: access
// denied).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mivox {

// Predefined root keys, with the system's handle values.
enum RootKey : uint32_t {
    kHkeyClassesRoot = 0x80000000u,
    kHkeyCurrentUser = 0x80000001u,
    kHkeyLocalMachine = 0x80000002u,
    kHkeyUsers = 0x80000003u,
};

// Value types.
enum RegType : uint32_t {
    kRegNone = 0,
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDword = 4,
    kRegMultiSz = 7,
};

// Access rights asked for when a key is opened.
enum RegAccess : uint32_t {
    kKeyRead = 0x20019,
    kKeySetValue = 0x0002,
    kKeyCreateSubKey = 0x0004,
    kKeyWrite = 0x20006,
    kKeyAllAccess = 0xF003F,
};

constexpr long kRegSuccess = 0;

// One open key; closed when destroyed.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // RegQueryValueEx: the value's type and its bytes as stored (a string
    // value's bytes include its terminating NUL when it was written with one).
    virtual long QueryValue(const std::string& name, uint32_t& type, std::string& data) const = 0;
    // RegSetValueEx with the bytes exactly as given.
    virtual long SetValue(const std::string& name, uint32_t type, const std::string& data) = 0;
    virtual long DeleteValue(const std::string& name) = 0;
    // RegEnumKeyEx over every subkey.
    virtual long SubKeyNames(std::vector<std::string>& names) const = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    // RegOpenKeyEx of path under root (an empty path opens root itself).
    virtual long OpenKey(uint32_t root, const std::string& path, uint32_t access,
                         std::unique_ptr<RegistryKey>& key) = 0;
    // RegCreateKeyEx: opens the key, creating it and its missing parents.
    virtual long CreateKey(uint32_t root, const std::string& path, uint32_t access,
                           std::unique_ptr<RegistryKey>& key) = 0;
    // RegDeleteKey of a key without subkeys.
    virtual long DeleteKey(uint32_t root, const std::string& path) = 0;
};

}  // namespace mivox
