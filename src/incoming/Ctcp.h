// CTCP inside PRIVMSG (requests, actions, DCC offers) and NOTICE (replies).
// The dispatcher hands over every PRIVMSG or NOTICE whose c_command is set,
// unless the sender is ignored.
//
// Answers share one budget, kRepliesPerWindow per kReplyWindowMs across all
// senders: a user or channel that floods requests must not make us flood
// the server (which would drop us). Requests beyond it are shown, not
// answered.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

namespace zorl {

struct IncomingContext;
class CIrcSocket;
class CDccOffers;
struct IrcMessage;

class CCtcp {
public:
    static constexpr std::size_t kRepliesPerWindow = 4;
    static constexpr uint64_t kReplyWindowMs = 5000;

    explicit CCtcp(const IncomingContext& context);
    ~CCtcp();
    CCtcp(const CCtcp&) = delete;
    CCtcp& operator=(const CCtcp&) = delete;

    // :alice!a@host PRIVMSG me :\x01PING 12345\x01
    void HandleCtcpRequest(CIrcSocket* socket, const IrcMessage& message);
    // :alice!a@host NOTICE me :\x01PING 12345\x01
    // A PING reply's c_params becomes the elapsed time ("3 secs"), which the
    // event scripts then see; a time no 64-bit difference can reach stays
    // as it came.
    void HandleCtcpReply(CIrcSocket* socket, IrcMessage& message);

    CDccOffers& offers() { return *offers_; }

private:
    struct Request;
    static const Request kRequests[];

    // Takes one answer from the budget; false when it is spent.
    bool MayAnswer();
    bool ElapsedSince(const std::string& sentText, long long& elapsed) const;
    void Reply(CIrcSocket* socket, const IrcMessage& message, const std::string& text);
    void AnswerPing(CIrcSocket* socket, const IrcMessage& message);
    void AnswerFinger(CIrcSocket* socket, const IrcMessage& message);
    void AnswerVersion(CIrcSocket* socket, const IrcMessage& message);
    void AnswerTime(CIrcSocket* socket, const IrcMessage& message);
    void AnswerSound(CIrcSocket* socket, const IrcMessage& message);

    const IncomingContext& c_;
    std::deque<uint64_t> answered_at_;  // tick counts of the recent answers
    std::unique_ptr<CDccOffers> offers_;
};

// The FINGER idle text: "hh:mm:ss" of the last day; whole days are dropped.
std::string IdleText(long long seconds);

}  // namespace zorl
