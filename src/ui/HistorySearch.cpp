#include "ui/HistorySearch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/CZorlApp.h"
#include "common/FormatCodes.h"
#include "platform/Platform.h"
#include "platform/qt/QtText.h"
#include "session/Networks.h"
#include "session/ServerConnection.h"
#include "ui/MainFrame.h"
#include "windows/WindowServices.h"

namespace zorl::ui {
namespace {

enum Column { kTime, kNetwork, kWindow, kSender, kText, kColumns };
constexpr int kIdRole = Qt::UserRole;

QString TimeText(std::time_t time) {
    return QDateTime::fromSecsSinceEpoch(time).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString Shown(const HistoryLine& line) { return qt::DecodeText(VisibleText(line.text)); }

}  // namespace

CHistorySearch::CHistorySearch(CZorlApp& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle(QStringLiteral("Search history"));
    setAccessibleName(windowTitle());
    resize(900, 600);
    words_ = new QLineEdit(this);
    words_->setPlaceholderText(QStringLiteral("Words to find in every window"));
    words_->setAccessibleName(QStringLiteral("Words"));
    words_->setClearButtonEnabled(true);

    results_ = new QTreeWidget(this);
    results_->setAccessibleName(QStringLiteral("Results"));
    results_->setColumnCount(kColumns);
    results_->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Network"),
                               QStringLiteral("Window"), QStringLiteral("Sender"),
                               QStringLiteral("Text")});
    results_->setRootIsDecorated(false);
    results_->setUniformRowHeights(true);
    results_->header()->setStretchLastSection(true);
    for (int column : {kTime, kNetwork, kWindow, kSender})
        results_->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    context_ = new QTextEdit(this);
    context_->setReadOnly(true);
    context_->setAccessibleName(QStringLiteral("Lines around the chosen one"));
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(results_);
    split->addWidget(context_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    status_ = new QLabel(this);
    open_ = new QPushButton(QStringLiteral("Show in its window"), this);
    open_->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(open_);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(words_);
    layout->addWidget(Filters());
    layout->addWidget(split, 1);
    layout->addLayout(buttons);

    typing_.setSingleShot(true);
    typing_.setInterval(150);
    connect(&typing_, &QTimer::timeout, this, [this] { Run(); });
    connect(words_, &QLineEdit::textChanged, this, [this] { typing_.start(); });
    connect(results_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { ShowContext(item); });
    connect(results_, &QTreeWidget::itemActivated, this, [this] { OpenChosen(); });
    connect(open_, &QPushButton::clicked, this, [this] { OpenChosen(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

QWidget* CHistorySearch::Filters() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    network_ = new QComboBox(box);
    network_->setEditable(true);
    network_->setAccessibleName(QStringLiteral("Network"));
    window_ = new QLineEdit(box);
    window_->setPlaceholderText(QStringLiteral("any window"));
    window_->setAccessibleName(QStringLiteral("Window"));
    sender_ = new QLineEdit(box);
    sender_->setPlaceholderText(QStringLiteral("anyone"));
    sender_->setAccessibleName(QStringLiteral("Sender"));
    dated_ = new QCheckBox(QStringLiteral("From"), box);
    from_ = new QDateEdit(QDate::currentDate().addMonths(-1), box);
    to_ = new QDateEdit(QDate::currentDate(), box);
    for (QDateEdit* date : {from_, to_}) {
        date->setCalendarPopup(true);
        date->setEnabled(false);
    }
    from_->setAccessibleName(QStringLiteral("From date"));
    to_->setAccessibleName(QStringLiteral("To date"));
    row->addWidget(new QLabel(QStringLiteral("Network"), box));
    row->addWidget(network_, 1);
    row->addWidget(new QLabel(QStringLiteral("Window"), box));
    row->addWidget(window_, 1);
    row->addWidget(new QLabel(QStringLiteral("Sender"), box));
    row->addWidget(sender_, 1);
    row->addWidget(dated_);
    row->addWidget(from_);
    row->addWidget(new QLabel(QStringLiteral("to"), box));
    row->addWidget(to_);
    auto again = [this] { typing_.start(); };
    connect(network_, &QComboBox::currentTextChanged, this, again);
    connect(window_, &QLineEdit::textChanged, this, again);
    connect(sender_, &QLineEdit::textChanged, this, again);
    connect(from_, &QDateEdit::dateChanged, this, again);
    connect(to_, &QDateEdit::dateChanged, this, again);
    connect(dated_, &QCheckBox::toggled, this, [this, again](bool on) {
        from_->setEnabled(on);
        to_->setEnabled(on);
        again();
    });
    return box;
}

void CHistorySearch::FillNetworks() {
    const QString chosen = network_->currentText();
    const QSignalBlocker quiet(network_);
    network_->clear();
    network_->addItem(QString());
    for (const auto& network : app_.networks.All())
        network_->addItem(qt::DecodeText(app_.NetworkOf(network->Socket()).name));
    network_->setEditText(chosen);
}

void CHistorySearch::Search(const QString& text) {
    FillNetworks();
    if (!text.isEmpty()) words_->setText(text);
    show();
    raise();
    activateWindow();
    words_->setFocus(Qt::OtherFocusReason);
    Run();
}

void CHistorySearch::Run() {
    typing_.stop();
    results_->clear();
    context_->clear();
    open_->setEnabled(false);
    IHistoryStore& store = app_.platform.history;
    if (!store.IsOpen()) {
        status_->setText(QStringLiteral("History is off (Properties, Options: Keep history)."));
        return;
    }
    HistoryQuery query;
    query.text = qt::EncodeText(words_->text());
    query.network = qt::EncodeText(network_->currentText().trimmed());
    query.window = qt::EncodeText(window_->text().trimmed().toLower());
    query.sender = qt::EncodeText(sender_->text().trimmed());
    if (dated_->isChecked()) {
        query.from = from_->date().startOfDay().toSecsSinceEpoch();
        query.to = to_->date().endOfDay().toSecsSinceEpoch();
    }
    query.limit = kResults;
    QList<QTreeWidgetItem*> items;
    for (const HistoryLine& line : store.Search(query)) {
        auto* item = new QTreeWidgetItem({TimeText(line.time), qt::DecodeText(line.network),
                                          qt::DecodeText(line.window), qt::DecodeText(line.sender),
                                          Shown(line)});
        item->setData(kTime, kIdRole, QVariant::fromValue<qlonglong>(line.id));
        items.push_back(item);
    }
    results_->addTopLevelItems(items);
    if (items.size() >= kResults)
        status_->setText(QStringLiteral("The newest %1 lines found").arg(kResults));
    else
        status_->setText(items.size() == 1 ? QStringLiteral("1 line found")
                                           : QStringLiteral("%1 lines found").arg(items.size()));
    if (!items.isEmpty()) results_->setCurrentItem(items.front());
}

void CHistorySearch::ShowContext(QTreeWidgetItem* item) {
    context_->clear();
    open_->setEnabled(item != nullptr);
    if (!item) return;
    const std::int64_t id = item->data(kTime, kIdRole).toLongLong();
    QTextCursor chosen;
    for (const HistoryLine& line : app_.platform.history.Around(id, kContextLines, kContextLines)) {
        context_->append(TimeText(line.time) + QStringLiteral("  ") + Shown(line));
        if (line.id == id) chosen = QTextCursor(context_->document()->lastBlock());
    }
    if (chosen.isNull()) return;
    // A cursor without a selection marks its whole line with FullWidthSelection.
    chosen.movePosition(QTextCursor::StartOfBlock);
    QTextEdit::ExtraSelection mark;
    mark.cursor = chosen;
    mark.format.setBackground(palette().highlight());
    mark.format.setForeground(palette().highlightedText());
    mark.format.setProperty(QTextFormat::FullWidthSelection, true);
    context_->setExtraSelections({mark});
    context_->setTextCursor(chosen);
    context_->ensureCursorVisible();
}

void CHistorySearch::OpenChosen() {
    QTreeWidgetItem* item = results_->currentItem();
    if (!item) return;
    const FrameId frame = app_.WindowOfHistory(qt::EncodeText(item->text(kNetwork)),
                                               qt::EncodeText(item->text(kWindow)));
    auto* main = qobject_cast<CMainFrame*>(parentWidget());
    if (frame == 0 || !main) {
        status_->setText(
            QStringLiteral("%1 is not open: its lines are shown here.").arg(item->text(kWindow)));
        return;
    }
    main->ShowLineIn(frame, item->text(kText));
}

}  // namespace zorl::ui
