// The document of one window: its name, nick table, input history and last
// speaker. Views (the output pane, nick list and input line) live in the
// user interface and are reached through the window surface.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/CaseMapping.h"
#include "common/SharedTypes.h"

namespace zorl {

struct WindowServices;

enum NickOperation : int {
    kNickAdd = 0,
    kNickSet = 1,
    kNickClear = 2,
    kNickRemove = 3,
    kNickClearAll = 4
};

class CZorlDoc {
public:
    static constexpr std::size_t kHistorySize = 11;

    CZorlDoc(const WindowServices& services, std::string name, WindowType type);

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    WindowType Type() const { return type_; }
    FrameId Frame() const { return frame_; }
    void SetFrame(FrameId frame) { frame_ = frame; }

    // Output: passes the piece to the views and records the last speaker.
    bool AppendString(const std::string& text, Colour colour, bool debug);
    void UpdateAllViews(int hints);
    const std::string& LastSpeaker() const { return last_speaker_; }
    // Who spoke here, the most recent first.
    const std::deque<std::string>& RecentSpeakers() const { return speakers_; }
    void NoteSpeaker(const std::string& nick);

    // How the table folds the letter case of nicks; the network's, told by
    // its server.
    void SetCaseMapping(CaseMapping mapping);

    // Nick table (see NickOperation). Returns 1.
    int NickUpdate(int operation, const std::string& nick, int bits);
    int NickFlags(const std::string& nick) const;
    std::string RandomNick() const;
    // Nicks of the table that begin with `prefix` (any letter case), for
    // completing a word typed in the input line: recent speakers first, the
    // most recent first, then the others in alphabetical order. Never the
    // user's own nick.
    std::vector<std::string> NickCompletions(std::string_view prefix) const;
    // Whether `nick` is in the table, in any letter case of the network.
    bool HasNick(std::string_view nick) const {
        return lower_to_key_.contains(FoldCase(nick, mapping_));
    }
    // Sorted by key; the nick list pane reads it.
    const std::map<std::string, int>& Nicks() const { return nicks_; }

    // Input line.
    void ExecuteLine(const std::string& line);
    const std::vector<std::string>& History() const { return history_; }
    std::size_t HistoryPosition() const { return history_pos_; }
    void SetHistoryPosition(std::size_t pos) { history_pos_ = pos; }

private:
    std::map<std::string, int>::iterator FindNoCase(const std::string& nick);
    void RememberSpeaker(const std::string& text);

    const WindowServices& s_;
    std::string name_;
    WindowType type_;
    FrameId frame_ = 0;
    std::map<std::string, int> nicks_;
    std::unordered_map<std::string, std::string> lower_to_key_;  // folded nick -> key
    CaseMapping mapping_ = CaseMapping::Ascii;
    std::vector<std::string> history_;
    std::size_t history_pos_ = 0;
    std::string last_speaker_;
    std::deque<std::string> speakers_;
};

}  // namespace zorl
