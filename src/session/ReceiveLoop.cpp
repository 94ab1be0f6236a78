// The read loop shared by every socket type: read a bounded share of what
// the socket holds, then hand the text to the server line splitter, the
// ident responder or DCC.
#include <vector>

#include "app/CZorlApp.h"
#include "platform/Platform.h"
#include "session/IdentResponder.h"
#include "session/IrcSocket.h"
#include "session/LineParser.h"
#include "session/LineSplitter.h"
#include "session/RawTrace.h"
#include "session/ReceiveBudget.h"
#include "session/ServerConnection.h"
#include "windows/Output.h"

namespace zorl {

void CServerConnection::OnReceive(WsaError error, CIrcSocket& socket) {
    if (error != kWsaOk) {
        app_.output.PrintF(nullptr, "", Cls::UError, "** Receive error [%08X]: %s",
                           static_cast<unsigned>(socket.Id()), WsaErrorText(error).c_str());
        return;
    }
    std::vector<char> buffer(kReadSize);
    // Fair to the rest of the event loop: what is left is read on the next
    // notification, in order.
    CReceiveBudget budget(app_.platform.clock, kReceiveBudget, kReceiveBudgetMs);
    while (!budget.Spent()) {
        WsaError readError = kWsaOk;
        long n = socket.Receive(buffer.data(), buffer.size(), readError);
        TraceReceiveLength(app_, socket, n);
        if (n <= 0) return;
        budget.Take(static_cast<std::size_t>(n));
        // Zero bytes are dropped one by one; the text after them is kept.
        std::string text(buffer.data(), static_cast<std::size_t>(n));
        if (text.find('\0') != std::string::npos) std::erase(text, '\0');
        TraceReceiveText(app_, text);
        switch (socket.type) {
            case kSocketNormal:
                if (!TakeServerText(socket, text)) return;
                break;
            case kSocketIdent:
                // The responder answers this one chunk and releases the socket.
                app_.ident.OnReceive(socket, text);
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
        return app_.pMainSocket.get() == &socket && socket.Generation() == generation;
    };
    for (;;) {
        CLineSplitter splitter(std::move(socket.pending), socket.dropping_line, kPendingLimit);
        socket.pending.clear();
        std::string_view piece;
        for (;;) {
            CLineSplitter::Piece kind = splitter.Next(piece);
            if (kind == CLineSplitter::kDone) break;
            if (kind == CLineSplitter::kTooLong) {
                app_.output.PrintF(nullptr, "", Cls::Error,
                                   "ERROR: OnReceive: line longer than %zu bytes dropped",
                                   kPendingLimit);
            } else {
                // The debug line is only built while debug output is on.
                if (app_.m_debug_window)
                    app_.output.DebugOut(Cls::Normal, "<< " + std::string(piece) + "\r\n", true);
                app_.parser.ParseLine(&socket, piece);
            }
            if (!stillReading()) return false;
        }
        std::string queued = std::move(socket.pending);  // what nested reads added
        socket.pending = splitter.TakeRest() + queued;
        socket.dropping_line = splitter.Discarding();
        if (queued.empty()) return true;
    }
}

}  // namespace zorl
