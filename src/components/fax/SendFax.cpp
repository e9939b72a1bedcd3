#include "components/fax/SendFax.h"

#include <algorithm>

#include "components/fax/FaxCall.h"

namespace mivox {

namespace {

constexpr uint32_t kCloseGraceMs = 3000;  // for a call's goodbye when the sender goes

}  // namespace

TApdSendFax::TApdSendFax(TApdComPort& port, Clock& clock, UiThreadPoster& ui, FileSystem& files,
                         TextRenderer& renderer)
    : port_(port), clock_(clock), ui_(ui), files_(files), renderer_(renderer) {}

TApdSendFax::~TApdSendFax() {
    Shutdown();
}

void TApdSendFax::Shutdown() {
    *alive_ = false;
    closing_ = true;
    cancel_ = true;
    const int64_t until = SteadyMicroseconds() + int64_t{kCloseGraceMs} * 1000;
    while (!ended_ && SteadyMicroseconds() < until)
        endedSignal_.Wait(static_cast<uint32_t>((until - SteadyMicroseconds()) / 1000 + 1));
    if (!ended_) port_.Port().Interrupt();
    worker_.Join();
}

std::vector<FaxPage> TApdSendFax::PagesToSend(const std::vector<FaxPage>& pages) {
    std::vector<FaxPage> out;
    const FaxRow blank(kFaxRowBytes, 0);
    for (size_t i = 0; i < pages.size(); ++i) {
        const std::string text =
            HeaderLine + "   Page " + std::to_string(i + 1) + " of " + std::to_string(pages.size());
        FaxPage page(2, blank);
        for (FaxRow& row : renderer_.RenderLine(HeaderFont, text, 50))
            page.push_back(std::move(row));
        page.push_back(blank);
        page.push_back(blank);
        page.insert(page.end(), pages[i].begin(), pages[i].end());
        out.push_back(std::move(page));
    }
    return out;
}

void TApdSendFax::StartTransmit() {
    if (running_) return;
    running_ = true;
    worker_.Join();
    cancel_ = false;
    figures_ = FaxFigures{};
    std::vector<FaxPage> pages;
    std::string contents, error;
    int failure = ecOK;
    if (!port_.Open()) {
        failure = ecPortNotOpen;
    } else if (!files_.ReadAll(FaxFile, contents) || !ReadFaxTiff(contents, pages, error)) {
        failure = ecFaxFileError;
    } else {
        try {
            pages = PagesToSend(pages);
        } catch (const std::exception&) {
            failure = ecFaxFileError;
        }
    }
    if (failure != ecOK) {
        // On this thread a full queue cannot be waited out: then at once.
        if (!ui_.Post([this, alive = alive_, failure] {
                if (*alive) Finish(failure);
            }))
            Finish(failure);
        return;
    }
    // The settings are read here, on the user-interface thread, which may
    // change them again while the call runs.
    FaxCallSettings settings;
    settings.dialString = (ToneDial ? "ATDT" : "ATDP") + DialPrefix.substr(0, 40) + PhoneNumber;
    settings.stationId = StationID.substr(0, 20);
    settings.modemInit = ModemInit;
    settings.class1Known = FaxClass == TFaxClass::fcClass1;
    settings.attempts = DialAttempts;
    settings.retryWaitMs = static_cast<uint32_t>(std::max(0, DialRetryWait)) * 1000;
    // The call reaches this side only by posting its figures.
    auto report = [this, reportedAny = false](const FaxFigures& figures) mutable {
        const bool first = !reportedAny;
        reportedAny = true;
        const bool last = figures.progress == fpFinished;
        ui_.Post([this, alive = alive_, figures, first, last] {
            if (!*alive) return;
            figures_ = figures;
            if (OnFaxStatus) OnFaxStatus(*this, first, last);
        });
    };
    auto call = std::make_shared<FaxCall>(port_.Port(), clock_, cancel_, std::move(settings),
                                          std::move(pages), std::move(report));
    ended_ = false;
    worker_ = Thread([this, call] {
        int result = ecInternalError;
        try {
            result = call->Run();
        } catch (...) {
        }
        // The finish must arrive, or the user could never start again: a
        // full queue is waited out while the sender lives.
        try {
            while (!ui_.Post([this, alive = alive_, result] {
                if (*alive) Finish(result);
            }) && !closing_) {
                WakeSignal pause;
                pause.Wait(50);
            }
        } catch (...) {
            // Out of memory at the very end: nothing is left to report it with.
        }
        ended_ = true;
        endedSignal_.Set();
    });
}

void TApdSendFax::Finish(int error) {
    running_ = false;
    if (error != ecOK && OnFaxError) OnFaxError(*this, error);
    if (OnFaxFinish) OnFaxFinish(*this, error);
}

void TApdSendFax::CancelFax() {
    cancel_ = true;
}

void TApdSendFax::WaitForEnd() {
    worker_.Join();
}

}  // namespace mivox
