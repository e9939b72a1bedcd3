#include "registration/Ras.h"

namespace mivox {

namespace {

using GetErrorStringFn = uint32_t(MIVOX_RASAPI*)(uint32_t, char*, uint32_t);
using HangUpFn = uint32_t(MIVOX_RASAPI*)(HRasConn);
using GetConnectStatusFn = uint32_t(MIVOX_RASAPI*)(HRasConn, void*);
using EnumConnectionsFn = uint32_t(MIVOX_RASAPI*)(void*, uint32_t*, uint32_t*);
using EnumEntriesFn = uint32_t(MIVOX_RASAPI*)(const char*, const char*, void*, uint32_t*,
                                              uint32_t*);

}  // namespace

bool RasApi::LoadRasApi() {
    if (library_) return true;
    library_ = libraries_.Load("RASAPI32.DLL");
    if (!library_) return false;
    for (size_t i = 0; i < kRasFunctionNames.size(); ++i) {
        procs_[i] = library_->Proc(kRasFunctionNames[i]);
        if (!procs_[i])
            boxes_.Show("Error: Cannot Find RASAPI32.DLL Proc", kRasFunctionNames[i], kMbOk);
    }
    return true;
}

void RasApi::FreeRasApi() {
    procs_.fill(nullptr);
    library_.reset();
}

uint32_t RasApi::RasGetErrorStringA(uint32_t error, char* text, uint32_t size) const {
    const auto function = Bound<GetErrorStringFn>(kGetErrorString);
    return function ? function(error, text, size) : kRasNotBound;
}

uint32_t RasApi::RasHangUpA(HRasConn connection) const {
    const auto function = Bound<HangUpFn>(kHangUp);
    return function ? function(connection) : kRasNotBound;
}

uint32_t RasApi::RasGetConnectStatusA(HRasConn connection, void* status) const {
    const auto function = Bound<GetConnectStatusFn>(kGetConnectStatus);
    return function ? function(connection, status) : kRasNotBound;
}

uint32_t RasApi::RasEnumConnectionsA(void* connections, uint32_t* size, uint32_t* count) const {
    const auto function = Bound<EnumConnectionsFn>(kEnumConnections);
    return function ? function(connections, size, count) : kRasNotBound;
}

uint32_t RasApi::RasEnumEntriesA(const char* reserved, const char* phonebook, void* entries,
                                 uint32_t* size, uint32_t* count) const {
    const auto function = Bound<EnumEntriesFn>(kEnumEntries);
    return function ? function(reserved, phonebook, entries, size, count) : kRasNotBound;
}

}  // namespace mivox
