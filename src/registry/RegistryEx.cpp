#include "registry/RegistryEx.h"

#include <algorithm>

#include "registry/KeySecurity.h"
#include "util/Errors.h"
#include "util/TextUtil.h"

namespace mivox {

namespace {

std::string Dword(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    return {static_cast<char>(bits & 0xFF), static_cast<char>((bits >> 8) & 0xFF),
            static_cast<char>((bits >> 16) & 0xFF), static_cast<char>((bits >> 24) & 0xFF)};
}

RegDataType KindOf(uint32_t type) {
    switch (type) {
        case kRegSz:
            return RegDataType::kString;
        case kRegExpandSz:
            return RegDataType::kExpandString;
        case kRegDword:
            return RegDataType::kInteger;
        case kRegBinary:
            return RegDataType::kBinary;
        default:
            return RegDataType::kUnknown;
    }
}

}  // namespace

TRegistryEx::TRegistryEx(const Machine& machine) : machine_(machine) {}

TRegistryEx::~TRegistryEx() = default;

void TRegistryEx::SetRootKey(uint32_t root) {
    CloseKey();
    root_ = root;
}

bool TRegistryEx::OpenKey(const std::string& path, bool canCreate) {
    const bool relative = path.empty() || path[0] != '\\';
    std::string full = relative ? path : path.substr(1);
    if (relative && key_ && !path_.empty()) full = path_ + "\\" + full;

    std::unique_ptr<RegistryKey> key;
    const long status = canCreate ? machine_.registry.CreateKey(root_, full, kKeyAllAccess, key)
                                  : machine_.registry.OpenKey(root_, full, kKeyAllAccess, key);
    if (status != kRegSuccess || !key) return false;
    key_ = std::move(key);
    path_ = full;
    return true;
}

void TRegistryEx::CloseKey() {
    key_.reset();
    path_.clear();
}

void TRegistryEx::FailSet(const std::string& name) const {
    throw RegistryError("Failed to set data for '" + name + "'");
}

void TRegistryEx::FailGet(const std::string& name) const {
    throw RegistryError("Failed to get data for '" + name + "'");
}

void TRegistryEx::SetValue(const std::string& name, uint32_t type, const std::string& data) {
    if (!key_ || key_->SetValue(name, type, data) != kRegSuccess) FailSet(name);
}

bool TRegistryEx::ValueExists(const std::string& name) const {
    uint32_t type = 0;
    std::string data;
    return key_ && key_->QueryValue(name, type, data) == kRegSuccess;
}

std::string TRegistryEx::ReadString(const std::string& name) const {
    uint32_t type = 0;
    std::string data;
    if (!key_ || key_->QueryValue(name, type, data) != kRegSuccess) return {};
    if (type != kRegSz && type != kRegExpandSz) {
        throw RegistryError("Invalid data type for '" + name + "'");
    }
    return data.substr(0, data.find('\0'));
}

void TRegistryEx::WriteString(const std::string& name, const std::string& text) {
    SetValue(name, kRegSz, text + '\0');
}

void TRegistryEx::WriteInteger(const std::string& name, int32_t value) {
    SetValue(name, kRegDword, Dword(value));
}

RegDataType TRegistryEx::GetData(const std::string& name, std::string& data, size_t size) const {
    uint32_t type = 0;
    if (!key_ || key_->QueryValue(name, type, data) != kRegSuccess || data.size() > size) {
        FailGet(name);
    }
    return KindOf(type);
}

void TRegistryEx::GetSubKeyNames(std::vector<std::string>& list, bool fullPath) const {
    list.clear();
    std::vector<std::string> names;
    if (!key_ || key_->SubKeyNames(names) != kRegSuccess) return;
    for (const std::string& name : names) {
        list.push_back(fullPath ? "\\" + path_ + "\\" + name : name);
    }
}

std::string TRegistryEx::ParentKeyPath(const std::string& path) const {
    const size_t last = path.rfind('\\');
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

int32_t TRegistryEx::ReadIntegerEx(const std::string& name) const {
    std::string data;
    const RegDataType kind = GetData(name, data, 4);
    if (kind != RegDataType::kInteger && kind != RegDataType::kBinary) {
        throw RegistryError("Invalid data type for '" + name + "'");
    }
    uint32_t value = 0;
    for (size_t i = 0; i < data.size(); ++i) {
        value |= static_cast<uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
    }
    return static_cast<int32_t>(value);
}

void TRegistryEx::WriteIntegerEx(const std::string& name, int32_t value) {
    WriteInteger(name, value);
}

void TRegistryEx::ReadMultiString(const std::string& name, std::vector<std::string>& list) {
    list.clear();
    if (!ValueExists(name)) SetValue(name, kRegMultiSz, std::string(2, '\0'));
    uint32_t type = 0;
    std::string data;
    if (!key_ || key_->QueryValue(name, type, data) != kRegSuccess ||
        data.size() > kMultiStringBytes) {
        FailGet(name);
    }
    // The end of the data closes the last entry too, so that a value stored
    // without its final NUL loses nothing when it is written back.
    std::string entry;
    for (const char c : data + '\0') {
        if (c != '\0') {
            entry += c;
        } else if (!entry.empty()) {
            list.push_back(entry);
            entry.clear();
        }
    }
}

void TRegistryEx::WriteMultiString(const std::string& name, const std::vector<std::string>& list) {
    std::string data;
    for (const std::string& entry : list) data += entry + '\0';
    data += '\0';
    if (data.size() > kMultiStringBytes) {
        throw RegistryError("The list for '" + name + "' exceeds " +
                            std::to_string(kMultiStringBytes) + " bytes");
    }
    SetValue(name, kRegMultiSz, data);
}

void TRegistryEx::AddToMultiString(const std::string& name, const std::string& text) {
    std::vector<std::string> list;
    ReadMultiString(name, list);
    const std::string wanted = UpperText(text);
    const bool present = std::any_of(list.begin(), list.end(), [&](const std::string& entry) {
        return UpperText(entry) == wanted;
    });
    if (present) return;
    list.push_back(text);
    WriteMultiString(name, list);
}

void TRegistryEx::RemoveFromMultiString(const std::string& name, const std::string& text) {
    std::vector<std::string> list;
    ReadMultiString(name, list);
    // An empty text is contained in nothing.
    if (!text.empty()) {
        std::erase_if(
            list, [&](const std::string& entry) { return entry.find(text) != std::string::npos; });
    }
    WriteMultiString(name, list);
}

void TRegistryEx::GrantEveryoneAccess(uint32_t ownAccess) {
    if (!key_) throw SecurityError("No registry key is open");
    TNTRegSecurity security(machine_.security, machine_.system, root_, path_);
    const std::string everyone = security.TrusteeName(kEveryoneSid);
    security.ReadAccessList();
    for (size_t index = 0; index < security.AccessList().size();) {
        if (security.AccessList()[index].trustee == everyone) {
            security.DeleteEntry(index);
        } else {
            ++index;
        }
    }
    security.AddEntry(kEveryoneSid, ownAccess, kAccessAllowedAce, 0);
    security.AddEntry(kEveryoneSid, kFullControl, kAccessAllowedAce,
                      kContainerInheritAce | kInheritOnlyAce);
}

}  // namespace mivox
