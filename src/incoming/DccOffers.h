// DCC offers other users make: checked, then put to the user one at a time
// while everything else goes on, then acted on.
//
//   :alice!a@host PRIVMSG me :\1DCC CHAT chat 3232235521 2000\1
//   :alice!a@host PRIVMSG me :\1DCC SEND notes.txt 3232235521 2001 1000\1
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
    void StartChat(const DccOffer& offer);
    void StartReceiving(const DccOffer& offer, const std::string& fileName);
    // Wraps an answer so that it is dropped once this object is gone.
    template <class... Args, class Handler>
    std::function<void(Args...)> Later(Handler handler);

    const IncomingContext& c_;
    std::deque<DccOffer> queue_;  // the front one is being asked about
    bool asking_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zorl
