// The read loop shared by every socket type: read a bounded share of what
// the socket holds, then hand the text to the server line splitter, the
// ident responder or DCC.
#include <vector>

#include "common/Format.h"
#include "common/ScopedFlag.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "session/ConnectionParts.h"
#include "session/IdentResponder.h"
#include "session/IrcSocket.h"
#include "session/LineParser.h"
#include "session/LineSplitter.h"
#include "session/NotifyTimer.h"
#include "session/RawTrace.h"
#include "session/ReceiveBudget.h"
#include "session/ServerConnection.h"
#include "session/SessionListener.h"

namespace zorl {

void CServerConnection::OnReceive(WsaError error, CIrcSocket& socket) {
    if (error != kWsaOk) {
        s_.listener.PrintF(nullptr, "", Cls::UError, "** Receive error [%08X]: %s",
                           static_cast<unsigned>(socket.Id()), WsaErrorText(error).c_str());
        return;
    }
    std::vector<char> buffer(kReadSize);
    // Fair to the rest of the event loop: what is left is read on the next
    // notification, in order.
    CReceiveBudget budget(s_.platform.clock, kReceiveBudget, kReceiveBudgetMs);
    while (!budget.Spent()) {
        WsaError readError = kWsaOk;
        long n = socket.Receive(buffer.data(), buffer.size(), readError);
        if (s_.settings.RawDebug)
            s_.listener.DebugOut(kRawLengthColour, ReceiveLengthTrace(socket, n), true);
        if (n <= 0) return;
        budget.Take(static_cast<std::size_t>(n));
        // Zero bytes are dropped one by one; the text after them is kept.
        std::string text(buffer.data(), static_cast<std::size_t>(n));
        if (text.find('\0') != std::string::npos) std::erase(text, '\0');
        if (s_.settings.RawDebug) s_.listener.DebugOut(kRawTextColour, text, true);
        switch (socket.type) {
            case kSocketNormal:
                if (!TakeServerText(socket, text)) return;
                break;
            case kSocketIdent:
                // The responder answers this one chunk and releases the socket.
                ident_->OnReceive(socket, text);
                return;
            case kSocketNone:
            case kSocketDccChat:
            case kSocketDccSendIn:
            case kSocketDccSendOut: break;
        }
    }
}

// A line's handler may open a dialog ($? in an event script, MBOX), whose
// nested event loop reports more data on this socket. That text must wait
// behind the lines still to be handled, so the nested call only queues it in
// `pending`, and the call below on the stack takes it after them:
//   outer  "A\r\nB\r\n"  handling A -> dialog -> nested read "C\r\nD"
//   lines  A, B, C in this order; "D" waits for its CR LF.
bool CServerConnection::TakeServerText(CIrcSocket& socket, const std::string& text) {
    const uint64_t generation = socket.Generation();
    socket.pending += text;
    if (reading_ && reading_generation_ == generation) return true;

    struct Reading {
        CServerConnection& c;
        bool was;
        uint64_t wasGeneration;
        ~Reading() {
            c.reading_ = was;
            c.reading_generation_ = wasGeneration;
        }
    } guard{*this, reading_, reading_generation_};
    reading_ = true;
    reading_generation_ = generation;

    // Still the connection this read started on? A parsed line may run a
    // script that disconnects or connects anew.
    auto stillReading = [&] {
        return socket_.get() == &socket && socket.Generation() == generation;
    };
    for (;;) {
        CLineSplitter splitter(std::move(socket.pending), socket.dropping_line, kPendingLimit);
        socket.pending.clear();
        std::string_view piece;
        for (;;) {
            CLineSplitter::Piece kind = splitter.Next(piece);
            if (kind == CLineSplitter::kDone) break;
            if (kind == CLineSplitter::kTooLong) {
                s_.listener.PrintF(nullptr, "", Cls::Error,
                                   "ERROR: OnReceive: line longer than %zu bytes dropped",
                                   kPendingLimit);
            } else {
                // The debug line is only built while debug output is on.
                if (s_.listener.WantsDebug())
                    s_.listener.DebugOut(Cls::Normal, "<< " + std::string(piece) + "\r\n", true);
                ParseLine(&socket, piece);
            }
            if (!stillReading()) return false;
        }
        std::string queued = std::move(socket.pending);  // what nested reads added
        socket.pending = splitter.TakeRest() + queued;
        socket.dropping_line = splitter.Discarding();
        if (queued.empty()) return true;
    }
}

void CServerConnection::ParseLine(CIrcSocket* socket, std::string_view line) {
    if (line.empty()) return;
    // A line parsed while another is still being handled (a dialog of a
    // script runs the event loop) gets a record of its own.
    IrcMessage nested;
    const ScopedFlag inUse(parts_->parsing);
    IrcMessage& message = inUse.WasRaised() ? nested : parts_->record;
    bool ignored = false;
    if (!ParseMessageInto(message, line, Nick(), s_.ignoreList, ignored)) {
        s_.listener.PrintF(nullptr, "", Cls::UError,
                           "** A line from the server was dropped: its tags are longer than %zu "
                           "bytes",
                           kMaxTagSection);
        return;
    }
    if (s_.settings.ExtDebug) DumpMessage(message);
    s_.listener.OnMessage(socket, message, ignored);
}

// One line of labelled fields: "Nick:" joe "Sender:" ~j@host ...
void CServerConnection::DumpMessage(const IrcMessage& m) {
    const Colour label = 0x000080;  // dark red
    const Colour value = 0x808080;  // grey
    ISessionListener& out = s_.listener;
    out.DebugOut(label, "Nick:", true);
    out.DebugOut(value, m.nick + " ", false);
    out.DebugOut(label, "Sender:", false);
    out.DebugOut(value, m.sender + " ", false);
    out.DebugOut(label, "Command:", false);
    out.DebugOut(value, m.command + " ", false);
    for (std::size_t i = 0; i < m.params.size(); ++i) {
        out.DebugOut(label, FormatBounded(64, "param[%d]:", static_cast<int>(i)), false);
        out.DebugOut(value, m.params[i] + " ", false);
    }
    out.DebugOut(value, "\r\n", false);
}

// Only while connected.
void CServerConnection::StartNotifyTimer() {
    if (state_ != CONNECTED || notify_->Running()) return;
    notify_->Start(s_.random);
    TimerTrace(Format("NfTimer started: %d\n", notify_->State().time));
}

void CServerConnection::StopNotifyTimer() {
    if (!notify_->Running()) return;
    notify_->Stop();
    TimerTrace("NfTimer stopped\n");
}

void CServerConnection::OnTimerTick() {
    if (!notify_->Tick(s_.random)) return;
    TimerTrace("  NfTimer expired\n");
    if (s_.settings.Notify) s_.listener.OnNotifyDue();
    TimerTrace(Format("NfTimer started again: %d\n", notify_->State().time));
}

void CServerConnection::TimerTrace(const std::string& text) {
    if (s_.settings.TimerDebug) s_.listener.DebugOut(Cls::Info, text, true);
}

}  // namespace zorl
