// A well-behaved SMTP server on the scripted network: it greets, says 250
// to every command, takes DATA up to its end and closes after QUIT, unless
// a verb has a reply of its own. The tests of the e-mail sender share it.
#pragma once

#include <map>
#include <string>

#include "fakes/FakeNetwork.h"

namespace mivox::testing {

class ScriptedSmtpServer {
public:
    explicit ScriptedSmtpServer(FakeNetwork& network) {
        network.onAccept = [](ScriptedSocket& socket) { socket.ServerSends("220 ready\r\n"); };
        network.onClientLine = [this](ScriptedSocket& socket, const std::string& line) {
            Answer(socket, line);
        };
    }

    // The server's answer to one line; a test that scripts its own lines
    // hands the others on to it.
    void Answer(ScriptedSocket& socket, const std::string& line) {
        if (inData) {
            if (line == ".") {
                inData = false;
                socket.ServerSends("250 queued\r\n");
            }
            return;
        }
        const std::string verb = line.substr(0, line.find_first_of(" :"));
        if (replies.count(verb)) {
            if (!replies[verb].empty()) socket.ServerSends(replies[verb]);
            return;
        }
        if (verb == "DATA") {
            inData = true;
            socket.ServerSends("354 go on\r\n");
        } else if (verb == "QUIT") {
            socket.ServerSends("221 bye\r\n");
            socket.ServerCloses(1);
        } else {
            socket.ServerSends("250 OK\r\n");
        }
    }

    // A reply by verb ("MAIL") instead of the usual one; an empty one is
    // never sent.
    std::map<std::string, std::string> replies;
    bool inData = false;  // between DATA's 354 and the message's end
};

}  // namespace mivox::testing
