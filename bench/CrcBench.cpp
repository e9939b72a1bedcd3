// CRC-32 throughput of the floppy set's checksum against zlib's crc32 on
// the same buffer, best of N:  crc_bench [MEGABYTES] [N] [LABEL]
// Prints "LABEL|installer GB/s|zlib GB/s|ratio|note", the ratio being how
// many times longer the installer's CRC takes.
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "floppy/Crc32.h"

namespace {

template <typename Work>
double BestSeconds(int repeat, Work work) {
    double best = 1e30;
    for (int run = 0; run < repeat; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    const int repeat = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::string label = argc > 3 ? argv[3] : "CRC-32";
    std::vector<unsigned char> buffer(megabytes * 1000000);
    uint32_t seed = 12345;
    for (unsigned char& byte : buffer) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<unsigned char>(seed >> 24);
    }

    uint32_t ours = 0;
    unsigned long theirs = 0;
    const double oursTime = BestSeconds(repeat, [&] {
        ours = mivox::Crc32Finish(
            mivox::Crc32Update(mivox::kCrc32Start, buffer.data(), buffer.size()));
    });
    const double zlibTime = BestSeconds(repeat, [&] {
        // zlib takes at most 4 GB at a time through its unsigned length.
        theirs = crc32(0L, buffer.data(), static_cast<unsigned>(buffer.size()));
    });
    if (ours != theirs) {
        std::fprintf(stderr, "%s: checksums differ: %08x against zlib's %08lx\n", label.c_str(),
                     static_cast<unsigned>(ours), theirs);
        return 1;
    }
    const double bytes = static_cast<double>(buffer.size());
    std::printf("%s|%.2f|%.2f|%.2f|GB/s over %zu MB\n", label.c_str(), bytes / oursTime / 1e9,
                bytes / zlibTime / 1e9, oursTime / zlibTime, megabytes);
    return 0;
}
