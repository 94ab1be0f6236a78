// The right-click menus of the output panes and the nick list, defined by
// the user in popups.ini and read anew at every click:
//   [Nicks]
//   n0=Whois : /WHOIS $nick
//   n1=-
//   n2=>Modes
//   n3=.Op : /MODE $channel +o $nick
// "-" is a separator, ">" opens a submenu, "." is an item of that submenu;
// an item without a command is left out. A chosen item's command is
// expanded against the window (and the nick) and runs as if typed there.
#pragma once

#include <string>
#include <vector>

#include "common/SharedTypes.h"

namespace zorl {

class CIniStore;
struct ScriptContext;

struct PopupItem {
    enum class Kind { Command, Separator, Submenu };
    Kind kind = Kind::Command;
    std::string caption;
    int entry = -1;                // Command: the number n of its key "n<n>"
    std::vector<PopupItem> items;  // Submenu: its commands
};

struct PopupMenu {
    // Menus run only their first 299 entries; later ones show but do nothing.
    static constexpr int kMaxEntries = 299;
    std::vector<PopupItem> items;
    std::vector<std::string> commands;  // by entry number, trimmed
};

constexpr const char* kPopupFile = "popups.ini";
constexpr const char* kNicksMenu = "Nicks";

// The menu section of an output pane of this window type; null: no menu.
const char* PopupSection(WindowType type);
PopupMenu BuildPopupMenu(const CIniStore& ini, const std::string& section);

// Runs entry `entry` of an output pane's menu in window `frame`.
void RunPopupEntry(const ScriptContext& ctx, FrameId frame, const PopupMenu& menu, int entry);
// Runs entry `entry` of the nick list's menu of channel window `frame` for
// `nick` (without its "@" or "+").
void RunNickPopupEntry(const ScriptContext& ctx, FrameId frame, const PopupMenu& menu, int entry,
                       const std::string& nick);
// The double click on a nick: the NickCommand setting.
void RunNickCommand(const ScriptContext& ctx, FrameId frame, const std::string& nick);

}  // namespace zorl
