// Faxes a text file through a modem on a serial port with the fax library,
// as the registration does: converts it to a fax image, opens the port,
// dials and sends, printing each status change and the end.
//
//   faxsend TEXTFILE IMAGEFILE PORT NUMBER [PREFIX]
//
// Exit code 0 when the fax was delivered, 1 when the transmission failed
// (after a line "error CODE: MESSAGE"), 2 when it could not start.
#include <windows.h>

#include <cstdio>

#include "components/fax/ComPort.h"
#include "components/fax/FaxConverter.h"
#include "components/fax/SendFax.h"
#include "win32/Win32Fax.h"
#include "win32/Win32Platform.h"

using namespace mivox;

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: faxsend TEXTFILE IMAGEFILE PORT NUMBER [PREFIX]\n");
        return 2;
    }
    win32::Win32FileSystem files;
    win32::Win32Clock clock;
    win32::Win32TextRenderer renderer;
    win32::Win32UiThreadPoster poster;
    win32::Win32SerialPort serial;
    win32::Win32ModemDirectory directory;
    TApdComPort port(serial);
    port.InSize = 8192;
    port.OutSize = 8192;
    port.HWFlowOptions = hwfUseRTS | hwfRequireCTS;
    port.BufferFull = 7372;
    port.BufferResume = 819;
    TApdTapiDevice tapi(directory, port);
    TApdFaxConverter converter(files, renderer);
    TApdSendFax sender(port, clock, poster, files, renderer);
    try {
        converter.SetDocumentFile(argv[1]);
        converter.OutFileName = argv[2];
        converter.ConvertToFile();
        tapi.Choose(argv[3]);
        tapi.ConfigAndOpen();
    } catch (const std::exception& e) {
        std::printf("cannot start: %s\n", e.what());
        return 2;
    }
    sender.FaxFile = argv[2];
    sender.PhoneNumber = argv[4];
    sender.DialPrefix = argc > 5 ? argv[5] : "";
    sender.HeaderSender = "Vexlor Installer";
    sender.HeaderRecipient = "Product Registration";
    sender.HeaderTitle = "Product Registration";
    sender.StationID = "VexlorInstaller";
    sender.HeaderLine = "Vexlor Installer: Product Registration";
    int lastProgress = 0;
    int result = -1;
    sender.OnFaxStatus = [&](TApdSendFax& fax, bool, bool) {
        const FaxFigures& f = fax.Figures();
        if (f.progress == lastProgress && f.progress == fpSendPage) return;
        lastProgress = f.progress;
        std::printf(
            "status %d: %s; page %d of %d, attempt %d, %d bit/s, remote \"%s\", %u of %u bytes\n",
            f.progress, FaxStatusText(f.progress).c_str(), f.page, f.pages, f.attempt,
            f.bitsPerSecond, f.remoteId.c_str(), f.bytesSent, f.pageLength);
        std::fflush(stdout);
    };
    sender.OnFaxError = [](TApdSendFax&, int code) {
        std::printf("error %d: %s\n", code, FaxErrorText(code).c_str());
    };
    sender.OnFaxFinish = [&](TApdSendFax&, int code) {
        result = code;
        tapi.CancelCall();
        PostQuitMessage(0);
    };
    sender.StartTransmit();
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    std::printf("finished %d\n", result);
    return result == 0 ? 0 : 1;
}
