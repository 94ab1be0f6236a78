// The nick list pane of a channel window: the document's nick table shown
// sorted, "@" before operators, "+" before voiced nicks.
//
// The pane is a model over a snapshot of the table: a refresh (hint bit 16,
// coalesced by the surface to one per pass of the event loop) rebuilds the
// snapshot and resets the model once, however many nicks changed.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/ViewStyle.h"

namespace zorl {
class CAccounts;
}

namespace zorl::ui {

class CNickListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // Operators first, then voiced nicks, then the rest; within each group
    // by the nick without regard to case.
    void Refresh(const std::map<std::string, int>& nicks);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The nick of a row without its prefix; "" outside the list.
    std::string NickAt(int row) const;
    int RowOf(const std::string& nick) const;

    // What the network told of its nicks (null: nothing), for their tips.
    std::function<const CAccounts*()> known;

private:
    struct Entry {
        std::string nick;
        int rank;  // the index of its symbol (~ & @ % +); past them, none
        QString shown;
        bool away;
    };
    std::vector<Entry> entries_;
};

class CNicksView : public QListView {
    Q_OBJECT
public:
    CNicksView(FrameContext& context, QWidget* parent);

    void Refresh();
    void ApplyHints(int hints);
    // The selected nick without its prefix; "" when nothing is selected.
    std::string SelectedNick() const;
    // Runs NickCommand for the selected nick (the double click).
    void RunNickCommand();
    CNickListModel& Model() { return model_; }

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // The "Nicks" menu of popups.ini, for the selected nick only.
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Files dropped on a nick are offered to it.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    FrameContext& context_;
    CNickListModel model_;
};

}  // namespace zorl::ui
