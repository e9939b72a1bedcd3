#include "util/SidAcl.h"

#include "util/TextUtil.h"

namespace mivox {

namespace {

constexpr uint8_t kSidRevision = 1;
constexpr size_t kMaxSubAuthorities = 15;
constexpr size_t kSidHeader = 8;  // revision, count, six bytes of authority
constexpr uint8_t kAclRevision = 2;
constexpr size_t kAclHeader = 8;  // revision, pad, size, count, pad
constexpr size_t kAceHeader = 8;  // type, flags, size, mask
constexpr size_t kMaxAcl = 0xFFFF;

uint16_t Read16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Read32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
void Put16(std::vector<uint8_t>& out, size_t at, size_t value) {
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}
void Append32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// A number of text from pos up to the next '-' or the end: decimal of at
// most max, or where maxHex is given, hexadecimal after "0x" of at most
// maxHex. Leading zeros, signs and blanks are refused, as is an empty part.
bool ReadNumber(const std::string& text, size_t& pos, uint64_t max, uint64_t maxHex,
                uint64_t& value) {
    size_t end = text.find('-', pos);
    if (end == std::string::npos) end = text.size();
    std::string part = text.substr(pos, end - pos);
    pos = end;
    unsigned base = 10;
    if (maxHex && part.size() > 2 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
        part = part.substr(2);
        base = 16;
        max = maxHex;
    } else if (part.size() > 1 && part[0] == '0') {
        return false;
    }
    if (part.empty()) return false;
    value = 0;
    for (const char c : part) {
        unsigned digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return false;
        }
        if (value > (max - digit) / base) return false;
        value = value * base + digit;
    }
    return true;
}

}  // namespace

bool SidFromText(const std::string& text, std::vector<uint8_t>& sid) {
    if (text.size() < 2 || (text[0] != 'S' && text[0] != 's') || text[1] != '-') return false;
    size_t pos = 2;
    uint64_t revision = 0;
    uint64_t authority = 0;
    if (!ReadNumber(text, pos, 0xFF, 0, revision) || revision != kSidRevision ||
        pos == text.size() || !ReadNumber(text, ++pos, 0xFFFFFFFFu, 0xFFFFFFFFFFFFull, authority)) {
        return false;
    }
    std::vector<uint32_t> subAuthorities;
    while (pos < text.size()) {
        uint64_t value = 0;
        if (subAuthorities.size() == kMaxSubAuthorities ||
            !ReadNumber(text, ++pos, 0xFFFFFFFFu, 0, value)) {
            return false;
        }
        subAuthorities.push_back(static_cast<uint32_t>(value));
    }
    sid = {kSidRevision, static_cast<uint8_t>(subAuthorities.size())};
    for (int shift = 40; shift >= 0; shift -= 8)
        sid.push_back(static_cast<uint8_t>(authority >> shift));
    for (const uint32_t value : subAuthorities) Append32(sid, value);
    return true;
}

size_t SidSize(const uint8_t* data, size_t size) {
    if (size < kSidHeader || data[0] != kSidRevision || data[1] > kMaxSubAuthorities) return 0;
    const size_t whole = kSidHeader + 4 * size_t{data[1]};
    return whole <= size ? whole : 0;
}

std::string SidToText(const uint8_t* data, size_t size) {
    if (!SidSize(data, size)) return {};
    uint64_t authority = 0;
    for (size_t i = 2; i < kSidHeader; ++i) authority = authority << 8 | data[i];
    std::string text = "S-1-";
    if (authority >> 32) {
        text += "0x" + HexText(static_cast<uint32_t>(authority >> 32), 4) +
                HexText(static_cast<uint32_t>(authority), 8);
    } else {
        text += std::to_string(authority);
    }
    for (size_t i = 0; i < data[1]; ++i) {
        text += '-' + std::to_string(Read32(data + kSidHeader + 4 * i));
    }
    return text;
}

bool AclFromEntries(const std::vector<AccessEntry>& entries, std::vector<uint8_t>& acl) {
    std::vector<uint8_t> out(kAclHeader, 0);
    for (const AccessEntry& entry : entries) {
        std::vector<uint8_t> sid;
        if ((entry.type != kAccessAllowedAce && entry.type != kAccessDeniedAce) ||
            !SidFromText(entry.sid, sid)) {
            return false;
        }
        const size_t at = out.size();
        out.insert(out.end(), {entry.type, entry.flags, 0, 0});
        Put16(out, at + 2, kAceHeader + sid.size());
        Append32(out, entry.mask);
        out.insert(out.end(), sid.begin(), sid.end());
        if (out.size() > kMaxAcl) return false;
    }
    out[0] = kAclRevision;
    Put16(out, 2, out.size());
    Put16(out, 4, entries.size());
    acl = std::move(out);
    return true;
}

bool AclToEntries(const uint8_t* data, size_t size, std::vector<AccessEntry>& entries) {
    if (size < kAclHeader) return false;
    const size_t aclSize = Read16(data + 2);
    if (aclSize < kAclHeader || aclSize > size) return false;
    std::vector<AccessEntry> read;
    size_t at = kAclHeader;
    for (size_t i = Read16(data + 4); i > 0; --i) {
        if (aclSize - at < 4) return false;
        const size_t aceSize = Read16(data + at + 2);
        if (aceSize < 4 || aceSize > aclSize - at) return false;
        AccessEntry entry;
        entry.type = data[at];
        entry.flags = data[at + 1];
        if (entry.type == kAccessAllowedAce || entry.type == kAccessDeniedAce) {
            if (aceSize < kAceHeader) return false;
            const size_t sidSize = SidSize(data + at + kAceHeader, aceSize - kAceHeader);
            if (!sidSize) return false;
            entry.mask = Read32(data + at + 4);
            entry.sid = SidToText(data + at + kAceHeader, sidSize);
        }
        read.push_back(std::move(entry));
        at += aceSize;
    }
    entries = std::move(read);
    return true;
}

}  // namespace mivox
