#include "windows/Output.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "common/Format.h"
#include "common/FormatCodes.h"
#include "common/ScopedFlag.h"
#include "common/Text.h"
#include "common/TimeText.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "session/IrcSocket.h"
#include "windows/DesktopAlerts.h"
#include "windows/LastingHistory.h"
#include "windows/Logger.h"
#include "windows/WindowBurst.h"
#include "windows/WindowRegistry.h"
#include "windows/WindowServices.h"
#include "windows/ZorlDoc.h"

namespace zorl {

COutput::COutput(const WindowServices& services, CWindowRegistry& registry, CLogger& logger)
    : s_(services),
      registry_(registry),
      logger_(logger),
      burst_(std::make_unique<CWindowBurst>()),
      lasting_(std::make_unique<CLastingHistory>(services)),
      alerts_(std::make_unique<CDesktopAlerts>(services)) {}

COutput::~COutput() = default;
namespace {

// The two texts around the sender of an incoming line: "<" bob "> " hi.
struct Around {
    const char* open;
    const char* close;
};

// How one kind of incoming message is shown. Not to the user, it goes to the
// target's window, or when there is none to the status window with the
// target named: "(" bob " -> " #none ") " hi. To the user, a message or action
// (no spreadOption) opens a query with the sender if there is none; a notice
// or CTCP goes to the sender's query if there is one, else, with its option
// on, to every window whose nick list holds the sender, else to the status
// window.
struct IncomingRow {
    MessageKind kind;
    Cls cls;
    Around inTarget;
    Around elsewhere;
    Around toMe;
    int CSettings::*spreadOption;
    // Shown in the target's window, the sender becomes its last speaker
    // (a "<bob> hi" line does so by its own shape).
    bool notesSpeaker;
};

const IncomingRow kIncomingRows[] = {
    {kKindMessage, Cls::Normal, {"<", "> "}, {"(", ") "}, {"<", "> "}, nullptr, false},
    {kKindNotice,
     Cls::Notice,
     {"#-", "- "},
     {"(", ") "},
     {"-", "- "},
     &CSettings::ChanNotice,
     false},
    {kKindAction, Cls::Action, {"* ", " "}, {"* (", ") "}, {"* ", " "}, nullptr, true},
    {kKindCtcp, Cls::CTCP, {"#[", "] "}, {"[", "] "}, {"[", "] "}, &CSettings::ChanCTCP, false},
};

// Null for a kind that is shown nowhere.
const IncomingRow* IncomingRowOf(MessageKind kind) {
    if (kind == kKindCtcpReply) kind = kKindCtcp;  // a reply looks like its request
    for (const IncomingRow& row : kIncomingRows)
        if (row.kind == kind) return &row;
    return nullptr;
}

bool IsNickChar(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           std::string_view("-[]\\`^{}_|").find(c) != std::string_view::npos;
}

}  // namespace

Colour COutput::ColourOf(Cls cls) const {
    const CSettings::ColourClasses& c = s_.settings.Color;
    switch (cls) {
        case Cls::Normal: return c.Normal;
        case Cls::Own: return c.Own;
        case Cls::Action: return c.Action;
        case Cls::Notice: return c.Notice;
        case Cls::CTCP: return c.CTCP;
        case Cls::Status: return c.Status;
        case Cls::Info: return c.Info;
        case Cls::UError: return c.UError;
        case Cls::Error: return c.Error;
        case Cls::Flow: return c.Flow;
        case Cls::Time: return c.Time;
        case Cls::Notify: return c.Notify;
    }
    return c.Normal;
}

// "a\r\nb" is two lines; "a\r\n" is one; "a\r\n\r\nb" has an empty middle line.
// The text and the window name are copies of their own: a message box inside
// DoOutput runs the event loop, which may change whatever the caller's
// references point to.
void COutput::Print(CIrcSocket* socket, const std::string& name, Colour colour, std::string text) {
    PrintText(socket, name, colour, text);
}

void COutput::PrintText(CIrcSocket* socket, const std::string& name, Colour colour,
                        std::string& text) {
    const std::string window = ToLower(name);
    // One time for the whole call.
    const std::time_t when = line_time_ ? *line_time_ : s_.platform.clock.Now();
    const std::string stamp =
        s_.settings.TimeStamp != 0 ? FormatLocalTime("[%#H:%M] ", when) : std::string();
    const std::size_t firstEnd = text.find("\r\n");
    if (firstEnd == std::string::npos || firstEnd + 2 == text.size()) {
        // One line, by far the most common: it is shown as it stands.
        if (text.empty()) return;
        if (firstEnd == std::string::npos) text += "\r\n";
        PrintLine(socket, window, colour, stamp, text, when);
        return;
    }
    std::string line;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find("\r\n", pos);
        std::size_t next = end == std::string::npos ? text.size() : end + 2;
        if (end == std::string::npos) end = text.size();
        line.assign(text, pos, end - pos).append("\r\n");
        PrintLine(socket, window, colour, stamp, line, when);
        pos = next;
    }
}

// A line of a server's playback that history holds already was shown when
// its window opened.
void COutput::PrintLine(CIrcSocket* socket, const std::string& window, Colour colour,
                        const std::string& stamp, const std::string& line, std::time_t when) {
    if (history_) {
        const ChannelRecord* record =
            window.empty() ? registry_.StatusOf(socket) : registry_.FindCR(window, socket);
        if (record && lasting_->Holds(*record, line, when)) return;
    }
    if (!stamp.empty()) DoOutput(socket, window, ColourOf(Cls::Time), false, stamp);
    const FrameId shown = DoOutput(socket, window, colour, false, line);
    if (const ChannelRecord* record = shown ? registry_.FindByFrame(shown) : nullptr) {
        lasting_->Keep(*record, colour, line, when);
        if (alert_) alerts_->Consider(*record, *alert_, line);
    }
}

void COutput::PrintF(CIrcSocket* socket, const std::string& name, Cls cls, const char* format,
                     ...) {
    std::string nested;
    const ScopedFlag inUse(printing_);
    std::string& text = inUse.WasRaised() ? nested : printf_text_;
    va_list args;
    va_start(args, format);
    FormatIntoV(text, kPrintFLimit, format, args);
    va_end(args);
    // The text ends at a zero byte a "%c" may have put in.
    text.resize(std::strlen(text.c_str()));
    PrintText(socket, name, ColourOf(cls), text);
}

FrameId COutput::DoOutput(CIrcSocket* socket, const std::string& name, Colour colour, bool debug,
                          const std::string& text) {
    CWindowRegistry& registry = registry_;
    FrameId frame = 0;
    const ChannelRecord* status = name.empty() ? registry.StatusOf(socket) : nullptr;
    if (status && status_redirect_ != 0 && registry.IsFrameRegistered(status_redirect_)) {
        frame = status_redirect_;
    } else if (status) {
        frame = status->frame;
    } else if (const ChannelRecord* record = registry.FindCR(name, socket)) {
        frame = record->frame;
    } else if (const ChannelRecord* created =
                   registry.NewWindow(name, kWindowDefault, nullptr, true)) {
        // Output to an unknown name opens a private window of that name.
        frame = created->frame;
    }
    if (!registry.IsFrameRegistered(frame)) {
        s_.platform.dialogs.MessageBox("DoOutout: Frame not found!", BoxIcon::Error);
        return 0;
    }

    FrameId shownIn = frame;
    const bool mention = mention_;
    if (CZorlDoc* doc = registry.DocOf(frame)) {
        doc->AppendString(text, colour, debug);
        if (mention) s_.platform.surface.MarkMention(frame);
    } else if (const ChannelRecord* fallback = registry.StatusOf(socket);
               CZorlDoc* statusDoc = fallback ? registry.DocOf(fallback->frame) : nullptr) {
        shownIn = fallback->frame;
        statusDoc->AppendString("?? [" + name + "]" + text, ColourOf(Cls::Normal), debug);
    } else {
        s_.platform.dialogs.MessageBox(
            "[" + HexId(socket ? socket->Id() : 0) + "][" + name + "] " + text, BoxIcon::Error);
        return 0;
    }

    logger_.WriteLog(shownIn, text);

    // WriteLog may have shown an error and so opened windows: look again.
    if (const ChannelRecord* record = history_ ? nullptr : registry.FindByFrame(shownIn)) {
        if (shownIn != registry.pLastFrm || record->BackScroll) {
            if (mention)
                registry.MentionButton(*record);
            else
                registry.HighlightButton(*record, true);
        }
    }
    if (!history_ && s_.settings.TaskbarBlink && s_.platform.surface.IsMainMinimized()) {
        s_.platform.surface.FlashTaskbar();
    }
    return shownIn;
}

void COutput::DebugOut(Colour colour, const std::string& text, bool withTime) {
    if (!debug_) return;
    std::string line = text;
    if (withTime) line = FormatLocalTime("[%#H:%M:%S]", s_.platform.clock.Now()) + " " + line;
    const std::string window = s_.settings.DebugWindow ? "~debug" : "";
    DoOutput(nullptr, window, colour, true, line);
}

void COutput::ShowOwn(CIrcSocket* socket, const std::string& current, const std::string& target,
                      MessageKind kind, const std::string& text) {
    const std::string& me = s_.host.OwnNick(socket);
    lasting_->SetOwn(true);
    struct NoLongerOwn {
        CLastingHistory& lasting;
        ~NoLongerOwn() { lasting.SetOwn(false); }
    } noLongerOwn{*lasting_};
    switch (kind) {
        case kKindMessage:
            if (registry_.CRExists(target, socket)) {
                Print(socket, target, Cls::Own, "<" + me + "> " + text);
            } else {
                Print(socket, current, Cls::Own, "-> *" + target + "* " + text);
            }
            break;
        case kKindNotice: Print(socket, current, Cls::Notice, "-> -" + target + "- " + text); break;
        case kKindAction: Print(socket, current, Cls::Action, "* " + me + " " + text); break;
        case kKindCtcp:
        case kKindCtcpReply:
            Print(socket, current, Cls::CTCP, "-> [" + target + "] " + text);
            break;
    }
}

// The line goes to every window whose nick list holds `from` exactly, or to
// the status window when none does.
void COutput::ShowInNickWindows(CIrcSocket* socket, const std::string& from, Cls cls,
                                const std::string& line) {
    std::vector<std::pair<std::string, CIrcSocket*>> targets;
    for (const ChannelRecord& record : registry_.Records()) {
        const CZorlDoc* doc = registry_.DocOf(record.frame);
        if (doc && doc->NickFlags(from) != kNickAbsent)
            targets.emplace_back(record.name, record.socket);
    }
    if (targets.empty()) {
        Print(socket, "", cls, line);
        return;
    }
    for (const auto& [name, windowSocket] : targets) Print(windowSocket, name, cls, line);
}

bool COutput::MentionsMe(const std::string& text) const {
    const std::string& me = s_.host.OwnNick(nullptr);
    if (me.empty()) return false;
    const std::string shown = ToLower(VisibleText(text));
    const std::string nick = ToLower(me);
    for (std::size_t at = shown.find(nick); at != std::string::npos;
         at = shown.find(nick, at + 1)) {
        const std::size_t end = at + nick.size();
        if ((at == 0 || !IsNickChar(shown[at - 1])) &&
            (end == shown.size() || !IsNickChar(shown[end])))
            return true;
    }
    return false;
}

void COutput::ShowIncoming(CIrcSocket* socket, const std::string& from, const std::string& target,
                           MessageKind kind, const std::string& text) {
    // CTCP requests carry no conversation; the others may call the user.
    const bool mention = !history_ && kind < kKindCtcp && MentionsMe(text);
    struct MentionScope {
        bool& flag;
        explicit MentionScope(bool& f, bool on) : flag(f) { flag = on; }
        ~MentionScope() { flag = false; }
    } scope(mention_, mention);
    const bool toMe =
        (kind == kKindMessage || kind == kKindAction) && target == s_.host.OwnNick(socket);
    struct AlertScope {
        std::optional<AlertKind>& alert;
        ~AlertScope() { alert.reset(); }
    } alertScope{alert_};
    if (mention)
        alert_ = AlertKind::Mention;
    else if (toMe && !history_)
        alert_ = AlertKind::Private;
    ShowIncomingLine(socket, from, target, kind, text);
    if (mention) s_.platform.surface.FlashTaskbar();
}

void COutput::ShowIncomingLine(CIrcSocket* socket, const std::string& from,
                               const std::string& target, MessageKind kind,
                               const std::string& text) {
    const IncomingRow* row = IncomingRowOf(kind);
    if (!row) return;
    CWindowRegistry& registry = registry_;
    if (target != s_.host.OwnNick(socket)) {
        if (registry.CRExists(target, socket)) {
            Print(socket, target, row->cls, row->inTarget.open + from + row->inTarget.close + text);
            if (row->notesSpeaker) {
                if (const ChannelRecord* record = registry.FindCR(target, socket))
                    if (CZorlDoc* doc = registry.DocOf(record->frame)) doc->NoteSpeaker(from);
            }
        } else {
            Print(socket, "", row->cls,
                  row->elsewhere.open + from + " -> " + target + row->elsewhere.close + text);
        }
        return;
    }
    const std::string line = row->toMe.open + from + row->toMe.close + text;
    const bool fromWindow = registry.CRExists(from, socket);
    if (!row->spreadOption) {
        Print(socket, fromWindow || OpenQueryFor(socket, from) ? from : "", row->cls, line);
    } else if (fromWindow) {
        Print(socket, from, row->cls, line);
    } else if (s_.settings.*row->spreadOption) {
        ShowInNickWindows(socket, from, row->cls, line);
    } else {
        Print(socket, "", row->cls, line);
    }
}

bool COutput::OpenQueryFor(CIrcSocket* socket, const std::string& from) {
    const int limit = s_.settings.WindowFlood;
    if (!burst_->Admit(s_.platform.clock.TickCount(), limit)) {
        if (burst_->JustBegan())
            PrintF(socket, "", Cls::Notice,
                   "** More than %d new windows within 10 seconds: messages from further new "
                   "nicks are shown here until it calms down",
                   limit);
        return false;
    }
    registry_.NewWindow(from, kWindowQuery, socket, false);
    return true;
}

void COutput::Trace(const std::string& text) {
    if (s_.settings.ExtConnect) Print(nullptr, "", Cls::Flow, text);
}

}  // namespace zorl
