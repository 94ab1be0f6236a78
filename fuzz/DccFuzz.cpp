// DCC with a hostile other side: an offer from the server and the bytes of
// the peer's connection, or the peer's bytes on the client's own chat and
// file offers. The first input byte picks the case; an offer text, a NUL and
// the peer's bytes follow.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzClient.h"
#include "windows/WindowRegistry.h"

using namespace zorl;

namespace {

using Socket = std::shared_ptr<test::ScriptedSocketState>;

// The peer's bytes in chunks of varying size, then the peer goes.
void Feed(const Socket& socket, std::string_view bytes) {
    const std::size_t chunk = 1 + bytes.size() % 61 * 7;
    for (std::size_t at = 0; at < bytes.size() && !socket->closed; at += chunk)
        socket->Receive(std::string(bytes.substr(at, chunk)));
    if (!socket->closed) socket->Closed();
}

// The peer connects to the newest listening socket, if there is one.
Socket AcceptOnNewest(fuzz::FuzzClient& client) {
    for (auto it = client.host.sockets.all.rbegin(); it != client.host.sockets.all.rend(); ++it) {
        if (!(*it)->listening || (*it)->closed) continue;
        Socket peer = client.host.sockets.PrepareAccept();
        (*it)->Accept();
        return peer;
    }
    return nullptr;
}

// Alice offers over the server; every dialog is answered yes and the
// client's connection to her comes up.
void OfferFromServer(fuzz::FuzzClient& client, std::string_view offer, std::string_view bytes) {
    const std::size_t before = client.host.sockets.all.size();
    client.Receive(
        ":alice!a@host PRIVMSG me :\x01"
        "DCC " +
        std::string(offer) + "\x01\r\n");
    client.host.dialogs.AnswerChat(DccAnswer::Accept);
    client.host.dialogs.AnswerFile(DccAnswer::Accept);
    client.host.dialogs.AnswerOverwrite(OverwriteAnswer::Ok);
    if (client.host.sockets.all.size() == before) return;
    Socket peer = client.host.sockets.Last();
    if (peer->connectHost.empty() || peer->closed) return;
    if (offer.starts_with("SEND")) client.file_sockets.insert(peer.get());
    peer->Connected();
    Feed(peer, bytes);
}

void OwnOffer(fuzz::FuzzClient& client, const char* line, std::string_view bytes) {
    client.app.SendString(client.app.registry.pStatusFrm, line);
    Socket peer = AcceptOnNewest(client);
    if (!peer) return;
    if (std::string_view(line).ends_with("SEND")) client.file_sockets.insert(peer.get());
    Feed(peer, bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    auto [offer, bytes] = fuzz::Cut({reinterpret_cast<const char*>(data) + 1, size - 1}, '\0');
    fuzz::FuzzClient client(fuzz::Files{{"offer.bin", std::string(3000, 'x')}});
    client.GoOnline();
    switch (data[0] % 3) {
        case 0: OfferFromServer(client, offer, bytes); break;
        case 1: OwnOffer(client, "/DCC joe CHAT", bytes); break;
        default:
            client.host.dialogs.fileAnswers.push_back(
                (fuzz::Sandbox::Get().Config() / "offer.bin").string());
            OwnOffer(client, "/DCC joe SEND", bytes);
            break;
    }
    client.host.ticker.Tick(20);
    client.CheckInvariants();
    return 0;
}
