// The DCC requests around an offer: resuming a file (DCC RESUME, answered by
// DCC ACCEPT) and passive offers, whose receiver listens and names its
// address (dcc/DccWords.h has the words of each).
#include <algorithm>

#include "common/Format.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "dcc/Dcc.h"
#include "dcc/DccWords.h"
#include "incoming/DccDestination.h"
#include "incoming/DccOffers.h"
#include "incoming/IncomingContext.h"
#include "session/IrcMessage.h"
#include "session/IrcSocket.h"
#include "session/Networks.h"
#include "session/ServerConnection.h"
#include "windows/Output.h"

namespace zorl {
namespace {

// The words of a RESUME or ACCEPT: "notes.txt 2001 500" or, passive,
// "notes.txt 0 500 7". The name is only echoed: the port (or the token)
// says which transfer is meant.
struct ResumeWords {
    std::string name;
    int port = -1;  // -1: not a port
    uint64_t position = 0;
    std::string token;
    bool valid = false;
};

ResumeWords ReadResumeWords(std::string_view words) {
    ResumeWords r;
    const Split name = TakeFileName(words);
    const Split port = SplitWord(name.tail);
    const Split position = SplitWord(port.tail);
    r.name = name.head;
    r.token = Trim(position.tail);
    uint64_t number = 0;
    if (!ReadNumber(port.head, 5, number) || number > 65535 || !ReadSize(position.head, r.position))
        return r;
    r.port = static_cast<int>(number);
    r.valid = r.port != 0 || !r.token.empty();
    return r;
}

std::string ResumeTail(int port, uint64_t position, const std::string& token) {
    std::string tail = Format(" %d %llu", port, static_cast<unsigned long long>(position));
    if (port == 0) tail += " " + token;
    return tail;
}

}  // namespace

bool CDccOffers::SendRequest(const DccOffer& offer, const std::string& words) {
    CServerConnection* network = c_.networks.Of(offer.server);
    if (!network) {
        c_.output.PrintF(nullptr, "", Cls::UError, "DCC: the network of %s's offer is gone",
                         offer.nick.c_str());
        return false;
    }
    network->SendLine(network->Socket(), DccRequestLine(offer.nick, words), true);
    return true;
}

void CDccOffers::AskResume(const DccOffer& offer, const std::string& fileName, uint64_t position) {
    if (!SendRequest(offer, "DCC RESUME " + DccFileWord(offer.fileName) +
                                ResumeTail(offer.port, position, offer.token)))
        return;
    resumes_.push_back({offer, fileName, position});
    if (resumes_.size() > kMaxPending) resumes_.pop_front();
    c_.output.PrintF(nullptr, "", Cls::Info, "DCC: asked %s to resume %s at %llu bytes",
                     offer.nick.c_str(), fileName.c_str(),
                     static_cast<unsigned long long>(position));
}

// The peer asks to resume a file we offer it: from `position` on, once we
// say so.
void CDccOffers::TakeResume(const IrcMessage& message, std::string_view words) {
    const ResumeWords r = ReadResumeWords(words);
    CIrcSocket* ours = r.valid ? c_.dcc.OurOffer(message.nick, r.port, r.token) : nullptr;
    if (!ours || ours->type != kSocketDccSendOut) {
        c_.output.PrintF(nullptr, "", Cls::UError,
                         "DCC RESUME from %s ignored: no file of ours is offered to it there",
                         message.nick.c_str());
        return;
    }
    if (r.position >= ours->file_size) {
        c_.output.PrintF(nullptr, "", Cls::UError,
                         "DCC RESUME from %s refused: %llu bytes is not inside the file",
                         message.nick.c_str(), static_cast<unsigned long long>(r.position));
        return;
    }
    ours->file_start = r.position;
    CServerConnection& server = c_.Connection();
    server.SendLine(server.Socket(),
                    DccRequestLine(message.nick, "DCC ACCEPT " + DccFileWord(r.name) +
                                                     ResumeTail(r.port, r.position, r.token)),
                    true);
    c_.output.PrintF(ours, DccWindowName(c_.registry, *ours), Cls::Info, "%s resumes at %llu bytes",
                     message.nick.c_str(), static_cast<unsigned long long>(r.position));
}

// The sender agrees to our resume: the transfer starts there.
void CDccOffers::TakeAccept(const IrcMessage& message, std::string_view words) {
    const ResumeWords r = ReadResumeWords(words);
    const auto resume = std::find_if(resumes_.begin(), resumes_.end(), [&](const Resume& x) {
        return r.valid && EqualsNoCase(x.offer.nick, message.nick) && x.offer.port == r.port &&
               (r.port != 0 || x.offer.token == r.token);
    });
    if (resume == resumes_.end()) {
        c_.output.PrintF(nullptr, "", Cls::UError,
                         "DCC ACCEPT from %s ignored: no resume was asked of it there",
                         message.nick.c_str());
        return;
    }
    const Resume taken = *resume;
    resumes_.erase(resume);
    if (r.position != taken.position) {
        c_.output.PrintF(nullptr, "", Cls::UError,
                         "DCC ACCEPT from %s refused: it resumes at %llu bytes, not at %llu",
                         message.nick.c_str(), static_cast<unsigned long long>(r.position),
                         static_cast<unsigned long long>(taken.position));
        return;
    }
    StartReceiving(taken.offer, taken.fileName, taken.position);
}

// A peer answers our passive offer with where to connect.
bool CDccOffers::AnswersOurPassiveOffer(const DccOffer& offer) {
    if (offer.Passive() || offer.token.empty()) return false;
    CIrcSocket* ours = c_.dcc.OurOffer(offer.nick, 0, offer.token);
    if (!ours || (ours->type == kSocketDccChat) != offer.chat) return false;
    const std::string window = DccWindowName(c_.registry, *ours);
    if (const std::string warning =
            DccDestinationWarning(offer.ipv4, offer.port, offer.nick, "it may be sent");
        !warning.empty())
        c_.output.Print(ours, window, Cls::UError, warning);
    c_.dcc.ConnectPassive(*ours, offer.address, offer.port);
    return true;
}

CIrcSocket* CDccOffers::ListenFor(const DccOffer& offer, SocketType type) {
    CIrcSocket* socket = c_.dcc.ListenOnNextPort(type);
    if (!socket) return nullptr;
    const int port = socket->dcc_port;
    const uint32_t address = LocalAddressNumber(offer.server);
    const std::string words = type == kSocketDccChat
                                  ? Format("DCC CHAT chat %u %d ", address, port) + offer.token
                                  : "DCC SEND " + DccFileWord(offer.fileName) +
                                        Format(" %u %d ", address, port) + offer.sizeWord + " " +
                                        offer.token;
    if (!SendRequest(offer, words)) {
        socket->Close();
        return nullptr;
    }
    return socket;
}

}  // namespace zorl
