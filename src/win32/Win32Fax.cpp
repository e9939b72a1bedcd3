#include "win32/Win32Fax.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/Failure.h"
#include "util/TextUtil.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32Platform.h"

namespace mivox::win32 {
namespace {

// The system's text of an error code, without its line end.
std::string SystemText(DWORD code) {
    const std::string text = TrimEnd(Win32SystemInfo().ErrorMessageText(code), "\r\n ");
    return text.empty() ? "system error " + std::to_string(code) : text;
}

struct DcTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC dc) { DeleteDC(dc); }
};
struct GdiObjectTraits {
    static HGDIOBJ Invalid() { return nullptr; }
    static void Close(HGDIOBJ object) { DeleteObject(object); }
};
using MemoryDc = UniqueResource<HDC, DcTraits>;
using GdiObject = UniqueResource<HGDIOBJ, GdiObjectTraits>;

// Puts an object into a device context while it lives.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace

bool Win32SerialPort::Open(const std::string& name, const SerialSettings& settings,
                           PortError& error, std::string& detail) {
    interrupted_ = false;
    if (!io_) {
        io_ = std::make_unique<Transfer>();
        io_->done.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (!io_->done) {
            detail = SystemText(GetLastError());
            error = PortError::kOther;
            return false;
        }
    }
    handle_.reset(CreateFileA(("\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    if (!handle_) {
        const DWORD code = GetLastError();
        detail = SystemText(code);
        error = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? PortError::kMissing
                : code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION
                    ? PortError::kBusy
                    : PortError::kOther;
        return false;
    }
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!SetupComm(handle_.get(), settings.inSize, settings.outSize) ||
        !GetCommState(handle_.get(), &dcb)) {
        detail = SystemText(GetLastError());
        error = PortError::kNotSerial;
        handle_.reset();
        return false;
    }
    dcb.BaudRate = settings.baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = settings.requireCts;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = settings.useRts ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    // RTS drops when bufferFull bytes wait and rises again below bufferResume.
    dcb.XonLim = static_cast<WORD>(settings.bufferResume);
    dcb.XoffLim = static_cast<WORD>(settings.inSize > settings.bufferFull
                                        ? settings.inSize - settings.bufferFull
                                        : settings.inSize / 10);
    if (!SetCommState(handle_.get(), &dcb)) {
        detail = SystemText(GetLastError());
        error = PortError::kNotSerial;
        handle_.reset();
        return false;
    }
    PurgeComm(handle_.get(), PURGE_RXCLEAR | PURGE_TXCLEAR);
    return true;
}

namespace {

// Stops the port's transfer under way. Windows 95 has no CancelIo; there
// the port's own purge aborts it.
void CancelTransfer(HANDLE port) {
    static const auto cancelIo = KernelFunction<decltype(&CancelIo)>("CancelIo");
    if (cancelIo)
        cancelIo(port);
    else
        PurgeComm(port, PURGE_TXABORT | PURGE_RXABORT);
}

}  // namespace

bool Win32SerialPort::Finish(BOOL started, uint32_t timeoutMs, DWORD& count) {
    count = 0;
    HANDLE port = handle_.get();
    OVERLAPPED* overlapped = &io_->overlapped;
    if (!started && GetLastError() != ERROR_IO_PENDING) return false;
    // The driver's own timeout is not relied on (Wine's ignores it on an
    // overlapped read): the transfer ends at ours. A cancel can take more
    // than a second on a busy machine; giving up on it closes the port, and
    // the modem could no longer be told to hang up.
    constexpr DWORD kGrace = 5000;
    bool ended = WaitForSingleObject(io_->done.get(), timeoutMs) == WAIT_OBJECT_0;
    if (ended && interrupted_) {
        // Woken by Interrupt: the transfer may still be under way.
        CancelTransfer(port);
        for (int waited = 0; !HasOverlappedIoCompleted(overlapped) && waited < 1000; waited += 10)
            Sleep(10);
        if (HasOverlappedIoCompleted(overlapped)) return false;
        handle_.reset();
        if (!HasOverlappedIoCompleted(overlapped))
            static_cast<void>(io_.release());  // still in the system's hands: never freed
        return false;
    }
    if (!ended) {
        CancelTransfer(port);
        ended = WaitForSingleObject(io_->done.get(), kGrace) == WAIT_OBJECT_0;
    }
    if (!ended) {
        handle_.reset();
        if (WaitForSingleObject(io_->done.get(), 1000) != WAIT_OBJECT_0)
            static_cast<void>(io_.release());  // still in the system's hands: never freed
        return false;
    }
    // A cancelled transfer still counts what it moved.
    return GetOverlappedResult(port, overlapped, &count, FALSE) ||
           GetLastError() == ERROR_OPERATION_ABORTED;
}

void Win32SerialPort::Interrupt() {
    interrupted_ = true;
    if (io_) SetEvent(io_->done.get());  // wakes the wait for a transfer under way
}

bool Win32SerialPort::Write(const std::string& bytes, uint32_t timeoutMs) {
    if (!handle_ || interrupted_) return false;
    // Flow control may hold the data back, but only for the time given.
    COMMTIMEOUTS timeouts = {MAXDWORD, MAXDWORD, 100, 0, timeoutMs ? timeoutMs : 1};
    if (!SetCommTimeouts(handle_.get(), &timeouts)) return false;
    const DWORD start = GetTickCount();
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs) return false;
        const DWORD size = static_cast<DWORD>(std::min(bytes.size() - done, sizeof io_->buffer));
        std::memcpy(io_->buffer, bytes.data() + done, size);
        io_->overlapped = {};
        io_->overlapped.hEvent = io_->done.get();
        DWORD written = 0;
        if (!Finish(WriteFile(handle_.get(), io_->buffer, size, nullptr, &io_->overlapped),
                    timeoutMs - spent, written) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

bool Win32SerialPort::Read(std::string& bytes, uint32_t timeoutMs) {
    if (!handle_ || interrupted_) return false;
    // Returns at once with what is waiting, or with the first bytes to come
    // within the time.
    COMMTIMEOUTS timeouts = {MAXDWORD, MAXDWORD, timeoutMs ? timeoutMs : 1, 0, 0};
    if (!SetCommTimeouts(handle_.get(), &timeouts)) return false;
    // What is waiting is asked for exactly, and otherwise one byte: a read
    // then ends the moment it is satisfied, also where the driver ignores
    // the timeouts above (Wine's does on an overlapped read, and would
    // answer only when our wait runs out, too late for the modem).
    DWORD errors = 0;
    COMSTAT status = {};
    DWORD size = 1;
    if (ClearCommError(handle_.get(), &errors, &status) && status.cbInQue > 0)
        size = std::min<DWORD>(status.cbInQue, sizeof io_->buffer);
    io_->overlapped = {};
    io_->overlapped.hEvent = io_->done.get();
    DWORD read = 0;
    if (!Finish(ReadFile(handle_.get(), io_->buffer, size, nullptr, &io_->overlapped), timeoutMs,
                read))
        return false;
    bytes.append(io_->buffer, read);
    return true;
}

std::vector<std::string> Win32ModemDirectory::SerialPorts() {
    // Windows 95 and 98 have no device names to ask: there a port is one
    // that opens, or that another program holds.
    static const auto queryDosDevice = BoundFunction<decltype(&QueryDosDeviceA)>(
        GetModuleHandleA("kernel32.dll"), "QueryDosDeviceA");
    std::vector<std::string> ports;
    for (int n = 1; n <= 32; ++n) {
        const std::string name = "COM" + std::to_string(n);
        char target[512];
        bool present = false;
        if (queryDosDevice) {
            present = queryDosDevice(name.c_str(), target, sizeof target) != 0;
        } else {
            const FileHandle port(CreateFileA(("\\\\.\\" + name).c_str(),
                                              GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
            present = port || GetLastError() == ERROR_ACCESS_DENIED;
        }
        if (present) ports.push_back(name);
    }
    return ports;
}

namespace {

constexpr const char* kModemClassNt =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kModemClass9x = "System\\CurrentControlSet\\Services\\Class\\Modem";

// A string value of at most 255 characters; "" when absent or of another type.
std::string StringValue(HKEY key, const char* name) {
    char buffer[256] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer - 1;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return "";
    return std::string(buffer, strnlen(buffer, size));
}

// Each installed modem: its name and the port it is attached to.
std::vector<std::pair<std::string, std::string>> InstalledModems() {
    std::vector<std::pair<std::string, std::string>> modems;
    for (const char* path : {kModemClassNt, kModemClass9x}) {
        HKEY raw = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &raw) != ERROR_SUCCESS) continue;
        RegKey modemClass(raw);
        char sub[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = sizeof sub;
            if (RegEnumKeyExA(modemClass.get(), i, sub, &length, nullptr, nullptr, nullptr,
                              nullptr) != ERROR_SUCCESS)
                break;
            HKEY rawModem = nullptr;
            if (RegOpenKeyExA(modemClass.get(), sub, 0, KEY_READ, &rawModem) != ERROR_SUCCESS)
                continue;
            RegKey modem(rawModem);
            std::string name = StringValue(modem.get(), "FriendlyName");
            if (name.empty()) name = StringValue(modem.get(), "DriverDesc");
            if (!name.empty()) modems.emplace_back(name, StringValue(modem.get(), "AttachedTo"));
        }
        if (!modems.empty()) break;
    }
    return modems;
}

}  // namespace

std::vector<std::string> Win32ModemDirectory::TelephonyLines() {
    std::vector<std::string> names;
    for (const auto& modem : InstalledModems()) names.push_back(modem.first);
    return names;
}

std::string Win32ModemDirectory::PortOfLine(const std::string& line) {
    for (const auto& modem : InstalledModems())
        if (modem.first == line) return modem.second;
    return "";
}

// A fax line's dots are 1/204 inch wide and 1/98 inch high, about half as
// wide as high: the text is drawn on square pixels at twice the height, and
// each pair of rows is merged into one scan line, so that on paper it has
// the font's own shape.
std::vector<std::vector<uint8_t>> Win32TextRenderer::RenderLine(const FontSpec& font,
                                                                const std::string& text, int left) {
    constexpr int kWidth = 1728;
    constexpr int kStride = kWidth / 8;  // already a multiple of four bytes
    const int drawnRows = 2 * font.height;
    MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) throw Failure("cannot create a drawing surface");
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info = {};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = kWidth;
    info.header.biHeight = -drawnRows;  // top row first
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    // GDI's own monochrome convention (a set bit is white), turned round
    // when the rows are copied out.
    info.colours[0] = {0, 0, 0, 0};
    info.colours[1] = {255, 255, 255, 0};
    void* bits = nullptr;
    GdiObject bitmap(CreateDIBSection(dc.get(), reinterpret_cast<BITMAPINFO*>(&info),
                                      DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) throw Failure("cannot create a bitmap for the fax page");
    // Courier's cell is six tenths of its height: 10 characters to the inch
    // at 6 lines to the inch, in dots of 1/204 inch.
    const int cellWidth = (font.height * 5 + 2) / 4;
    GdiObject typeface(CreateFontA(drawnRows, cellWidth, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                                   FALSE, FALSE, FALSE, font.charset, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                                   FIXED_PITCH | FF_MODERN, font.face.c_str()));
    if (!typeface) throw Failure("cannot create the font " + font.face);
    Selection selectBitmap(dc.get(), bitmap.get());
    Selection selectFont(dc.get(), typeface.get());
    PatBlt(dc.get(), 0, 0, kWidth, drawnRows, WHITENESS);
    SetBkColor(dc.get(), RGB(255, 255, 255));
    SetTextColor(dc.get(), RGB(0, 0, 0));
    SetBkMode(dc.get(), TRANSPARENT);
    if (!text.empty() && !TextOutA(dc.get(), left, 0, text.data(), static_cast<int>(text.size())))
        throw Failure("cannot draw the text");
    GdiFlush();
    std::vector<std::vector<uint8_t>> rows(font.height);
    const auto* first = static_cast<const uint8_t*>(bits);
    for (int y = 0; y < font.height; ++y) {
        const uint8_t* upper = first + 2 * y * kStride;
        const uint8_t* lower = upper + kStride;
        rows[y].resize(kStride);
        // Black where either row drawn is (a clear bit is black in GDI's).
        for (int x = 0; x < kStride; ++x) rows[y][x] = static_cast<uint8_t>(~(upper[x] & lower[x]));
    }
    return rows;
}

namespace {

constexpr UINT kRunTask = WM_APP + 0x13;
constexpr const char* kPosterClass = "MivoxUiThreadPoster";

}  // namespace

Win32UiThreadPoster::Win32UiThreadPoster() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kPosterClass;
    RegisterClassA(&windowClass);  // fails harmlessly when already registered
    window_.reset(CreateWindowExA(0, kPosterClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr));
    if (!window_) throw Failure("cannot create the window for the fax events");
    SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32UiThreadPoster::~Win32UiThreadPoster() {
    MSG message;
    while (PeekMessageA(&message, window_.get(), kRunTask, kRunTask, PM_REMOVE))
        delete reinterpret_cast<std::function<void()>*>(message.lParam);
}

bool Win32UiThreadPoster::Post(std::function<void()> task) {
    auto owned = std::make_unique<std::function<void()>>(std::move(task));
    if (!PostMessageA(window_.get(), kRunTask, 0, reinterpret_cast<LPARAM>(owned.get())))
        return false;
    owned.release();  // the window procedure deletes it
    return true;
}

LRESULT CALLBACK Win32UiThreadPoster::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    if (message != kRunTask) return DefWindowProcA(window, message, wParam, lParam);
    std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(lParam));
    auto* poster = reinterpret_cast<Win32UiThreadPoster*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // Nothing may unwind through the system's window procedure.
    try {
        (*task)();
    } catch (const std::exception& e) {
        if (poster && poster->handler_) {
            try {
                poster->handler_(e);
            } catch (...) {
            }
        }
    } catch (...) {
    }
    return 0;
}

}  // namespace mivox::win32
