#include "ui/ChannelLists.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

namespace zorl::ui {

namespace {

QString ListTitle(char mode) {
    switch (mode) {
        case 'b': return QStringLiteral("Bans");
        case 'e': return QStringLiteral("Exceptions");
        case 'I': return QStringLiteral("Invite exceptions");
        default: return QString(QChar::fromLatin1(mode));
    }
}

}  // namespace

CChannelListsDialog::CChannelListsDialog(const QString& channel, const QString& modes,
                                         Change change, std::function<void()> refresh,
                                         QWidget* parent)
    : QDialog(parent), change_(std::move(change)), refresh_(std::move(refresh)) {
    setWindowTitle(QStringLiteral("Lists of ") + channel);
    tabs_ = new QTabWidget(this);
    for (const QChar letter : modes) {
        const char mode = letter.toLatin1();
        auto* table = new QTableWidget(0, 3, this);
        table->setHorizontalHeaderLabels(
            {QStringLiteral("Mask"), QStringLiteral("Set by"), QStringLiteral("When")});
        table->horizontalHeader()->setStretchLastSection(true);
        table->setColumnWidth(0, fontMetrics().averageCharWidth() * 32);
        table->setColumnWidth(1, fontMetrics().averageCharWidth() * 24);
        table->verticalHeader()->hide();
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSortingEnabled(true);
        table->sortByColumn(0, Qt::AscendingOrder);
        table->setAccessibleName(ListTitle(mode));
        tables_[mode] = table;
        tabs_->addTab(table, ListTitle(mode));
    }
    new_mask_ = new QLineEdit(this);
    new_mask_->setPlaceholderText(QStringLiteral("nick!user@host, *!*@*.example.net"));
    new_mask_->setAccessibleName(QStringLiteral("New mask"));
    auto* add = new QPushButton(QStringLiteral("&Add"), this);
    auto* remove = new QPushButton(QStringLiteral("&Remove selected"), this);
    auto* reload = new QPushButton(QStringLiteral("Re&fresh"), this);
    for (QPushButton* button : {add, remove, reload}) button->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    // Enter in the mask field adds it; it must not close the dialog too.
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);

    auto* row = new QHBoxLayout;
    row->addWidget(new_mask_, 1);
    row->addWidget(add);
    row->addWidget(remove);
    row->addWidget(reload);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addLayout(row);
    layout->addWidget(buttons);
    resize(fontMetrics().averageCharWidth() * 96, fontMetrics().height() * 24);

    connect(add, &QPushButton::clicked, this, [this] { AddNew(); });
    connect(new_mask_, &QLineEdit::returnPressed, this, [this] { AddNew(); });
    connect(remove, &QPushButton::clicked, this, [this] { RemoveSelected(); });
    connect(reload, &QPushButton::clicked, this, [this] {
        Clear();
        if (refresh_) refresh_();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
}

void CChannelListsDialog::Clear() {
    for (auto& [mode, table] : tables_) table->setRowCount(0);
}

void CChannelListsDialog::Add(char mode, const QString& mask, const QString& setter, qint64 when) {
    QTableWidget* table = Table(mode);
    if (!table) return;
    table->setSortingEnabled(false);
    const int row = table->rowCount();
    table->insertRow(row);
    table->setItem(row, 0, new QTableWidgetItem(mask));
    table->setItem(row, 1, new QTableWidgetItem(setter));
    table->setItem(row, 2,
                   new QTableWidgetItem(when > 0 ? QDateTime::fromSecsSinceEpoch(when).toString(
                                                       QStringLiteral("yyyy-MM-dd HH:mm"))
                                                 : QString()));
    table->setSortingEnabled(true);
}

QTableWidget* CChannelListsDialog::Table(char mode) const {
    auto found = tables_.find(mode);
    return found == tables_.end() ? nullptr : found->second;
}

char CChannelListsDialog::CurrentMode() const {
    for (const auto& [mode, table] : tables_)
        if (table == tabs_->currentWidget()) return mode;
    return 0;
}

void CChannelListsDialog::RemoveSelected() {
    const char mode = CurrentMode();
    QTableWidget* table = Table(mode);
    if (!table) return;
    std::set<int> rows;
    for (const QModelIndex& index : table->selectionModel()->selectedRows())
        rows.insert(index.row());
    QStringList masks;
    for (int row : rows) masks << table->item(row, 0)->text();
    if (masks.isEmpty()) return;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) table->removeRow(*row);
    if (change_) change_(mode, false, masks);
}

void CChannelListsDialog::AddNew() {
    const QString mask = new_mask_->text().trimmed();
    const char mode = CurrentMode();
    if (mask.isEmpty() || mask.contains(u' ') || !mode) return;
    new_mask_->clear();
    if (change_) change_(mode, true, {mask});
    // The server says who set it and when: ask for the lists again.
    Clear();
    if (refresh_) refresh_();
}

}  // namespace zorl::ui
