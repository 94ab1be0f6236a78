// The window surface: everything the engine asks of the user interface.
//
// The engine names a window by its FrameId (0 is "no frame"). Frames are
// created and destroyed only at the engine's request; the surface reports
// user actions back through the application object (close requests,
// activation, typed lines), never by changing engine state itself.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "common/SharedTypes.h"

namespace zorl {

class CZorlDoc;

class IWindowSurface {
public:
    virtual ~IWindowSurface() = default;

    // Frames, one class per window type.
    virtual FrameId CreateFrame(WindowType type, CZorlDoc& doc, bool show, bool maximize) = 0;
    virtual bool DestroyFrame(FrameId frame) = 0;
    virtual void SetCaption(FrameId frame, const std::string& caption) = 0;
    virtual void Activate(FrameId frame) = 0;
    virtual bool IsMaximized(FrameId frame) const = 0;

    // Output pane and views of one frame.
    virtual void AppendPiece(FrameId frame, const std::string& text, Colour colour, bool debug) = 0;
    // The piece just appended belongs to a line that mentions the user.
    virtual void MarkMention(FrameId frame) = 0;
    virtual void UpdateViews(FrameId frame, int hints) = 0;

    // The window-button bar (buttons 0 … 49); buttons stand together by
    // `network` (a network's id: the first is 0).
    virtual void SetButton(int index, const std::string& caption, int network) = 0;
    virtual void RemoveButton(int index) = 0;
    virtual void SetButtonHighlight(int index, Colour colour) = 0;

    // The tree of windows by network: the frame is `name` under the network
    // `network` called `networkName` (a later call renames it).
    virtual void PlaceWindow(FrameId frame, int network, const std::string& networkName,
                             const std::string& name) = 0;
    // Unseen output (the highlight colour), a mention (its colour), or none (0).
    virtual void SetWindowMark(FrameId frame, Colour colour) = 0;
    virtual void SetWindowTree(bool shown) = 0;
    // The icon in the desktop's tray.
    virtual void SetTrayIcon(bool shown) = 0;
    // The channel browser of the network whose status window is `status`:
    // a LIST answer starts it anew, its rows come as they arrive (the topic
    // without formatting codes), the end says the list is whole.
    virtual void ChannelListStart(FrameId /*status*/, const std::string& /*network*/) {}
    virtual void ChannelListRow(FrameId /*status*/, const std::string& /*channel*/, int /*users*/,
                                const std::string& /*topic*/) {}
    virtual void ChannelListEnd(FrameId /*status*/) {}
    // The ban (b), exception (e) and invite exception (I) lists of a channel
    // window, as the lists dialog asked for them: each entry (setter and
    // time when the server tells them; time 0: unknown), then the end.
    virtual void ChannelModeListEntry(FrameId /*channel*/, char /*mode*/,
                                      const std::string& /*mask*/, const std::string& /*setter*/,
                                      long long /*when*/) {}
    virtual void ChannelModeListEnd(FrameId /*channel*/, char /*mode*/) {}
    // Whether the desktop's colour scheme is dark.
    virtual bool PrefersDarkColours() const { return false; }
    // The colour scheme changed: text already in the panes in a colour of
    // `changes` (from, to) takes the new one, and lines tinted for the old
    // background are tinted for the new.
    virtual void RecolourPanes(const std::vector<std::pair<Colour, Colour>>& /*changes*/,
                               Colour /*oldBackground*/, Colour /*newBackground*/) {}

    // The main window.
    virtual void SetMainTitle(const std::string& title) = 0;
    virtual bool IsMainMinimized() const = 0;
    // Draws the user's eye to the main window; nothing while it is active.
    virtual void FlashTaskbar() = 0;
    // Whether the user sees the frame now: the main window is active and
    // the frame is the one in front.
    virtual bool IsInView(FrameId frame) const = 0;
    // A desktop notification; choosing it brings the frame to the front.
    virtual void Notify(FrameId frame, const std::string& title, const std::string& body) = 0;
    // Closes the main window, and with it the program, outside the engine
    // call that asks for it; the window asks the engine first as always.
    virtual void CloseMainWindow() = 0;
    // Connect/Disconnect commands shown and enabled as a pair.
    virtual void SetConnectCommands(bool connectEnabled) = 0;
    // Debug On / Debug Off toolbar buttons.
    virtual void SetDebugCommands(bool debugOn) = 0;
    // The windows as tabs (true) or as frames that overlap in the main window.
    virtual void SetTabbedView(bool tabs) = 0;
};

}  // namespace zorl
