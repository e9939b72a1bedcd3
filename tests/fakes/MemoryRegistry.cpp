#include "fakes/MemoryRegistry.h"

#include "util/TextUtil.h"

namespace mivox::testing {

namespace {

constexpr long kNotFound = 2;
constexpr long kAccessDenied = 5;
constexpr long kMoreData = 234;

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

std::string Normal(const std::string& path) {
    std::string joined;
    for (const std::string& part : SplitPath(path)) joined += (joined.empty() ? "" : "\\") + part;
    return UpperText(joined);
}

}  // namespace

class MemoryRegistryKey : public RegistryKey {
public:
    MemoryRegistryKey(MemoryRegistry& registry, MemoryRegistry::Key& key, uint32_t root,
                      std::string path, uint32_t access)
        : registry_(registry), key_(key), root_(root), path_(std::move(path)), access_(access) {}

    long QueryValue(const std::string& name, uint32_t& type, std::string& data) const override {
        for (const auto& value : key_.values) {
            if (UpperText(value.name) == UpperText(name)) {
                type = value.type;
                data = value.data;
                return kRegSuccess;
            }
        }
        return kNotFound;
    }

    long SetValue(const std::string& name, uint32_t type, const std::string& data) override {
        if (registry_.faults && registry_.faults->Next()) return registry_.faults->error;
        if ((access_ & kKeyWrite & ~kKeyRead) == 0) return kAccessDenied;
        for (const auto& [failing, status] : registry_.failingWrites) {
            const std::string prefix = Normal(failing.second);
            if (failing.first == root_ && Normal(path_).rfind(prefix, 0) == 0) return status;
        }
        if (data.size() > 1024 * 1024) return kMoreData;
        for (auto& value : key_.values) {
            if (UpperText(value.name) == UpperText(name)) {
                value.type = type;
                value.data = data;
                return kRegSuccess;
            }
        }
        key_.values.push_back({name, type, data});
        return kRegSuccess;
    }

    long DeleteValue(const std::string& name) override {
        if (registry_.faults && registry_.faults->Next()) return registry_.faults->error;
        if ((access_ & kKeyWrite & ~kKeyRead) == 0) return kAccessDenied;
        for (auto it = key_.values.begin(); it != key_.values.end(); ++it) {
            if (UpperText(it->name) == UpperText(name)) {
                key_.values.erase(it);
                return kRegSuccess;
            }
        }
        return kNotFound;
    }

    long SubKeyNames(std::vector<std::string>& names) const override {
        names.clear();
        for (const auto& [upper, sub] : key_.subKeys) names.push_back(sub->name);
        return kRegSuccess;
    }

private:
    MemoryRegistry& registry_;
    MemoryRegistry::Key& key_;
    uint32_t root_;
    std::string path_;
    uint32_t access_;
};

MemoryRegistry::Key* MemoryRegistry::Root(uint32_t root) const {
    auto& key = roots_[root];
    if (!key) key = std::make_unique<Key>();
    return key.get();
}

MemoryRegistry::Key* MemoryRegistry::FindKey(uint32_t root, const std::string& path) const {
    Key* key = Root(root);
    for (const std::string& part : SplitPath(path)) {
        const auto it = key->subKeys.find(UpperText(part));
        if (it == key->subKeys.end()) return nullptr;
        key = it->second.get();
    }
    return key;
}

bool MemoryRegistry::WriteRefused(uint32_t root, const std::string& path, uint32_t access) const {
    if ((access & kKeyWrite & ~kKeyRead) == 0) return false;
    for (const auto& [keyRoot, keyPath] : readOnlyKeys) {
        if (keyRoot == root && Normal(path).rfind(Normal(keyPath), 0) == 0) return true;
    }
    return false;
}

long MemoryRegistry::OpenKey(uint32_t root, const std::string& path, uint32_t access,
                             std::unique_ptr<RegistryKey>& key) {
    if (faults && faults->Next()) return faults->error;
    Key* found = FindKey(root, path);
    if (!found) return kNotFound;
    if (WriteRefused(root, path, access)) return kAccessDenied;
    key = std::make_unique<MemoryRegistryKey>(*this, *found, root, path, access);
    return kRegSuccess;
}

long MemoryRegistry::CreateKey(uint32_t root, const std::string& path, uint32_t access,
                               std::unique_ptr<RegistryKey>& key) {
    if (faults && faults->Next()) return faults->error;
    if (WriteRefused(root, path, access | kKeyWrite)) return kAccessDenied;
    Key* current = Root(root);
    for (const std::string& part : SplitPath(path)) {
        auto& sub = current->subKeys[UpperText(part)];
        if (!sub) {
            sub = std::make_unique<Key>();
            sub->name = part;
        }
        current = sub.get();
    }
    key = std::make_unique<MemoryRegistryKey>(*this, *current, root, path, access);
    return kRegSuccess;
}

long MemoryRegistry::DeleteKey(uint32_t root, const std::string& path) {
    if (faults && faults->Next()) return faults->error;
    const std::vector<std::string> parts = SplitPath(path);
    if (parts.empty()) return kAccessDenied;
    std::string parentPath;
    for (size_t i = 0; i + 1 < parts.size(); ++i) parentPath += parts[i] + "\\";
    Key* parent = FindKey(root, parentPath);
    if (!parent) return kNotFound;
    const auto it = parent->subKeys.find(UpperText(parts.back()));
    if (it == parent->subKeys.end()) return kNotFound;
    if (!it->second->subKeys.empty() || WriteRefused(root, path, kKeyAllAccess)) {
        return kAccessDenied;
    }
    parent->subKeys.erase(it);
    return kRegSuccess;
}

void MemoryRegistry::SetString(uint32_t root, const std::string& path, const std::string& name,
                               const std::string& text) {
    std::unique_ptr<RegistryKey> key;
    auto refused = std::move(readOnlyKeys);
    CreateKey(root, path, kKeyAllAccess, key);
    key->SetValue(name, kRegSz, text + '\0');
    readOnlyKeys = std::move(refused);
}

const MemoryRegistry::Value* MemoryRegistry::FindValue(uint32_t root, const std::string& path,
                                                       const std::string& name) const {
    const Key* key = FindKey(root, path);
    if (!key) return nullptr;
    for (const auto& value : key->values) {
        if (UpperText(value.name) == UpperText(name)) return &value;
    }
    return nullptr;
}

}  // namespace mivox::testing
