// Every line the user sees goes through here: fixed formats for
// conversation events, the choice of window, time stamps, multi-line
// splitting, logging and the button highlight.
#pragma once

#include <string>

#include "common/SharedTypes.h"
#include "windows/WindowBurst.h"

namespace zorl {

class CZorlApp;
class CIrcSocket;

class COutput {
public:
    static constexpr std::size_t kPrintFLimit = 1023;

    explicit COutput(CZorlApp& app) : app_(app) {}

    Colour ColourOf(Cls cls) const;

    void Print(CIrcSocket* socket, const std::string& name, Colour colour, const std::string& text);
    void Print(CIrcSocket* socket, const std::string& name, Cls cls, const std::string& text) {
        Print(socket, name, ColourOf(cls), text);
    }
    // Formats at most 1023 characters; the format is always a literal.
    void PrintF(CIrcSocket* socket, const std::string& name, Cls cls, const char* format, ...)
        __attribute__((format(printf, 5, 6)));
    void DoOutput(CIrcSocket* socket, const std::string& name, Colour colour, bool debug,
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
    void ShowInNickWindows(CIrcSocket* socket, const std::string& from, Cls cls,
                           const std::string& line);
    // Opens the query window of someone who wrote first, unless a burst of
    // such windows is on (then false: the line goes to the status window).
    bool OpenQueryFor(CIrcSocket* socket, const std::string& from);

    CZorlApp& app_;
    // Set while ShowIncoming shows a line that mentions the user: DoOutput
    // marks its pieces and the window's button.
    bool mention_ = false;
    CWindowBurst burst_;
};

}  // namespace zorl
