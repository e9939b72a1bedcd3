// The installer's registry class: one root key and at most one open key,
// opened and created with full access, with strings, integers, multi-string
// values, a subkey listing and the grant of a key to everybody.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Machine.h"
#include "registry/KeySecurity.h"

namespace mivox {

// The kinds of value data the installer tells apart.
enum class RegDataType { kUnknown, kString, kExpandString, kInteger, kBinary };

class TRegistryEx {
public:
    // The largest multi-string value read or written, in bytes.
    static constexpr size_t kMultiStringBytes = 4096;

    explicit TRegistryEx(const Machine& machine);
    ~TRegistryEx();
    TRegistryEx(const TRegistryEx&) = delete;
    TRegistryEx& operator=(const TRegistryEx&) = delete;

    // HKEY_CURRENT_USER until set; setting it closes the open key.
    void SetRootKey(uint32_t root);
    uint32_t RootKey() const { return root_; }

    // Opens path, creating it (and its parents) when canCreate. A leading
    // "\" makes path absolute below the root; otherwise it is relative to
    // the open key. On success the open key is replaced; on failure it
    // stays as it was.
    bool OpenKey(const std::string& path, bool canCreate);
    void CloseKey();
    bool HasCurrentKey() const { return key_ != nullptr; }
    // The open key's path below the root, without leading backslash.
    const std::string& CurrentPath() const { return path_; }

    bool ValueExists(const std::string& name) const;
    // The text of a string value, up to its terminating NUL; empty when the
    // value does not exist. Another type raises RegistryError.
    std::string ReadString(const std::string& name) const;
    // REG_SZ, stored with its terminating NUL.
    void WriteString(const std::string& name, const std::string& text);
    // REG_DWORD.
    void WriteInteger(const std::string& name, int32_t value);
    // At most size bytes of the value into data; its kind of data. A value
    // that cannot be read, or is larger than size, raises RegistryError.
    RegDataType GetData(const std::string& name, std::string& data, size_t size) const;

    // The open key's subkeys; with fullPath each as "\" + path + "\" + name.
    void GetSubKeyNames(std::vector<std::string>& list, bool fullPath) const;
    // The text before the last "\" of path; empty without one.
    std::string ParentKeyPath(const std::string& path) const;
    // A REG_DWORD or binary value of up to 4 bytes.
    int32_t ReadIntegerEx(const std::string& name) const;
    void WriteIntegerEx(const std::string& name, int32_t value);
    // The non-empty entries of a REG_MULTI_SZ value; a missing value is
    // first created as an empty list.
    void ReadMultiString(const std::string& name, std::vector<std::string>& list);
    // Each entry and its NUL, then one more NUL: at most 4096 bytes, or a
    // RegistryError.
    void WriteMultiString(const std::string& name, const std::vector<std::string>& list);
    // Appends text unless an entry equals it, ignoring case.
    void AddToMultiString(const std::string& name, const std::string& text);
    // Drops every entry that contains text, and writes the rest back.
    void RemoveFromMultiString(const std::string& name, const std::string& text);
    // Gives Everyone ownAccess to the open key and full access to every
    // subkey made later below it, in place of any entries Everyone had.
    // Windows NT only.
    void GrantEveryoneAccess(uint32_t ownAccess = kFullControl);

private:
    [[noreturn]] void FailSet(const std::string& name) const;
    [[noreturn]] void FailGet(const std::string& name) const;
    void SetValue(const std::string& name, uint32_t type, const std::string& data);

    Machine machine_;
    uint32_t root_ = kHkeyCurrentUser;
    std::unique_ptr<RegistryKey> key_;
    std::string path_;
};

}  // namespace mivox
