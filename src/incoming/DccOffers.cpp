#include "incoming/DccOffers.h"

#include <algorithm>
#include <filesystem>

#include "common/FileNames.h"
#include "common/Format.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "dcc/Dcc.h"
#include "dcc/DccWords.h"
#include "incoming/DccDestination.h"
#include "incoming/IncomingContext.h"
#include "platform/Platform.h"
#include "session/IrcMessage.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"
#include "windows/DesktopAlerts.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

constexpr int kMaxPort = 65535;

// Who offers and where it leads, as both questions show it.
DccOfferDetails DetailsOf(const DccOffer& offer) {
    DccOfferDetails details;
    details.from = Format("%s (%s)", offer.nick.c_str(), offer.sender.c_str());
    details.address = offer.address;
    details.port = offer.port;
    // Accepting a passive offer connects nowhere: the sender comes to us.
    if (!offer.Passive())
        details.warning = DccDestinationWarning(offer.ipv4, offer.port, offer.nick);
    return details;
}

}  // namespace

CDccOffers::CDccOffers(const IncomingContext& context) : c_(context) {}

CDccOffers::~CDccOffers() = default;

template <class... Args, class Handler>
std::function<void(Args...)> CDccOffers::Later(Handler handler) {
    std::weak_ptr<bool> alive = alive_;
    auto called = std::make_shared<bool>(false);
    const unsigned question = ++question_;
    return [this, alive, called, question, handler](Args... args) {
        if (alive.expired() || *called || question != question_) return;
        *called = true;
        handler(args...);
    };
}

void CDccOffers::Receive(const IrcMessage& message) {
    const Split kind = SplitWord(message.c_params);
    if (EqualsNoCase(kind.head, "RESUME")) return TakeResume(message, kind.tail);
    if (EqualsNoCase(kind.head, "ACCEPT")) return TakeAccept(message, kind.tail);
    DccOffer offer;
    if (!Parse(message, offer) || AnswersOurPassiveOffer(offer)) return;
    if (queue_.size() >= kMaxPending) {
        c_.output.PrintF(nullptr, "", Cls::UError,
                         "DCC %s from %s refused: %zu offers are waiting already",
                         offer.chat ? "CHAT" : "SEND", offer.nick.c_str(), kMaxPending);
        return;
    }
    Alert(offer);
    queue_.push_back(std::move(offer));
    AskNext();
}

// In the sender's query window when there is one, else in the status window.
void CDccOffers::Alert(const DccOffer& offer) {
    const CIrcSocket* socket = c_.Connection().Socket();
    const ChannelRecord* record = c_.registry.FindCR(offer.nick, socket);
    if (!record) record = c_.registry.StatusOf(socket);
    if (!record) return;
    const std::string text = offer.chat ? offer.nick + " offers a DCC chat"
                                        : offer.nick + " offers the file " + offer.fileName;
    c_.output.Alerts().Consider(*record, AlertKind::DccOffer, text);
}

//   CHAT chat 3232235521 2000
//   SEND notes.txt 3232235521 2001 1000      (the size may be missing)
//   SEND notes.txt 3232235521 0 1000 7       (passive, token 7)
bool CDccOffers::Parse(const IrcMessage& message, DccOffer& offer) {
    const Split type = SplitWord(message.c_params);
    offer.chat = EqualsNoCase(type.head, "CHAT");
    // Other kinds are not ours: nothing is shown.
    if (!offer.chat && !EqualsNoCase(type.head, "SEND")) return false;
    offer.nick = message.nick;
    offer.sender = message.sender;
    offer.server = c_.Connection().Socket();
    const Split argument = offer.chat ? SplitWord(type.tail) : TakeFileName(type.tail);
    const Split address = SplitWord(argument.tail);
    const Split port = SplitWord(address.tail);
    const Split size = offer.chat ? Split{} : SplitWord(port.tail);
    offer.token = Trim(offer.chat ? port.tail : size.tail);

    const char* kind = offer.chat ? "CHAT" : "SEND";
    auto refuse = [&](const char* what, std::string_view word) {
        c_.output.PrintF(nullptr, "", Cls::UError, "DCC %s from %s refused: %s \"%s\"", kind,
                         offer.nick.c_str(), what, std::string(word).c_str());
        return false;
    };
    uint64_t number = 0;
    if (!ReadNumber(address.head, 10, number) || number > UINT32_MAX)
        return refuse("not an IPv4 address number:", address.head);
    offer.ipv4 = static_cast<uint32_t>(number);
    offer.address = DottedAddress(offer.ipv4);
    // Port 0 is a passive offer, which needs its token.
    if (!ReadNumber(port.head, 5, number) || number > kMaxPort ||
        (number == 0 && offer.token.empty()))
        return refuse("not a port (1-65535):", port.head);
    offer.port = static_cast<int>(number);
    if (!offer.chat) {
        if (!size.head.empty() && !ReadSize(size.head, offer.size))
            return refuse("not a file size:", size.head);
        offer.sizeWord = size.head;
        offer.fileName = PlainFileName(argument.head);
    }
    return true;
}

void CDccOffers::AskNext() {
    if (asking_ || queue_.empty()) return;
    asking_ = true;
    const DccOffer& offer = queue_.front();
    if (!offer.chat) {
        AskFile(offer.fileName);
        return;
    }
    // NOTE: the answer may come inside this call; nothing is touched after it.
    c_.platform.dialogs.AskDccChat(
        DetailsOf(offer), Later<DccAnswer>([this](DccAnswer answer) { OnChatAnswer(answer); }));
}

void CDccOffers::AskFile(const std::string& fileName) {
    const DccOffer& offer = queue_.front();
    DccOfferDetails details = DetailsOf(offer);
    details.fileName = fileName;
    details.size = offer.size == 0     ? "unknown"
                   : offer.size < 1024 ? SizeText(offer.size)
                                       : SizeText(offer.size) + " (" + offer.sizeWord + " bytes)";
    c_.platform.dialogs.AskDccSend(details, Later<DccAnswer, const std::string&>(
                                                [this](DccAnswer answer, const std::string& name) {
                                                    OnFileAnswer(answer, name);
                                                }));
}

// The offer at the front is settled; the next one is asked about.
void CDccOffers::Done() {
    queue_.pop_front();
    asking_ = false;
    AskNext();
}

void CDccOffers::OnChatAnswer(DccAnswer answer) {
    if (!asking_ || queue_.empty()) return;
    if (answer == DccAnswer::Accept) StartChat(queue_.front());
    Done();
}

bool CDccOffers::AcceptFileFrom(const std::string& nick, const std::string& fileName) {
    const auto offer = std::find_if(queue_.begin(), queue_.end(), [&](const DccOffer& o) {
        return !o.chat && EqualsNoCase(o.nick, nick);
    });
    if (offer == queue_.end()) return false;
    // It goes to the front, and the question shown about another is put
    // again after it.
    if (offer != queue_.begin()) std::rotate(queue_.begin(), offer, offer + 1);
    asking_ = true;
    ++question_;
    c_.platform.dialogs.WithdrawDccQuestions();
    OnFileAnswer(DccAnswer::Accept, fileName.empty() ? queue_.front().fileName : fileName);
    return true;
}

// The size of download/`fileName` when the offer can resume it: the file is
// there and shorter than the offer; else 0.
uint64_t CDccOffers::ResumableSize(const std::string& fileName) const {
    const DccOffer& offer = queue_.front();
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(c_.configDir + "download/" + fileName, error);
    return !error && size < offer.size ? size : 0;
}

void CDccOffers::OnFileAnswer(DccAnswer answer, const std::string& edited) {
    if (!asking_ || queue_.empty()) return;
    if (answer == DccAnswer::Refuse) {
        Done();
        return;
    }
    // The edited name is reduced like the offered one.
    const std::string fileName = PlainFileName(edited);
    std::error_code error;
    if (std::filesystem::exists(c_.configDir + "download/" + fileName, error)) {
        const uint64_t here = ResumableSize(fileName);
        const std::string resume = here == 0
                                       ? std::string()
                                       : "Resume: " + SizeText(here) + " of " +
                                             SizeText(queue_.front().size) + " are here already";
        c_.platform.dialogs.AskOverwrite(
            resume, Later<OverwriteAnswer>([this, fileName](OverwriteAnswer overwrite) {
                OnOverwriteAnswer(overwrite, fileName);
            }));
        return;
    }
    StartReceiving(queue_.front(), fileName);
    Done();
}

void CDccOffers::OnOverwriteAnswer(OverwriteAnswer answer, const std::string& fileName) {
    if (!asking_ || queue_.empty()) return;
    switch (answer) {
        case OverwriteAnswer::Rename: AskFile(fileName); return;
        case OverwriteAnswer::Ok: StartReceiving(queue_.front(), fileName); break;
        case OverwriteAnswer::Resume:
            if (const uint64_t here = ResumableSize(fileName); here != 0)
                AskResume(queue_.front(), fileName, here);
            else
                StartReceiving(queue_.front(), fileName);
            break;
        case OverwriteAnswer::Cancel: break;
    }
    Done();
}

void CDccOffers::StartChat(const DccOffer& offer) {
    CIrcSocket* socket = offer.Passive()
                             ? ListenFor(offer, kSocketDccChat)
                             : c_.dcc.DccConnect(offer.address, offer.port, kSocketDccChat);
    if (!socket) return;
    c_.registry.NewWindow(offer.nick, kWindowDccQuery, socket, true);
    c_.output.PrintF(socket, offer.nick, Cls::CTCP, "DCC chat started with %s", offer.nick.c_str());
}

void CDccOffers::StartReceiving(const DccOffer& offer, const std::string& fileName,
                                uint64_t start) {
    CIrcSocket* socket = offer.Passive()
                             ? ListenFor(offer, kSocketDccSendIn)
                             : c_.dcc.DccConnect(offer.address, offer.port, kSocketDccSendIn);
    if (!socket) return;
    c_.registry.NewWindow(offer.nick, kWindowDccSend, socket, true);
    // « and the nick: the window of a file coming in.
    if (FrameId frame = c_.registry.GetFrmByNameSocket(offer.nick, socket))
        c_.registry.UpdateCR(frame, "\xAB " + offer.nick, kUpdateTitle);
    if (offer.size != 0)
        c_.output.PrintF(socket, offer.nick, Cls::Info, "DCC file transfer started: %s (size=%llu)",
                         fileName.c_str(), static_cast<unsigned long long>(offer.size));
    else
        c_.output.PrintF(socket, offer.nick, Cls::Info, "DCC file transfer started: %s",
                         fileName.c_str());
    if (start != 0)
        c_.output.PrintF(socket, offer.nick, Cls::Info, "resuming at %llu bytes",
                         static_cast<unsigned long long>(start));
    socket->file_path = fileName;
    socket->file_size = offer.size;
    socket->file_start = start;
}

}  // namespace zorl
