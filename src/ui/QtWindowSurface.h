// The window surface on Qt widgets: frames are MDI child windows of the main
// window, buttons live in its button bar.
//
// Output is batched: AppendPiece only queues the piece on its pane; one
// flush adds everything queued, and nick-list refreshes (hint bit 16) are
// folded into the same flush. The flush runs at the end of the pass of the
// event loop, but not more often than every kFlushInterval: a flood is
// added (and painted) a few dozen times a second, not once per read from
// the socket, which is what keeps a busy channel cheap. User actions that
// arrive while the engine is inside one of our calls (window activation
// caused by destroying a frame) are reported on the next pass, never from
// inside the engine's call.
//
// Widgets are built when a window is first seen, not when it is opened:
// every child of the MDI area makes adding, raising and placing the next one
// dearer, so a flood of thousands of windows must not become thousands of
// children. A window opened in the background is built at once only while
// few windows are built (so the usual query still pops up); beyond that it
// waits, with its caption and its last MaxLines lines of output, until it
// is activated (its button, a command) or asked for by Frame(). Of several
// windows opened active within one flush interval only the last is shown:
// the others were never seen before the next one covered them.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <functional>
#include <unordered_map>
#include <vector>

#include "platform/WindowSurface.h"
#include "ui/PieceQueue.h"

class QMdiSubWindow;

namespace zorl {
class CZorlApp;
}

namespace zorl::ui {

class CMainFrame;
class CChildFrameBase;
class CDesktopNotifier;
class CChannelBrowser;
class CChannelListsDialog;

class QtWindowSurface : public IWindowSurface {
public:
    static constexpr int kFlushInterval = 15;  // milliseconds
    // Background windows built at once while fewer than this many are built.
    static constexpr int kEagerBuildLimit = 30;

    explicit QtWindowSurface(CMainFrame& main);
    ~QtWindowSurface() override;
    QtWindowSurface(const QtWindowSurface&) = delete;
    QtWindowSurface& operator=(const QtWindowSurface&) = delete;

    // Before the engine creates its first window.
    void Attach(CZorlApp& app);
    CZorlApp* App() const { return app_; }
    CMainFrame& Main() { return main_; }

    FrameId CreateFrame(WindowType type, CZorlDoc& doc, bool show, bool maximize) override;
    bool DestroyFrame(FrameId frame) override;
    void SetCaption(FrameId frame, const std::string& caption) override;
    void Activate(FrameId frame) override;
    bool IsMaximized(FrameId frame) const override;
    void AppendPiece(FrameId frame, const std::string& text, Colour colour, bool debug) override;
    void MarkMention(FrameId frame) override;
    void UpdateViews(FrameId frame, int hints) override;
    void SetButton(int index, const std::string& caption, int network) override;
    void PlaceWindow(FrameId frame, int network, const std::string& networkName,
                     const std::string& name) override;
    void SetWindowMark(FrameId frame, Colour colour) override;
    void SetWindowTree(bool shown) override;
    void RemoveButton(int index) override;
    void SetButtonHighlight(int index, Colour colour) override;
    void SetMainTitle(const std::string& title) override;
    bool IsMainMinimized() const override;
    void FlashTaskbar() override;
    void SetTrayIcon(bool shown) override;
    void ChannelListStart(FrameId status, const std::string& network) override;
    void ChannelListRow(FrameId status, const std::string& channel, int users,
                        const std::string& topic) override;
    void ChannelListEnd(FrameId status) override;
    // The browser of the network of `status`, made and shown when needed.
    CChannelBrowser* Browser(FrameId status, const std::string& network = {});
    void ChannelModeListEntry(FrameId channel, char mode, const std::string& mask,
                              const std::string& setter, long long when) override;
    void ChannelModeListEnd(FrameId, char) override {}
    // The lists dialog of a channel window, shown and filled anew.
    CChannelListsDialog* OpenChannelLists(FrameId channel);
    // The application palette's window colour is dark.
    bool PrefersDarkColours() const override;
    void RecolourPanes(const std::vector<std::pair<Colour, Colour>>& changes, Colour oldBackground,
                       Colour newBackground) override;
    bool IsInView(FrameId frame) const override;
    void Notify(FrameId frame, const std::string& title, const std::string& body) override;
    void CloseMainWindow() override;
    void SetConnectCommands(bool connectEnabled) override;
    void SetDebugCommands(bool debugOn) override;
    void SetTabbedView(bool tabs) override;

    // The frame's widgets, built now if they were not yet.
    CChildFrameBase* Frame(FrameId frame);
    // Built already (null when not, or no such frame).
    CChildFrameBase* BuiltFrame(FrameId frame) const;
    int BuiltCount() const { return built_count_; }
    // The frame of the window the user works in: the last one activated.
    CChildFrameBase* ActiveFrame();
    // Adds all queued output and refreshes queued nick lists now.
    void Flush();

    // A DCC window is closing: the DCC code closes and releases its socket
    // here before the window goes. Without it the window just goes.
    std::function<void(FrameId)> closeDccSocket;
    void CloseDccSocket(FrameId frame) {
        if (closeDccSocket) closeDccSocket(frame);
    }

private:
    // A window as the engine knows it; `frame` stays null until it is built.
    struct Slot {
        WindowType type = kWindowDefault;
        CZorlDoc* doc = nullptr;
        QString caption;
        PieceQueue output;  // while not built
        bool maximize = false;
        bool built = false;
        QPointer<CChildFrameBase> frame;
    };

    CChildFrameBase* Build(FrameId id, Slot& slot, bool activate);
    void ScheduleFlush();
    void OnSubWindowActivated(QMdiSubWindow* window);
    void MarkCurrentButton(FrameId frame);

    CMainFrame& main_;
    CZorlApp* app_ = nullptr;
    CDesktopNotifier* notifier_ = nullptr;  // made at the first notification
    QObject flush_context_;                 // owns the posted flush; gone with the surface
    std::unordered_map<FrameId, Slot> slots_;
    std::unordered_map<FrameId, QPointer<CChannelBrowser>> browsers_;
    std::unordered_map<FrameId, QPointer<CChannelListsDialog>> lists_;
    int built_count_ = 0;
    FrameId show_next_ = 0;  // opened active since the last flush, not built yet
    bool shown_since_flush_ = false;
    std::vector<FrameId> queued_;
    FrameId next_frame_ = 0;
    QElapsedTimer since_flush_;
    bool flush_posted_ = false;
    bool buttons_changed_ = false;
    bool creating_hidden_ = false;
};

}  // namespace zorl::ui
