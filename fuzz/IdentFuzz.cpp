// The ident query: a peer connects to the listening responder and sends
// the input in two chunks. One answer line at most goes back, and the
// socket is closed afterwards.
#include <cstddef>
#include <cstdint>

#include "FuzzClient.h"
#include "session/IdentResponder.h"

using namespace zorl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    fuzz::FuzzClient client;
    client.app.ident.StartIdent("0.0.0.0", 113);
    auto listener = client.host.sockets.Last();
    auto peer = client.host.sockets.PrepareAccept("10.0.0.7");
    listener->Accept();
    std::size_t half = size / 2;
    peer->Receive(std::string(input.substr(0, half)));
    peer->Receive(std::string(input.substr(half)));
    peer->Closed();

    fuzz::CheckSentLines(client.host);
    const std::string& answer = peer->sent;
    fuzz::Require(answer.find("\r\n") == answer.size() - 2 || answer.empty(),
                  "more than one ident answer");
    fuzz::Require(answer.size() <= CIdentResponder::kQueryLimit + 64, "an unbounded answer");
    fuzz::Require(peer->closed, "the ident peer stays open");
    fuzz::Require(!client.app.ident.Socket(), "the responder still holds a socket");
    client.CheckInvariants();
    return 0;
}
