// CRC-32 as zlib and PKZIP compute it (reflected polynomial 0xEDB88320,
// initial value and final complement 0xFFFFFFFF): the check value the floppy
// set's joining program and the archive program compare against.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mivox {

// Carries a running CRC over more bytes; start from kCrc32Start and finish
// with Crc32Finish.
constexpr uint32_t kCrc32Start = 0xFFFFFFFFu;
uint32_t Crc32Update(uint32_t crc, const void* data, size_t size);
constexpr uint32_t Crc32Finish(uint32_t crc) {
    return ~crc;
}

// The CRC of the bytes of a memory stream from position to its end.
inline uint32_t StreamCrc32(const std::string& stream, size_t position = 0) {
    if (position >= stream.size()) return Crc32Finish(kCrc32Start);
    return Crc32Finish(
        Crc32Update(kCrc32Start, stream.data() + position, stream.size() - position));
}

}  // namespace mivox
