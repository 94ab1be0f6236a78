// DCC offers other users make: checked, then put to the user one at a time
// while everything else goes on, then acted on. The other requests of DCC
// (dcc/DccWords.h) come here too: a peer resuming a file we offer, the
// sender's answer to our own resume, and the address a peer answers our
// passive offer with.
//
//   :alice!a@host PRIVMSG me :\1DCC CHAT chat 3232235521 2000\1
//   :alice!a@host PRIVMSG me :\1DCC SEND notes.txt 3232235521 2001 1000\1
//
// A file offer whose name is in download/ already, there shorter than the
// offer, can be resumed from its end: the sender is asked with DCC RESUME,
// and the transfer starts once it answers DCC ACCEPT.
//
// Numbers are checked, never wrapped: an address beyond 32 bits, a port
// outside 1-65535 or a size that is not a number refuse the offer with one
// status line. Sizes are 64-bit. At most kMaxPending offers wait for the
// user; more are refused with one status line each. The questions show the
// address and port, with a warning for one that may lead to a service of
// this computer or its network (incoming/DccDestination.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "common/SharedTypes.h"

#include "platform/Dialogs.h"

namespace zorl {

struct IncomingContext;
class CIrcSocket;
struct IrcMessage;

struct DccOffer {
    bool chat = true;      // else a file
    std::string nick;      // who offers
    std::string sender;    // user@host
    std::string fileName;  // reduced to a plain name (files)
    uint32_t ipv4 = 0;
    std::string address;  // dotted
    int port = 0;
    uint64_t size = 0;     // 0: unknown
    std::string sizeWord;  // as received
    // A passive offer names port 0 and a token: we listen, and answer with
    // our address and the token.
    std::string token;
    // The server connection it came over, where requests about it go.
    const CIrcSocket* server = nullptr;

    bool Passive() const { return port == 0; }
};

class CDccOffers {
public:
    static constexpr std::size_t kMaxPending = 5;

    explicit CDccOffers(const IncomingContext& context);
    ~CDccOffers();
    CDccOffers(const CDccOffers&) = delete;
    CDccOffers& operator=(const CDccOffers&) = delete;

    // The CTCP request "DCC" with its words in c_params.
    void Receive(const IrcMessage& message);

    // Offers waiting, the one the user is asked about included.
    std::size_t Pending() const { return queue_.size(); }

    // /dcc get: accepts the first waiting file offer of `nick`, saved as
    // `fileName` ("" keeps the offered name). False when there is none.
    bool AcceptFileFrom(const std::string& nick, const std::string& fileName);

private:
    // False, with the reason in the status window, for bad numbers.
    bool Parse(const IrcMessage& message, DccOffer& offer);
    void AskNext();
    void Alert(const DccOffer& offer);
    void AskFile(const std::string& fileName);
    void Done();
    void OnChatAnswer(DccAnswer answer);
    void OnFileAnswer(DccAnswer answer, const std::string& fileName);
    void OnOverwriteAnswer(OverwriteAnswer answer, const std::string& fileName);
    uint64_t ResumableSize(const std::string& fileName) const;
    void StartChat(const DccOffer& offer);
    void StartReceiving(const DccOffer& offer, const std::string& fileName, uint64_t start = 0);

    // DccRequests.cpp: resuming and passive offers.
    struct Resume {
        DccOffer offer;
        std::string fileName;  // where it goes in download/
        uint64_t position = 0;
    };
    void AskResume(const DccOffer& offer, const std::string& fileName, uint64_t position);
    void TakeResume(const IrcMessage& message, std::string_view words);
    void TakeAccept(const IrcMessage& message, std::string_view words);
    bool AnswersOurPassiveOffer(const DccOffer& offer);
    // Listens for the sender of a passive offer and tells it where.
    CIrcSocket* ListenFor(const DccOffer& offer, SocketType type);
    // A DCC request to the peer of `offer`, over the connection it came by.
    bool SendRequest(const DccOffer& offer, const std::string& words);

    // Wraps an answer so that it is dropped once this object is gone.
    template <class... Args, class Handler>
    std::function<void(Args...)> Later(Handler handler);

    const IncomingContext& c_;
    std::deque<DccOffer> queue_;  // the front one is being asked about
    bool asking_ = false;
    // Counts the questions, so that the answer to one settled otherwise
    // (by /dcc get) is dropped.
    unsigned question_ = 0;
    std::deque<Resume> resumes_;  // asked for, waiting for DCC ACCEPT
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zorl
