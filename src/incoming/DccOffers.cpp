#include "incoming/DccOffers.h"

#include <filesystem>

#include "common/FileNames.h"
#include "common/Format.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "dcc/Dcc.h"
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

// A decimal number of at most `digits` digits; false for anything else.
bool ReadNumber(std::string_view word, std::size_t digits, uint64_t& value) {
    if (!IsAllDigits(word) || word.size() > digits) return false;
    value = 0;
    for (char c : word) value = value * 10 + static_cast<uint64_t>(c - '0');
    return true;
}

// A size: any decimal number that fits in 64 bits.
bool ReadSize(std::string_view word, uint64_t& value) {
    if (!IsAllDigits(word)) return false;
    value = 0;
    for (char c : word) {
        const auto digit = static_cast<uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return true;
}

// The file name of a SEND offer and the words after it. Names with blanks
// come in double quotes from most clients: "DCC SEND "my notes.txt" ...".
Split TakeFileName(std::string_view words) {
    if (words.starts_with('"')) {
        const std::size_t close = words.find('"', 1);
        if (close != std::string_view::npos)
            return {words.substr(1, close - 1), TrimLeft(words.substr(close + 1)), true};
    }
    return SplitWord(words);
}

// Who offers and where it leads, as both questions show it.
DccOfferDetails DetailsOf(const DccOffer& offer) {
    DccOfferDetails details;
    details.from = Format("%s (%s)", offer.nick.c_str(), offer.sender.c_str());
    details.address = offer.address;
    details.port = offer.port;
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
    return [alive, called, handler](Args... args) {
        if (alive.expired() || *called) return;
        *called = true;
        handler(args...);
    };
}

void CDccOffers::Receive(const IrcMessage& message) {
    DccOffer offer;
    if (!Parse(message, offer)) return;
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
bool CDccOffers::Parse(const IrcMessage& message, DccOffer& offer) {
    const Split type = SplitWord(message.c_params);
    offer.chat = EqualsNoCase(type.head, "CHAT");
    // Other kinds (RESUME, ACCEPT, ...) are not ours: nothing is shown.
    if (!offer.chat && !EqualsNoCase(type.head, "SEND")) return false;
    offer.nick = message.nick;
    offer.sender = message.sender;
    const Split argument = offer.chat ? SplitWord(type.tail) : TakeFileName(type.tail);
    const Split address = SplitWord(argument.tail);
    const Split port = SplitWord(address.tail);
    const Split size = SplitWord(port.tail);

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
    if (!ReadNumber(port.head, 5, number) || number < 1 || number > kMaxPort)
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
        c_.platform.dialogs.AskOverwrite(
            Later<OverwriteAnswer>([this, fileName](OverwriteAnswer overwrite) {
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
        case OverwriteAnswer::Cancel: break;
    }
    Done();
}

void CDccOffers::StartChat(const DccOffer& offer) {
    CIrcSocket* socket = c_.dcc.DccConnect(offer.address, offer.port, kSocketDccChat);
    if (!socket) return;
    c_.registry.NewWindow(offer.nick, kWindowDccQuery, socket, true);
    c_.output.PrintF(socket, offer.nick, Cls::CTCP, "DCC chat started with %s", offer.nick.c_str());
}

void CDccOffers::StartReceiving(const DccOffer& offer, const std::string& fileName) {
    CIrcSocket* socket = c_.dcc.DccConnect(offer.address, offer.port, kSocketDccSendIn);
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
    socket->file_path = fileName;
    socket->file_size = offer.size;
}

}  // namespace zorl
