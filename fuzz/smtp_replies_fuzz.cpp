// An SMTP server's replies are outside input: the client walks a whole
// conversation (connect, HELO, MAIL FROM, two RCPT TO, DATA, QUIT) against a
// scripted server whose answers are the fuzzer's bytes. When the client
// connects and after each line it sends, the server answers with the next
// reply of the input: a control byte (bits 0-2: number of reads, bit 7:
// close afterwards), then each read as a length byte and its bytes.
// Every request must end exactly once, never inside the call that started
// it, and a request ends well only on a reply that carries an accepted code.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "components/smtp/SmtpProt.h"
#include "fakes/FakeNetwork.h"
#include "fakes/FakePlatform.h"

namespace {

using mivox::SmtpException;
using mivox::TCustomSmtpClient;
using mivox::TSmtpCli;
using mivox::TSmtpRequest;
using mivox::testing::FakeClock;
using mivox::testing::FakeNetwork;
using mivox::testing::FakeTimeZone;
using mivox::testing::ScriptedSocket;

[[noreturn]] void Fail(const char* what, TSmtpRequest request) {
    std::fprintf(stderr, "%s (%s)\n", what, mivox::SmtpRequestName(request));
    std::abort();
}

struct Replies {
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    // Sends the next reply, if any is left.
    void Answer(ScriptedSocket& socket) {
        if (at >= size) return;
        const uint8_t control = data[at++];
        for (int read = 0; read < (control & 7) && at < size; ++read) {
            const size_t wanted = data[at++];
            const size_t length = std::min(wanted, size - at);
            socket.ServerSends(std::string(reinterpret_cast<const char*>(data) + at, length), read);
            at += length;
        }
        if (control & 0x80) socket.ServerCloses(control & 7);
    }
};

// A reply line carries code when code's digits stand in it as a number of
// their own, not followed by the "-" of a reply that goes on.
bool Carries(const std::string& line, int code) {
    const std::string digits = std::to_string(code);
    for (size_t at = line.find(digits); at != std::string::npos; at = line.find(digits, at + 1)) {
        const size_t end = at + digits.size();
        if ((at == 0 || line[at - 1] < '1' || line[at - 1] > '9') &&
            (end == line.size() || (line[end] != '-' && (line[end] < '0' || line[end] > '9'))))
            return true;
    }
    return false;
}

struct Step {
    void (TCustomSmtpClient::*operation)();
    TSmtpRequest request;
    std::vector<int> accepted;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FakeNetwork network;
    FakeClock clock;
    FakeTimeZone zone;
    Replies replies{data, size};
    network.onAccept = [&](ScriptedSocket& socket) { replies.Answer(socket); };
    network.onClientLine = [&](ScriptedSocket& socket, const std::string&) {
        replies.Answer(socket);
    };

    TSmtpCli client({network, clock, zone});
    client.Host = "mail.example.com";
    client.FromName = "setup@example.com";
    client.RcptName = {"one@example.com", "two@example.com"};
    client.OnGetData = [](TCustomSmtpClient&, int line, char* text, int maxLen, bool& more) {
        std::snprintf(text, static_cast<size_t>(maxLen), line == 1 ? "Serial 123" : ".dot");
        more = line <= 2;
    };
    std::vector<std::string> lines;  // the server's reply lines as the client cut them
    client.OnResponse = [&](TCustomSmtpClient&, const std::string& line) { lines.push_back(line); };
    std::vector<TSmtpRequest> ended;
    std::vector<uint16_t> errors;
    client.OnRequestDone = [&](TCustomSmtpClient&, TSmtpRequest request, uint16_t error) {
        ended.push_back(request);
        errors.push_back(error);
    };

    const Step steps[] = {
        {&TCustomSmtpClient::Connect, mivox::smtpConnect, {220}},
        {&TCustomSmtpClient::Helo, mivox::smtpHelo, {250}},
        {&TCustomSmtpClient::MailFrom, mivox::smtpMailFrom, {250}},
        {&TCustomSmtpClient::RcptTo, mivox::smtpRcptTo, {250, 251}},
        {&TCustomSmtpClient::Data, mivox::smtpData, {250}},
        {&TCustomSmtpClient::Quit, mivox::smtpQuit, {221}},
    };
    for (const Step& step : steps) {
        const size_t before = ended.size();
        lines.clear();
        const bool wasConnected = client.Connected();
        try {
            (client.*step.operation)();
        } catch (const SmtpException&) {
            // Refused at the call, as when the server has gone: nothing starts.
            if (ended.size() != before) Fail("refused a request that then ended", step.request);
            break;
        }
        if (ended.size() != before) Fail("ended inside the call that started it", step.request);
        network.queue.RunUntilIdle();
        // A server that falls silent is hung up on, as the caller's timer does.
        if (ended.size() == before && !network.sockets.empty()) {
            network.sockets[0]->ServerCloses();
            network.queue.RunUntilIdle();
        }
        if (ended.size() != before + 1) Fail("did not end exactly once", step.request);
        if (ended.back() != step.request) Fail("ended as another request", step.request);
        const bool wellEnded = errors.back() == 0;
        const bool quitWithoutSession = step.request == mivox::smtpQuit && !wasConnected;
        if (wellEnded && !quitWithoutSession) {
            // Later lines may follow, so the accepted one is looked for
            // among all the lines of the request.
            bool accepted = false;
            for (const std::string& line : lines)
                for (int code : step.accepted) accepted = accepted || Carries(line, code);
            if (!accepted) Fail("ended well without an accepted reply", step.request);
        }
        if (!wellEnded && step.request != mivox::smtpQuit) {
            // As the sender does: say goodbye if the session still stands.
            if (client.Connected()) {
                try {
                    client.Quit();
                } catch (const SmtpException&) {
                    break;
                }
                network.queue.RunUntilIdle();
                if (ended.size() == before + 1 && !network.sockets.empty()) {
                    network.sockets[0]->ServerCloses();
                    network.queue.RunUntilIdle();
                }
                if (ended.size() != before + 2) Fail("did not end QUIT exactly once", step.request);
            }
            break;
        }
    }
    return 0;
}
