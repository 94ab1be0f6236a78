// The tree of windows beside the frames: each network with its status
// window, channels, queries and DCC windows below it, in the order they were
// opened. A window's name is coloured like its button while it has unseen
// output or a mention; choosing it brings the window to the front.
#pragma once

#include <QTreeWidget>
#include <functional>
#include <map>
#include <unordered_map>
#include <vector>

#include "common/SharedTypes.h"

namespace zorl::ui {

class CWindowTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit CWindowTree(QWidget* parent);

    // Adds the window, or moves and renames it; renames its network too.
    void Place(FrameId frame, int network, const QString& networkName, const QString& name);
    void Remove(FrameId frame);
    void SetMark(FrameId frame, Colour colour);
    // The window the user works in, selected without being chosen again.
    void SetCurrent(FrameId frame);
    QTreeWidgetItem* ItemOf(FrameId frame) const;
    // The windows in the tree's order, for the keys that walk through them.
    std::vector<FrameId> Order() const;
    // The window `by` places after `from` in that order, round; 0: none.
    FrameId Step(FrameId from, int by) const;
    // The first window after `from` (in that order, round) with unseen
    // output, a mention first; 0 when none has.
    FrameId NextWithNews(FrameId from) const;

    std::function<void(FrameId)> onChosen;

private:
    QTreeWidgetItem* NetworkItem(int network, const QString& name);
    void DropEmptyNetworks();

    std::unordered_map<FrameId, QTreeWidgetItem*> windows_;
    std::map<int, QTreeWidgetItem*> networks_;
    std::unordered_map<FrameId, Colour> marks_;
    bool selecting_ = false;
};

}  // namespace zorl::ui
