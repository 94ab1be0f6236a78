// The channel list of a network (LIST) as a table: name, users and topic,
// sorted by any column, filtered by words and a least number of users while
// the list still arrives. Enter or a double click joins the channel.
//
// Rows come in as fast as the server sends them; they are added to the model
// in batches on a short timer, so a list of 50 000 channels never holds up
// the event loop for longer than one batch.
#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QSpinBox;
class QTableView;

namespace zorl::ui {

struct ListedChannel {
    QString name;
    int users = 0;
    QString topic;  // without formatting codes
};

class CChannelTable : public QAbstractTableModel {
public:
    enum Column { kName, kUsers, kTopic, kColumns };

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void Clear();
    void Append(std::vector<ListedChannel>&& rows);
    const ListedChannel& At(int row) const { return rows_[static_cast<std::size_t>(row)]; }

private:
    std::vector<ListedChannel> rows_;
};

class CChannelFilter : public QSortFilterProxyModel {
public:
    void SetFilter(const QString& words, int leastUsers);

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;
    // Straight from the rows: a sort of 50 000 through data() and QVariant
    // costs more than the whole list's parsing.
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    QStringList words_;
    int least_users_ = 0;
};

class CChannelBrowser : public QWidget {
    Q_OBJECT
public:
    // `join` joins a channel on the network of the list.
    CChannelBrowser(const QString& network, std::function<void(const QString&)> join,
                    QWidget* parent);

    void Start();
    void Add(ListedChannel row);
    void End();

    // Rows received, and rows shown through the filter (after a flush).
    int Received() const { return received_; }
    int Shown() const { return filter_.rowCount(); }
    void Flush();
    QLineEdit* FilterEdit() const { return words_; }
    QSpinBox* LeastUsers() const { return least_users_; }
    QTableView* Table() const { return table_; }
    // The channel of a shown row.
    QString ChannelAt(int shownRow) const;

private:
    void ApplyFilter();
    void JoinCurrent();
    void ShowCount();
    bool eventFilter(QObject* watched, QEvent* event) override;

    std::function<void(const QString&)> join_;
    CChannelTable table_model_;
    CChannelFilter filter_;
    std::vector<ListedChannel> pending_;
    QTimer flush_timer_;
    int received_ = 0;
    bool complete_ = false;
    QLineEdit* words_;
    QSpinBox* least_users_;
    QTableView* table_;
    QLabel* count_;
};

}  // namespace zorl::ui
