#include <windows.h>

#include "win32/SystemLibrary.h"
#include "win32/Win32Dialog.h"
#include "win32/Win32Platform.h"

namespace mivox::win32 {

SystemTime Win32Clock::LocalTime() const {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return SystemTime{st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
                      st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
}

uint32_t Win32Clock::TickCount() const {
    return GetTickCount();
}

uint32_t Win32SystemInfo::PlatformId() const {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);  // the 148-byte record
    static_assert(sizeof(OSVERSIONINFOA) == 148);
    if (!GetVersionExA(&info)) return kPlatformWin32Windows;
    return info.dwPlatformId;
}

uint32_t Win32SystemInfo::LastError() const {
    return GetLastError();
}

std::string Win32SystemInfo::ErrorMessageText(uint32_t code) const {
    char text[255] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, 254, nullptr);
    return std::string(text, length);
}

std::string Win32SystemInfo::WindowsDirectory() const {
    char path[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(path, 254);
    return length < 254 ? std::string(path, length) : std::string();
}

std::string Win32SystemInfo::ModuleFileName() const {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, 254);
    return std::string(path, length);
}

std::string Win32SystemInfo::UserName() const {
    char name[257] = {};
    DWORD size = 256;
    return GetUserNameA(name, &size) ? std::string(name) : std::string();
}

std::string Win32Locale::ShortMonthName(int month) const {
    if (month < 1 || month > 12) return {};
    char name[80] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SABBREVMONTHNAME1 + month - 1, name, sizeof(name));
    return name;
}

std::string Win32Locale::DateSeparator() const {
    char separator[8] = {};
    return GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, sizeof(separator))
               ? separator
               : "/";
}

std::string Win32Locale::TimeSeparator() const {
    char separator[8] = {};
    return GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, separator, sizeof(separator))
               ? separator
               : ":";
}

namespace {

// version.dll is no library the system keeps to its own folder: bound by
// its full path on first use.
struct VersionLibrary {
    Library module{LoadSystemLibrary("version.dll")};
    decltype(&GetFileVersionInfoSizeA) infoSize =
        BoundFunction<decltype(infoSize)>(module.get(), "GetFileVersionInfoSizeA");
    decltype(&GetFileVersionInfoA) info =
        BoundFunction<decltype(info)>(module.get(), "GetFileVersionInfoA");
    decltype(&VerQueryValueA) query =
        BoundFunction<decltype(query)>(module.get(), "VerQueryValueA");
};

const VersionLibrary& Version() {
    static const VersionLibrary library;
    return library;
}

}  // namespace

uint32_t Win32VersionResources::InfoSize(const std::string& path) const {
    DWORD handle = 0;
    const auto infoSize = Version().infoSize;
    return infoSize ? infoSize(path.c_str(), &handle) : 0;
}

bool Win32VersionResources::ReadInfo(const std::string& path, void* buffer, uint32_t size) const {
    const auto info = Version().info;
    return info && info(path.c_str(), 0, size, buffer) != FALSE;
}

bool Win32VersionResources::QueryFileVersion(const void* buffer, uint32_t& versionMs,
                                             uint32_t& versionLs) const {
    void* value = nullptr;
    UINT length = 0;
    const auto query = Version().query;
    if (!query || !query(buffer, "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
        return false;
    }
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
    versionMs = info->dwFileVersionMS;
    versionLs = info->dwFileVersionLS;
    return true;
}

void* Win32VirtualMemory::Reserve(size_t size) {
    return VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_READWRITE);
}

void* Win32VirtualMemory::Commit(void* address, size_t size) {
    return VirtualAlloc(address, size, MEM_COMMIT, PAGE_READWRITE);
}

bool Win32VirtualMemory::Decommit(void* address, size_t size) {
    return VirtualFree(address, size, MEM_DECOMMIT) != FALSE;
}

bool Win32VirtualMemory::Release(void* address) {
    return VirtualFree(address, 0, MEM_RELEASE) != FALSE;
}

int Win32MessageBoxes::Show(const std::string& text, const std::string& caption, unsigned style) {
    // No owner window, so the box stands in front of every dialog; task-modal, so
    // no dialog behind it takes a click meanwhile.
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), style | MB_TASKMODAL);
}

int Win32MessageBoxes::ShowOwned(DialogPeer& owner, const std::string& text,
                                 const std::string& caption, unsigned style) {
    return MessageBoxA(WindowOf(owner), text.c_str(), caption.c_str(), style);
}

void Win32MessageBoxes::Beep(unsigned type) {
    MessageBeep(type);
}

}  // namespace mivox::win32
