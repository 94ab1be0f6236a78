#include "ui/ChannelBrowser.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace zorl::ui {

namespace {
// How often arrived rows go into the table while the list comes in.
constexpr int kFlushMs = 150;
}  // namespace

int CChannelTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CChannelTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant CChannelTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const ListedChannel& row = At(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        switch (index.column()) {
            case kName: return row.name;
            case kUsers: return role == Qt::DisplayRole ? QVariant(row.users) : QVariant();
            case kTopic: return row.topic;
            default: return {};
        }
    }
    if (role == Qt::TextAlignmentRole && index.column() == kUsers)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant CChannelTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case kName: return QStringLiteral("Channel");
        case kUsers: return QStringLiteral("Users");
        case kTopic: return QStringLiteral("Topic");
        default: return {};
    }
}

void CChannelTable::Clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void CChannelTable::Append(std::vector<ListedChannel>&& rows) {
    if (rows.empty()) return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
                 std::make_move_iterator(rows.end()));
    endInsertRows();
}

void CChannelFilter::SetFilter(const QString& words, int leastUsers) {
    words_ = words.split(u' ', Qt::SkipEmptyParts);
    least_users_ = leastUsers;
    invalidateFilter();
}

// Every word in the name or the topic, any letter case.
bool CChannelFilter::filterAcceptsRow(int row, const QModelIndex&) const {
    const ListedChannel& channel = static_cast<const CChannelTable*>(sourceModel())->At(row);
    if (channel.users < least_users_) return false;
    for (const QString& word : words_)
        if (!channel.name.contains(word, Qt::CaseInsensitive) &&
            !channel.topic.contains(word, Qt::CaseInsensitive))
            return false;
    return true;
}

bool CChannelFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const auto* table = static_cast<const CChannelTable*>(sourceModel());
    const ListedChannel& a = table->At(left.row());
    const ListedChannel& b = table->At(right.row());
    switch (left.column()) {
        case CChannelTable::kUsers: return a.users < b.users;
        case CChannelTable::kName: return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
        default: return a.topic.compare(b.topic, Qt::CaseInsensitive) < 0;
    }
}

CChannelBrowser::CChannelBrowser(const QString& network, std::function<void(const QString&)> join,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window), join_(std::move(join)) {
    setWindowTitle(QStringLiteral("Channels of ") + network);
    setAccessibleName(windowTitle());
    filter_.setSourceModel(&table_model_);
    filter_.setSortCaseSensitivity(Qt::CaseInsensitive);

    words_ = new QLineEdit(this);
    words_->setPlaceholderText(QStringLiteral("Words in the name or topic"));
    words_->setAccessibleName(QStringLiteral("Filter channels"));
    words_->setClearButtonEnabled(true);
    least_users_ = new QSpinBox(this);
    least_users_->setRange(0, 1'000'000);
    least_users_->setPrefix(QStringLiteral("at least "));
    least_users_->setSuffix(QStringLiteral(" users"));
    least_users_->setAccessibleName(QStringLiteral("Least number of users"));
    count_ = new QLabel(this);

    table_ = new QTableView(this);
    table_->setModel(&filter_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(CChannelTable::kUsers, Qt::DescendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(CChannelTable::kName, fontMetrics().averageCharWidth() * 24);
    table_->setColumnWidth(CChannelTable::kUsers, fontMetrics().averageCharWidth() * 8);
    table_->setWordWrap(false);
    table_->setAccessibleName(QStringLiteral("Channels"));
    table_->installEventFilter(this);

    auto* filters = new QHBoxLayout;
    filters->addWidget(words_, 1);
    filters->addWidget(least_users_);
    filters->addWidget(count_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(table_, 1);
    resize(fontMetrics().averageCharWidth() * 110, fontMetrics().height() * 30);

    connect(words_, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });
    connect(least_users_, &QSpinBox::valueChanged, this, [this] { ApplyFilter(); });
    connect(table_, &QTableView::activated, this, [this] { JoinCurrent(); });
    flush_timer_.setSingleShot(true);
    flush_timer_.setInterval(kFlushMs);
    connect(&flush_timer_, &QTimer::timeout, this, [this] { Flush(); });
}

void CChannelBrowser::Start() {
    pending_.clear();
    table_model_.Clear();
    received_ = 0;
    complete_ = false;
    ShowCount();
}

void CChannelBrowser::Add(ListedChannel row) {
    pending_.push_back(std::move(row));
    ++received_;
    if (!flush_timer_.isActive()) flush_timer_.start();
}

// The last rows go in once the read that brought the list's end is over:
// sorting thousands of them must not hold up the lines after it.
void CChannelBrowser::End() {
    complete_ = true;
    QTimer::singleShot(0, this, &CChannelBrowser::Flush);
}

void CChannelBrowser::Flush() {
    flush_timer_.stop();
    // Sorting row by row while thousands come in would cost more than
    // sorting the table once per batch.
    table_->setUpdatesEnabled(false);
    table_model_.Append(std::move(pending_));
    pending_.clear();
    table_->setUpdatesEnabled(true);
    ShowCount();
}

void CChannelBrowser::ApplyFilter() {
    filter_.SetFilter(words_->text(), least_users_->value());
    ShowCount();
}

void CChannelBrowser::ShowCount() {
    const QString shown = QString::number(Shown());
    count_->setText(
        Shown() == table_model_.rowCount()
            ? QStringLiteral("%1 channels%2").arg(shown, complete_ ? "" : "…")
            : QStringLiteral("%1 of %2%3")
                  .arg(shown, QString::number(table_model_.rowCount()), complete_ ? "" : "…"));
}

QString CChannelBrowser::ChannelAt(int shownRow) const {
    const QModelIndex index = filter_.mapToSource(filter_.index(shownRow, 0));
    return index.isValid() ? table_model_.At(index.row()).name : QString();
}

void CChannelBrowser::JoinCurrent() {
    const QModelIndex current = table_->currentIndex();
    if (!current.isValid()) return;
    const QString channel = ChannelAt(current.row());
    if (!channel.isEmpty() && join_) join_(channel);
}

// Enter joins, as a double click does; the table would only move down.
bool CChannelBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            JoinCurrent();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace zorl::ui
