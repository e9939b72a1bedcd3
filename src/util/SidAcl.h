// Security identifiers and access control lists in the binary form Windows
// stores and takes, made and read here with nothing but the layout every
// Windows NT knows: the text form's own calls came only with Windows 2000.
// What is read comes from the system (a key's DACL, a token's groups) and is
// checked before it is believed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Security.h"

namespace mivox {

// "S-1-5-32-544" as a SID: revision 1, an authority (decimal up to 32 bits,
// or 0x and hexadecimal digits up to 48 bits, as Windows writes a large one)
// and at most 15 decimal sub-authorities of 32 bits. False for any other
// text.
bool SidFromText(const std::string& text, std::vector<uint8_t>& sid);

// The text form of the SID in the size bytes at data; empty when they do
// not hold a whole SID of revision 1.
std::string SidToText(const uint8_t* data, size_t size);

// The bytes of a SID of revision 1 and its sub-authorities, or 0 when size
// bytes cannot hold one.
size_t SidSize(const uint8_t* data, size_t size);

// An ACL of revision 2 holding the entries in order. False when an entry is
// neither an allow nor a deny entry, its SID is not valid text, or the list
// would pass the 64 KB an ACL can hold.
bool AclFromEntries(const std::vector<AccessEntry>& entries, std::vector<uint8_t>& acl);

// The entries of the ACL at data, whose header says its size; false when
// the header, an entry or an allow or deny entry's SID reaches past the
// list or the size bytes given. Entries of other types keep their type and
// flags, with no mask and no SID.
bool AclToEntries(const uint8_t* data, size_t size, std::vector<AccessEntry>& entries);

}  // namespace mivox
