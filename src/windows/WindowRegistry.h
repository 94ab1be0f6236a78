// Every open window, in creation order, with the window-button bar.
// Windows are found by (name, socket) with the name compared without regard
// to case, or by frame. Indexes are not stable: removal shifts later records.
// Both lookups go through hash indexes, so that a lookup costs the same with
// five thousand windows as with five.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/CaseMapping.h"
#include "windows/ChannelRecord.h"

namespace zorl {

class COutput;
class CLogger;
struct WindowServices;
class CZorlDoc;
struct NetworkInfo;

enum UpdateCode : int {
    kUpdateName = 1,
    kUpdateTitle = 2,
    kUpdateLogfile = 3,
    kUpdateSender = 4,
    kUpdateTopic = 5,
    kUpdateFlags = 6,
    kUpdateJoined = 9,
    kUpdateBackScroll = 10,
};

class CWindowRegistry {
public:
    static constexpr int kMaxButtons = 50;
    static constexpr int kNoButton = -1;  // the 51st window and later
    static constexpr Colour kHighlight = 255;
    static constexpr Colour kMention = 0xC000C0;  // purple: a line called the user

    CWindowRegistry(const WindowServices& services, COutput& output, CLogger& logger);
    ~CWindowRegistry();
    // What its documents are made with (a document made outside it, too).
    const WindowServices& Services() const { return s_; }

    ChannelRecord* NewWindow(const std::string& name, WindowType type, CIrcSocket* socket,
                             bool show);
    // The lookups, all silent: by name and socket (any letter case of the
    // name), by socket (a DCC window), by frame.
    // By name in any letter case, as the socket's network folds it.
    ChannelRecord* FindCR(const std::string& name, const CIrcSocket* socket);
    ChannelRecord* FindCRBySocket(const CIrcSocket* socket);
    ChannelRecord* FindByFrame(FrameId frame);
    CZorlDoc* DocOf(FrameId frame);  // null when the frame has none
    // The status window of the network of `socket`; for null or a socket of
    // no network (DCC), the current network's.
    ChannelRecord* StatusOf(const CIrcSocket* socket);
    FrameId StatusFrameOf(const CIrcSocket* socket) {
        const ChannelRecord* status = StatusOf(socket);
        return status ? status->frame : 0;
    }
    // The last channel window of that name, on any socket.
    CZorlDoc* GetChannelDoc(const std::string& name);

    // Named entries over the lookups. The Get... ones report a window that
    // is not there with an ERROR line in the status window.
    bool CRExists(const std::string& name, const CIrcSocket* socket) {
        return FindCR(name, socket) != nullptr;
    }
    bool IsFrameRegistered(FrameId frame) const { return IndexOf(frame) >= 0; }
    FrameId GetFrmByNameSocket(const std::string& name, const CIrcSocket* socket);
    ChannelRecord* GetCRbyFrm(FrameId frame);
    std::string GetNameByFrm(FrameId frame);
    CZorlDoc* GetDocByNameSocket(const std::string& name, const CIrcSocket* socket);

    // A DCC window's listener was replaced by the accepted connection: the
    // window now belongs to `socket` (name lookups included).
    void MoveToSocket(ChannelRecord& record, CIrcSocket* socket);
    void UpdateCR(FrameId frame, const std::string& value, UpdateCode code);
    void UpdateWindowTitle(FrameId frame);
    void SetActiveWindow(FrameId frame);
    void DeleteChannel(FrameId frame);
    void DeleteCR(std::size_t index);
    void CloseAllWindows();
    void RebuildButtons();
    bool ShouldMaximize();
    // Status caption and the like after a state change.
    void UpdateAllTitles();
    // Every window in the tree again under its network's present name.
    void PlaceAllWindows();
    // The user is no longer in the channel of `record`: its nick list is
    // emptied and its next JOIN comes back to it. `rejoin`: join it again
    // when the server next welcomes the user.
    void MarkLeft(ChannelRecord& record, bool rejoin);
    // The user is in it again (an own JOIN of a kept window).
    void MarkRejoined(ChannelRecord& record);

    // Button bar. A button keeps its highlight across caption changes,
    // renumbering and rebuilding.
    // Switching on keeps a mention's colour until the window is seen.
    void HighlightButton(const ChannelRecord& record, bool on);
    void MentionButton(const ChannelRecord& record);
    bool IsHighlighted(const ChannelRecord& record) const;
    // Activates the window of button n (the main window's button command).
    void ActivateButton(int n);

    // The network's CASEMAPPING, for window names and nick tables alike.
    void SetCaseMapping(const CIrcSocket* socket, CaseMapping mapping);
    CaseMapping MappingOf(const CIrcSocket* socket) const;

    std::vector<ChannelRecord>& Records() { return records_; }
    const std::vector<ChannelRecord>& Records() const { return records_; }

    FrameId pStatusFrm = 0;
    FrameId pLastFrm = 0;
    int buttoncount = 0;

private:
    int IndexOf(FrameId frame) const;  // -1 when not registered
    void SetPresence(ChannelRecord& record, Presence presence, bool rejoin);
    std::string NameKey(std::string_view name, const CIrcSocket* socket) const;
    void IndexName(const ChannelRecord& record);
    void UnindexName(const ChannelRecord& record);
    void RenumberButtons(int from);
    bool DeleteFrame(FrameId frame);
    void SetButtonCaption(FrameId frame);
    void SetButtonColour(const ChannelRecord& record, Colour colour);
    // The status caption's connection part.
    bool AddConnectionTo(std::string& caption, const NetworkInfo& network) const;

    const WindowServices& s_;
    COutput& output_;
    CLogger& logger_;
    std::vector<ChannelRecord> records_;
    std::unordered_map<FrameId, std::unique_ptr<CZorlDoc>> docs_;
    std::unordered_map<FrameId, std::size_t> by_frame_;  // index into records_
    std::unordered_map<std::string, FrameId> by_name_;   // NameKey → the first such window
    std::array<Colour, kMaxButtons> highlighted_{};      // by button number; 0: off
    std::unordered_map<const CIrcSocket*, CaseMapping> mappings_;  // Ascii unless told
};

}  // namespace zorl
