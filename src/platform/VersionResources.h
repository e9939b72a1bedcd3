// Version resources of executable files (version.dll) and the virtual memory
// that holds a copy of one while it is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mivox {

class VersionResources {
public:
    virtual ~VersionResources() = default;
    // GetFileVersionInfoSize: 0 when the file has no version resource.
    virtual uint32_t InfoSize(const std::string& path) const = 0;
    // GetFileVersionInfo into buffer of size bytes.
    virtual bool ReadInfo(const std::string& path, void* buffer, uint32_t size) const = 0;
    // VerQueryValue of the root block: the file version's two 32-bit halves.
    virtual bool QueryFileVersion(const void* buffer, uint32_t& versionMs,
                                  uint32_t& versionLs) const = 0;
};

class VirtualMemory {
public:
    virtual ~VirtualMemory() = default;
    // VirtualAlloc MEM_RESERVE; nullptr on failure.
    virtual void* Reserve(size_t size) = 0;
    // VirtualAlloc MEM_COMMIT of reserved pages; nullptr on failure.
    virtual void* Commit(void* address, size_t size) = 0;
    // VirtualFree MEM_DECOMMIT / MEM_RELEASE.
    virtual bool Decommit(void* address, size_t size) = 0;
    virtual bool Release(void* address) = 0;
};

}  // namespace mivox
