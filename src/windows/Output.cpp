#include "windows/Output.h"

#include <cstdarg>
#include <cstdio>

#include "app/CZorlApp.h"
#include "app/Settings.h"
#include "common/Format.h"
#include "common/Text.h"
#include "common/TimeText.h"
#include "platform/Platform.h"
#include "session/IrcSocket.h"
#include "windows/Logger.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl {

Colour COutput::ColourOf(Cls cls) const {
    const CSettings::ColourClasses& c = app_.settings.Color;
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
void COutput::Print(CIrcSocket* socket, const std::string& name, Colour colour,
                    const std::string& textIn) {
    // Copies: a message box inside DoOutput runs the event loop, which may
    // change whatever the caller's references point to.
    const std::string text = textIn;
    const std::string window = ToLower(name);
    // One time for the whole call.
    const bool stamped = app_.settings.TimeStamp != 0;
    const std::string stamp =
        stamped ? FormatLocalTime("[%#H:%M] ", app_.platform.clock.Now()) : std::string();
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find("\r\n", pos);
        std::size_t next = end == std::string::npos ? text.size() : end + 2;
        if (end == std::string::npos) end = text.size();
        if (stamped) DoOutput(socket, window, ColourOf(Cls::Time), false, stamp);
        DoOutput(socket, window, colour, false, text.substr(pos, end - pos) + "\r\n");
        pos = next;
    }
}

void COutput::PrintF(CIrcSocket* socket, const std::string& name, Cls cls, const char* format,
                     ...) {
    char buffer[kPrintFLimit + 1];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) return;
    Print(socket, name, cls, std::string(buffer));
}

void COutput::DoOutput(CIrcSocket* socket, const std::string& name, Colour colour, bool debug,
                       const std::string& text) {
    CWindowRegistry& registry = app_.registry;
    FrameId frame = 0;
    if (name.empty() && registry.IsFrameRegistered(registry.pStatusFrm)) {
        frame = registry.pStatusFrm;
    } else if (const ChannelRecord* record = registry.FindCR(name, socket)) {
        frame = record->frame;
    } else if (const ChannelRecord* created =
                   registry.NewWindow(name, kWindowDefault, nullptr, true)) {
        // Output to an unknown name opens a private window of that name.
        frame = created->frame;
    }
    if (!registry.IsFrameRegistered(frame)) {
        app_.platform.dialogs.MessageBox("DoOutout: Frame not found!", BoxIcon::Error);
        return;
    }

    FrameId shownIn = frame;
    if (CZorlDoc* doc = registry.DocOf(frame)) {
        doc->AppendString(text, colour, debug);
    } else if (CZorlDoc* status = registry.DocOf(registry.pStatusFrm)) {
        shownIn = registry.pStatusFrm;
        status->AppendString("?? [" + name + "]" + text, ColourOf(Cls::Normal), debug);
    } else {
        app_.platform.dialogs.MessageBox(
            "[" + HexId(socket ? socket->Id() : 0) + "][" + name + "] " + text, BoxIcon::Error);
        return;
    }

    app_.logger.WriteLog(shownIn, text);

    // WriteLog may have shown an error and so opened windows: look again.
    if (const ChannelRecord* record = registry.FindByFrame(shownIn)) {
        if (shownIn != registry.pLastFrm || record->BackScroll) {
            registry.HighlightButton(*record, true);
        }
    }
    if (app_.settings.TaskbarBlink && app_.platform.surface.IsMainMinimized()) {
        app_.platform.surface.FlashTaskbar();
    }
}

void COutput::DebugOut(Colour colour, const std::string& text, bool withTime) {
    if (!app_.m_debug_window) return;
    std::string line = text;
    if (withTime) line = FormatLocalTime("[%#H:%M:%S]", app_.platform.clock.Now()) + " " + line;
    const std::string window = app_.settings.DebugWindow ? "~debug" : "";
    DoOutput(nullptr, window, colour, true, line);
}

void COutput::ShowOwn(CIrcSocket* socket, const std::string& current, const std::string& target,
                      int kind, const std::string& text) {
    const std::string& me = app_.settings.m_user_mynick;
    switch (kind) {
        case kKindMessage:
            if (app_.registry.CRExists(target, socket)) {
                Print(socket, target, Cls::Own, "<" + me + "> " + text);
            } else {
                Print(socket, current, Cls::Own, "-> *" + target + "* " + text);
            }
            break;
        case kKindNotice: Print(socket, current, Cls::Notice, "-> -" + target + "- " + text); break;
        case kKindAction: Print(socket, current, Cls::Action, "* " + me + " " + text); break;
        case kKindCtcp:
        case kKindCtcp + 1: Print(socket, current, Cls::CTCP, "-> [" + target + "] " + text); break;
        default: break;
    }
}

// The line goes to every window whose nick list holds `from` exactly, or to
// the status window when none does.
void COutput::ShowInNickWindows(CIrcSocket* socket, const std::string& from, Cls cls,
                                const std::string& line) {
    std::vector<std::pair<std::string, CIrcSocket*>> targets;
    for (const ChannelRecord& record : app_.registry.Records()) {
        const CZorlDoc* doc = app_.registry.DocOf(record.frame);
        if (doc && doc->NickFlags(from) != kNickAbsent)
            targets.emplace_back(record.name, record.socket);
    }
    if (targets.empty()) {
        Print(socket, "", cls, line);
        return;
    }
    for (const auto& [name, windowSocket] : targets) Print(windowSocket, name, cls, line);
}

void COutput::ShowIncoming(CIrcSocket* socket, const std::string& from, const std::string& target,
                           int kind, const std::string& text) {
    const bool toMe = target == app_.settings.m_user_mynick;
    CWindowRegistry& registry = app_.registry;
    const bool targetWindow = !toMe && registry.CRExists(target, socket);
    const bool fromWindow = toMe && registry.CRExists(from, socket);
    switch (kind) {
        case kKindMessage:
            if (toMe) {
                if (!fromWindow) registry.NewWindow(from, kWindowQuery, socket, false);
                Print(socket, from, Cls::Normal, "<" + from + "> " + text);
            } else if (targetWindow) {
                Print(socket, target, Cls::Normal, "<" + from + "> " + text);
            } else {
                Print(socket, "", Cls::Normal, "(" + from + " -> " + target + ") " + text);
            }
            break;
        case kKindNotice:
            if (!toMe) {
                if (targetWindow) {
                    Print(socket, target, Cls::Notice, "#-" + from + "- " + text);
                } else {
                    Print(socket, "", Cls::Notice, "(" + from + " -> " + target + ") " + text);
                }
            } else if (fromWindow) {
                Print(socket, from, Cls::Notice, "-" + from + "- " + text);
            } else if (app_.settings.ChanNotice) {
                ShowInNickWindows(socket, from, Cls::Notice, "-" + from + "- " + text);
            } else {
                Print(socket, "", Cls::Notice, "-" + from + "- " + text);
            }
            break;
        case kKindAction:
            if (toMe) {
                if (!fromWindow) registry.NewWindow(from, kWindowQuery, socket, false);
                Print(socket, from, Cls::Action, "* " + from + " " + text);
            } else if (targetWindow) {
                Print(socket, target, Cls::Action, "* " + from + " " + text);
            } else {
                Print(socket, "", Cls::Action, "* (" + from + " -> " + target + ") " + text);
            }
            break;
        case kKindCtcp:
        case kKindCtcp + 1:
            if (!toMe) {
                if (targetWindow) {
                    Print(socket, target, Cls::CTCP, "#[" + from + "] " + text);
                } else {
                    Print(socket, "", Cls::CTCP, "[" + from + " -> " + target + "] " + text);
                }
            } else if (fromWindow) {
                Print(socket, from, Cls::CTCP, "[" + from + "] " + text);
            } else if (app_.settings.ChanCTCP) {
                ShowInNickWindows(socket, from, Cls::CTCP, "[" + from + "] " + text);
            } else {
                Print(socket, "", Cls::CTCP, "[" + from + "] " + text);
            }
            break;
        default: break;
    }
}

void COutput::Trace(const std::string& text) {
    if (app_.settings.ExtConnect) Print(nullptr, "", Cls::Flow, text);
}

}  // namespace zorl
