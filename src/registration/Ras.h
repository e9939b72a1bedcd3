// The dial-up networking service (RASAPI32.DLL), bound at run time so that
// the installer runs where it is missing. Only the five functions the
// e-mail sender calls have call-throughs; each returns the service's result
// (0 for success), and a non-zero one when its entry point is missing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Libraries.h"
#include "platform/MessageBoxes.h"

// The calling convention of the service's functions.
#if defined(_WIN32) && !defined(_WIN64)
#define MIVOX_RASAPI __stdcall
#else
#define MIVOX_RASAPI
#endif

namespace mivox {

using HRasConn = void*;

// Record sizes of the earliest ANSI layouts, put into each record's first
// field, and the capacities the callers use.
inline constexpr uint32_t kRasEntryNameSize = 264;
inline constexpr uint32_t kRasConnSize = 412;
inline constexpr uint32_t kRasConnStatusSize = 160;
inline constexpr uint32_t kRasConnected = 0x2000;

// The records in the layouts of the system's headers: a phonebook entry
// (RasEnumEntriesA), an active connection (RasEnumConnectionsA), a
// connection's status (RasGetConnectStatusA). The names are not always
// terminated; read them with RasName.
struct RasEntryName {
    uint32_t dwSize;
    char szEntryName[257];
};
struct RasConnRecord {
    uint32_t dwSize;
    HRasConn hrasconn;
    char szEntryName[257];
    char szDeviceType[17];
    char szDeviceName[129];
};
struct RasConnStatus {
    uint32_t dwSize;
    uint32_t rasconnstate;
    uint32_t dwError;
    char szDeviceType[17];
    char szDeviceName[129];
};
static_assert(sizeof(RasEntryName) == kRasEntryNameSize);
static_assert(sizeof(RasConnStatus) == kRasConnStatusSize);
static_assert(sizeof(void*) != 4 || sizeof(RasConnRecord) == kRasConnSize);

// The text of a name field, up to its first NUL or its end.
template <size_t N>
std::string RasName(const char (&field)[N]) {
    size_t length = 0;
    while (length < N && field[length] != '\0') ++length;
    return std::string(field, length);
}
// Returned by a call-through whose function the library lacks.
inline constexpr uint32_t kRasNotBound = 1;  // ERROR_INVALID_FUNCTION

// The names bound, in their order.
inline constexpr std::array<const char*, 10> kRasFunctionNames = {"RasDialA",
                                                                  "RasGetErrorStringA",
                                                                  "RasHangUpA",
                                                                  "RasGetConnectStatusA",
                                                                  "RasEnumConnectionsA",
                                                                  "RasEnumEntriesA",
                                                                  "RasGetEntryDialParamsA",
                                                                  "RasEditPhonebookEntryA",
                                                                  "RasCreatePhonebookEntryA",
                                                                  "RasGetProjectionInfoA"};

class RasApi {
public:
    RasApi(Libraries& libraries, MessageBoxes& boxes) : libraries_(libraries), boxes_(boxes) {}
    ~RasApi() { FreeRasApi(); }
    RasApi(const RasApi&) = delete;
    RasApi& operator=(const RasApi&) = delete;

    // Loads the library once and binds every name, reporting each missing
    // one in a box; false when the library is absent (a later call tries
    // again).
    bool LoadRasApi();
    // Releases the library, if loaded.
    void FreeRasApi();
    bool Loaded() const { return library_ != nullptr; }

    uint32_t RasGetErrorStringA(uint32_t error, char* text, uint32_t size) const;
    uint32_t RasHangUpA(HRasConn connection) const;
    uint32_t RasGetConnectStatusA(HRasConn connection, void* status) const;
    uint32_t RasEnumConnectionsA(void* connections, uint32_t* size, uint32_t* count) const;
    uint32_t RasEnumEntriesA(const char* reserved, const char* phonebook, void* entries,
                             uint32_t* size, uint32_t* count) const;

private:
    enum Slot {
        kDial,
        kGetErrorString,
        kHangUp,
        kGetConnectStatus,
        kEnumConnections,
        kEnumEntries
    };
    template <typename Function>
    Function Bound(Slot slot) const {
        return reinterpret_cast<Function>(procs_[slot]);
    }

    Libraries& libraries_;
    MessageBoxes& boxes_;
    std::unique_ptr<LoadedLibrary> library_;
    std::array<void*, kRasFunctionNames.size()> procs_{};
};

}  // namespace mivox
