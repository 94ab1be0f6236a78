// Every line the user sees goes through here: fixed formats for
// conversation events, the choice of window, time stamps, multi-line
// splitting, logging and the button highlight.
#pragma once

#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "common/SharedTypes.h"

namespace zorl {

class CWindowRegistry;
class CLogger;
struct WindowServices;
class CIrcSocket;
class CWindowBurst;
class CLastingHistory;
class CDesktopAlerts;
enum class AlertKind;

class COutput {
public:
    static constexpr std::size_t kPrintFLimit = 1023;

    COutput(const WindowServices& services, CWindowRegistry& registry, CLogger& logger);
    ~COutput();

    // The debug output switch (Debug On / Off).
    bool DebugOn() const { return debug_; }
    void SetDebug(bool on) { debug_ = on; }
    // The time printed lines are stamped with while one server line is
    // handled: its server-time tag. Unset, the clock's.
    void SetLineTime(std::optional<std::time_t> when) { line_time_ = when; }
    // While set, lines are history (a server's playback): shown, logged and
    // stamped, but no window is marked as having news and nobody is called.
    void SetHistory(bool history) { history_ = history; }
    // While set, lines for the status window go to this window instead (the
    // answer to a command typed there); 0: none.
    void SetStatusRedirect(FrameId frame) { status_redirect_ = frame; }

    Colour ColourOf(Cls cls) const;
    // What conversation windows show is kept here.
    CLastingHistory& Lasting() { return *lasting_; }
    CDesktopAlerts& Alerts() { return *alerts_; }

    // `text` is taken by value: the lines are cut from this copy.
    void Print(CIrcSocket* socket, const std::string& name, Colour colour, std::string text);
    void Print(CIrcSocket* socket, const std::string& name, Cls cls, std::string text) {
        Print(socket, name, ColourOf(cls), std::move(text));
    }
    // Formats at most 1023 characters; the format is always a literal.
    void PrintF(CIrcSocket* socket, const std::string& name, Cls cls, const char* format, ...)
        __attribute__((format(printf, 5, 6)));
    // The frame the text was shown in; 0: none.
    FrameId DoOutput(CIrcSocket* socket, const std::string& name, Colour colour, bool debug,
                     const std::string& text);
    void DebugOut(Colour colour, const std::string& text, bool withTime);
    void DebugOut(Cls cls, const std::string& text, bool withTime) {
        DebugOut(ColourOf(cls), text, withTime);
    }
    void ShowOwn(CIrcSocket* socket, const std::string& current, const std::string& target,
                 MessageKind kind, const std::string& text);
    void ShowIncoming(CIrcSocket* socket, const std::string& from, const std::string& target,
                      MessageKind kind, const std::string& text);

    // Status-window shorthands used by diagnostics.
    void Status(Cls cls, const std::string& text) { Print(nullptr, "", cls, text); }
    // "** ..." connection traces, shown only with ExtConnect.
    void Trace(const std::string& text);

    // True when the text, as shown, holds the user's nick as a word of its
    // own (any letter case): "me: hi", "hi, ME!", but not "meme".
    bool MentionsMe(const std::string& text) const;

private:
    void ShowIncomingLine(CIrcSocket* socket, const std::string& from, const std::string& target,
                          MessageKind kind, const std::string& text);
    // Print's work on a text the caller owns and keeps alive; it may append
    // the line end to it.
    void PrintText(CIrcSocket* socket, const std::string& name, Colour colour, std::string& text);
    // One line of it, CR LF at its end: stamped, shown and kept.
    void PrintLine(CIrcSocket* socket, const std::string& window, Colour colour,
                   const std::string& stamp, const std::string& line, std::time_t when);
    void ShowInNickWindows(CIrcSocket* socket, const std::string& from, Cls cls,
                           const std::string& line);
    // Opens the query window of someone who wrote first, unless a burst of
    // such windows is on (then false: the line goes to the status window).
    bool OpenQueryFor(CIrcSocket* socket, const std::string& from);

    const WindowServices& s_;
    CWindowRegistry& registry_;
    CLogger& logger_;
    bool debug_ = false;
    // The text of the PrintF under way; a PrintF inside it (DoOutput can run
    // the event loop and report errors) formats into a string of its own.
    std::string printf_text_;
    bool printing_ = false;
    // Set while ShowIncoming shows a line that mentions the user: DoOutput
    // marks its pieces and the window's button.
    bool mention_ = false;
    bool history_ = false;
    FrameId status_redirect_ = 0;
    std::optional<std::time_t> line_time_;
    std::unique_ptr<CWindowBurst> burst_;
    std::unique_ptr<CLastingHistory> lasting_;
    std::unique_ptr<CDesktopAlerts> alerts_;
    // Set while ShowIncoming shows a line the user may want a notification of.
    std::optional<AlertKind> alert_;
};

}  // namespace zorl
