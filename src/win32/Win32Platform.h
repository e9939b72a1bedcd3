// The real operating system behind each seam.
#pragma once

#include "components/timer/AsyncTimer.h"
#include "platform/Platform.h"
#include "win32/Win32CommonDialogs.h"
#include "win32/Win32Desktop.h"
#include "win32/Win32Fax.h"
#include "win32/Win32Libraries.h"
#include "win32/Win32MessageLoop.h"
#include "win32/Win32Processes.h"
#include "win32/Win32Security.h"
#include "win32/Win32Shell.h"
#include "win32/Win32Socket.h"

namespace mivox::win32 {

class Win32FileSystem : public FileSystem {
public:
    bool FileExists(const std::string& path) const override;
    bool DirectoryExists(const std::string& path) const override;
    PackedDateTime FileAge(const std::string& path) const override;
    IoResult FileSize(const std::string& path, int64_t& size) const override;
    std::vector<FindData> FindEntries(const std::string& pattern) const override;
    IoResult Copy(const std::string& source, const std::string& dest, bool failIfExists) override;
    uint32_t GetAttributes(const std::string& path) const override;
    IoResult SetAttributes(const std::string& path, uint32_t attributes) override;
    IoResult Delete(const std::string& path) override;
    IoResult CreateDir(const std::string& path) override;
    IoResult RemoveDir(const std::string& path) override;
    IoResult Rename(const std::string& existing, const std::string& newName) override;
    IoResult MoveFileAtRestart(const std::string& existing, const std::string& newName) override;
    IoResult WriteIniString(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value) override;
    int64_t DiskFreeBytes(int driveNumber) const override;
    uint32_t DriveTypeOf(const std::string& root) const override;
    std::string TempPath() const override;
    IoResult ReadAll(const std::string& path, std::string& contents) const override;
    CreatedFile CreateOutputFile(const std::string& path) override;
    IoResult SetFileAge(const std::string& path, PackedDateTime age) override;
    std::string ShortPathName(const std::string& path) const override;
};

class Win32Registry : public Registry {
public:
    long OpenKey(uint32_t root, const std::string& path, uint32_t access,
                 std::unique_ptr<RegistryKey>& key) override;
    long CreateKey(uint32_t root, const std::string& path, uint32_t access,
                   std::unique_ptr<RegistryKey>& key) override;
    long DeleteKey(uint32_t root, const std::string& path) override;
};

class Win32Clock : public Clock {
public:
    SystemTime LocalTime() const override;
    uint32_t TickCount() const override;
};

class Win32SystemInfo : public SystemInfo {
public:
    uint32_t PlatformId() const override;
    uint32_t LastError() const override;
    std::string ErrorMessageText(uint32_t code) const override;
    std::string WindowsDirectory() const override;
    std::string ModuleFileName() const override;
    std::string UserName() const override;
};

class Win32Locale : public Locale {
public:
    std::string ShortMonthName(int month) const override;
    std::string DateSeparator() const override;
    std::string TimeSeparator() const override;
};

class Win32VersionResources : public VersionResources {
public:
    uint32_t InfoSize(const std::string& path) const override;
    bool ReadInfo(const std::string& path, void* buffer, uint32_t size) const override;
    bool QueryFileVersion(const void* buffer, uint32_t& versionMs,
                          uint32_t& versionLs) const override;
};

class Win32VirtualMemory : public VirtualMemory {
public:
    void* Reserve(size_t size) override;
    void* Commit(void* address, size_t size) override;
    bool Decommit(void* address, size_t size) override;
    bool Release(void* address) override;
};

class Win32MessageBoxes : public MessageBoxes {
public:
    int Show(const std::string& text, const std::string& caption, unsigned style) override;
    int ShowOwned(DialogPeer& owner, const std::string& text, const std::string& caption,
                  unsigned style) override;
    void Beep(unsigned type) override;
};

// Every seam's real implementation, owned together.
struct Win32Platform {
    Win32FileSystem files;
    Win32Clock clock;
    Win32SystemInfo system;
    Win32Locale locale;
    Win32VersionResources versions;
    Win32VirtualMemory memory;
    Win32MessageBoxes boxes;
    Win32Registry registry;
    Win32Shell shell;
    Win32Security security;
    Win32MessageLoop loop;
    Win32Processes processes;
    Win32CommonDialogs commonDialogs;
    Win32Desktop desktop;
    Win32Network network;
    Win32Libraries libraries;
    Win32TimeZone zone;
    AsyncTimers timers{network};
    Win32SerialPort faxPort;
    Win32ModemDirectory modems;
    Win32TextRenderer faxRenderer;
    Win32UiThreadPoster uiThread;
    FaxDevices fax{faxPort, modems, faxRenderer, uiThread};
    Platform platform{files,    clock,     system,   locale, versions,  memory,        boxes,
                      registry, shell,     security, loop,   processes, commonDialogs, desktop,
                      network,  libraries, zone,     timers, fax};
};

}  // namespace mivox::win32
