#include "script/PopupMenus.h"

#include "common/Format.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "script/ScriptContext.h"
#include "script/VariableExpander.h"
#include "session/IrcMessage.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl {
namespace {

// `submenu` is the index of the submenu "." items go to; -1 before the first.
void AddEntry(PopupMenu& menu, int& submenu, int entry, const std::string& value) {
    const Split parts = SplitAt(value, ":");
    const std::string_view label = parts.head;
    const std::string command(Trim(parts.tail));
    menu.commands.push_back(command);
    if (label.starts_with('-')) {
        menu.items.push_back({PopupItem::Kind::Separator, {}, entry, {}});
    } else if (label.starts_with('>')) {
        menu.items.push_back({PopupItem::Kind::Submenu, std::string(label.substr(1)), entry, {}});
        submenu = static_cast<int>(menu.items.size()) - 1;
    } else if (label.starts_with('.')) {
        if (submenu >= 0)
            menu.items[static_cast<std::size_t>(submenu)].items.push_back(
                {PopupItem::Kind::Command, std::string(label.substr(1)), entry, {}});
    } else if (!command.empty()) {
        menu.items.push_back({PopupItem::Kind::Command, std::string(label), entry, {}});
    }
}

// Expansion may ask the user ("$?"), and the window may close meanwhile:
// the document is looked up only afterwards.
void Submit(const ScriptContext& ctx, FrameId frame, const IrcMessage& context,
            const std::string& command) {
    const std::string line = ctx.expander.ExpandVariables(context, command);
    if (CZorlDoc* doc = ctx.registry.DocOf(frame)) doc->ExecuteLine(line);
}

const std::string* CommandOf(const PopupMenu& menu, int entry) {
    if (entry < 0 || entry >= PopupMenu::kMaxEntries) return nullptr;
    if (entry >= static_cast<int>(menu.commands.size())) return nullptr;
    return &menu.commands[static_cast<std::size_t>(entry)];
}

void RunForNick(const ScriptContext& ctx, FrameId frame, const std::string& command,
                const std::string& nick) {
    const ChannelRecord* window = ctx.registry.FindByFrame(frame);
    if (!window || nick.empty()) return;
    IrcMessage context;
    context.flags = kHasChannel | kHasNick | kGeneralVariables;
    context.channel = window->name;
    context.nick = nick;
    Submit(ctx, frame, context, command);
}

}  // namespace

const char* PopupSection(WindowType type) {
    switch (type) {
        case kWindowStatus: return "Status";
        case kWindowChannel: return "Channel";
        case kWindowQuery:
        case kWindowDccQuery: return "Query";
        case kWindowDefault:
        case kWindowDccSend: return nullptr;
    }
    return nullptr;
}

PopupMenu BuildPopupMenu(const CIniStore& ini, const std::string& section) {
    PopupMenu menu;
    int submenu = -1;
    for (int n = 0;; ++n) {
        const std::string value = ini.ReadString(kPopupFile, section, Format("n%d", n), "");
        if (value.empty()) break;
        AddEntry(menu, submenu, n, value);
    }
    return menu;
}

void RunPopupEntry(const ScriptContext& ctx, FrameId frame, const PopupMenu& menu, int entry) {
    const std::string* command = CommandOf(menu, entry);
    const ChannelRecord* window = ctx.registry.FindByFrame(frame);
    if (!command || !window) return;
    IrcMessage context;
    switch (window->type) {
        case kWindowChannel:
            context.flags = kHasChannel | kGeneralVariables;
            context.channel = window->name;
            break;
        case kWindowQuery:
        case kWindowDccQuery:
            context.flags = kHasNick | kGeneralVariables;
            context.nick = window->name;
            break;
        case kWindowStatus:
        case kWindowDefault:
        case kWindowDccSend: break;
    }
    Submit(ctx, frame, context, *command);
}

void RunNickPopupEntry(const ScriptContext& ctx, FrameId frame, const PopupMenu& menu, int entry,
                       const std::string& nick) {
    if (const std::string* command = CommandOf(menu, entry)) RunForNick(ctx, frame, *command, nick);
}

void RunNickCommand(const ScriptContext& ctx, FrameId frame, const std::string& nick) {
    RunForNick(ctx, frame, ctx.settings.NickCommand, nick);
}

}  // namespace zorl
