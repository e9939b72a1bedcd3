// An in-memory registry: keys named without regard to case, values kept in
// the order they were first written, and access that can be refused per key.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fakes/CallFaults.h"
#include "platform/Registry.h"

namespace mivox::testing {

class MemoryRegistry : public Registry {
public:
    struct Value {
        std::string name;
        uint32_t type = kRegNone;
        std::string data;
    };
    struct Key {
        std::string name;
        std::vector<Value> values;
        std::map<std::string, std::unique_ptr<Key>> subKeys;  // by upper-case name
    };

    long OpenKey(uint32_t root, const std::string& path, uint32_t access,
                 std::unique_ptr<RegistryKey>& key) override;
    long CreateKey(uint32_t root, const std::string& path, uint32_t access,
                   std::unique_ptr<RegistryKey>& key) override;
    long DeleteKey(uint32_t root, const std::string& path) override;

    // Test set-up and inspection.
    void SetString(uint32_t root, const std::string& path, const std::string& name,
                   const std::string& text);  // stored with its NUL, as the system does
    const Value* FindValue(uint32_t root, const std::string& path, const std::string& name) const;
    Key* FindKey(uint32_t root, const std::string& path) const;
    // Opening or creating the key (or a key below it) for more than reading
    // is refused with access denied.
    std::set<std::pair<uint32_t, std::string>> readOnlyKeys;
    // Counts opening, creating and deleting keys and setting and deleting
    // values, and fails the call it names.
    CallFaults* faults = nullptr;
    // Writing any value below this key fails with this status.
    std::map<std::pair<uint32_t, std::string>, long> failingWrites;

private:
    Key* Root(uint32_t root) const;
    bool WriteRefused(uint32_t root, const std::string& path, uint32_t access) const;

    mutable std::map<uint32_t, std::unique_ptr<Key>> roots_;
    friend class MemoryRegistryKey;
};

}  // namespace mivox::testing
