// The fax library's seams on Windows: the serial port, the modems the
// system has installed, text drawn with GDI, and work posted to the
// user-interface thread through a message-only window.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

#include "platform/SerialPort.h"
#include "platform/TextRenderer.h"
#include "win32/Handles.h"

namespace mivox::win32 {

class Win32SerialPort : public SerialPort {
public:
    bool Open(const std::string& name, const SerialSettings& settings, PortError& error,
              std::string& detail) override;
    void Close() override { handle_.reset(); }
    bool IsOpen() const override { return static_cast<bool>(handle_); }
    bool Write(const std::string& bytes, uint32_t timeoutMs) override;
    bool Read(std::string& bytes, uint32_t timeoutMs) override;
    void Interrupt() override;

private:
    // An overlapped transfer and the memory the system writes into while it
    // runs. The port's own timeouts are not trusted to end a transfer (some
    // drivers ignore them): each is waited for with a deadline of our own
    // and cancelled after it.
    struct Transfer {
        OVERLAPPED overlapped = {};
        UniqueHandle done;
        char buffer[1024];
    };
    // Waits up to `timeoutMs` for the transfer started on `io_` (`started` is
    // what ReadFile or WriteFile returned), then cancels it; `count` is what
    // it moved by then. False when the port failed. A transfer that does not
    // even end when cancelled closes the port, and its memory is left to it
    // rather than freed under it.
    bool Finish(BOOL started, uint32_t timeoutMs, DWORD& count);

    FileHandle handle_;
    std::unique_ptr<Transfer> io_;
    std::atomic<bool> interrupted_{false};  // set by Interrupt, cleared by Open
};

// Modems from the registry's modem class (Windows NT and Windows 95/98
// keep them in different places), serial ports from the DOS device names.
class Win32ModemDirectory : public ModemDirectory {
public:
    std::vector<std::string> SerialPorts() override;
    std::vector<std::string> TelephonyLines() override;
    std::string PortOfLine(const std::string& line) override;
};

class Win32TextRenderer : public TextRenderer {
public:
    std::vector<std::vector<uint8_t>> RenderLine(const FontSpec& font, const std::string& text,
                                                 int left) override;
};

// Must be created on the user-interface thread, whose message loop runs the
// posted work. Work still waiting when it is destroyed is dropped.
class Win32UiThreadPoster : public UiThreadPoster {
public:
    Win32UiThreadPoster();
    ~Win32UiThreadPoster() override;
    Win32UiThreadPoster(const Win32UiThreadPoster&) = delete;
    Win32UiThreadPoster& operator=(const Win32UiThreadPoster&) = delete;
    bool Post(std::function<void()> task) override;
    // Receives what escapes a posted task (the application's error report);
    // without one, such a failure is dropped with its task.
    void SetExceptionHandler(std::function<void(const std::exception&)> handler) {
        handler_ = std::move(handler);
    }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    UniqueWindow window_;
    std::function<void(const std::exception&)> handler_;
};

}  // namespace mivox::win32
