#include "ui/NicksView.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>
#include <QStringList>
#include <algorithm>

#include "app/CZorlApp.h"
#include "config/Settings.h"
#include "platform/qt/QtText.h"
#include "script/PopupMenus.h"
#include "session/Accounts.h"
#include "session/ServerConnection.h"
#include "ui/FileDrops.h"
#include "ui/PopupMenuView.h"
#include "windows/ZorlDoc.h"

namespace zorl::ui {

namespace {

int CompareNoCase(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return 0;
}

// Members by rank, the highest first, each shown with its symbol.
struct Rank {
    int bit;
    char symbol;
};
constexpr Rank kRanks[] = {
    {kNickOwner, '~'}, {kNickAdmin, '&'}, {kNickOp, '@'}, {kNickHalfop, '%'}, {kNickVoice, '+'}};
constexpr int kPlainRank = static_cast<int>(std::size(kRanks));

int RankOf(int bits) {
    for (int i = 0; i < kPlainRank; ++i)
        if (bits & kRanks[i].bit) return i;
    return kPlainRank;
}

}  // namespace

void CNickListModel::Refresh(const std::map<std::string, int>& nicks) {
    beginResetModel();
    entries_.clear();
    entries_.reserve(nicks.size());
    for (const auto& [nick, bits] : nicks) {
        const int rank = RankOf(bits);
        QString shown = qt::DecodeText(nick);
        if (rank < kPlainRank) shown.prepend(QLatin1Char(kRanks[rank].symbol));
        entries_.push_back({nick, rank, std::move(shown), (bits & kNickAway) != 0});
    }
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        if (a.rank != b.rank) return a.rank < b.rank;
        const int c = CompareNoCase(a.nick, b.nick);
        return c != 0 ? c < 0 : a.nick < b.nick;
    });
    endResetModel();
}

int CNickListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant CNickListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Entry& entry = entries_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) return entry.shown;
    // Away nicks are greyed, in whatever palette the list has.
    if (role == Qt::ForegroundRole && entry.away)
        return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    if (role == Qt::ToolTipRole && known) {
        const CAccounts* accounts = known();
        if (!accounts) return {};
        QStringList lines;
        if (const std::string* realName = accounts->RealNameOf(entry.nick))
            lines << qt::DecodeText(*realName);
        if (const std::string* account = accounts->Of(entry.nick))
            lines << QStringLiteral("%1 is logged in as %2")
                         .arg(qt::DecodeText(entry.nick), qt::DecodeText(*account));
        if (lines.isEmpty()) return {};
        return lines.join(QLatin1Char('\n'));
    }
    return {};
}

std::string CNickListModel::NickAt(int row) const {
    if (row < 0 || row >= rowCount()) return {};
    return entries_[static_cast<std::size_t>(row)].nick;
}

int CNickListModel::RowOf(const std::string& nick) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].nick == nick) return static_cast<int>(i);
    return -1;
}

CNicksView::CNicksView(FrameContext& context, QWidget* parent)
    : QListView(parent), context_(context), model_(this) {
    setModel(&model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);  // a 10 000-nick list lays out in no time
    setFrameShape(QFrame::StyledPanel);
    setAccessibleName(QStringLiteral("Nicks"));
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    model_.known = [this]() -> const CAccounts* {
        return context_.Live() ? &context_.app->NetworkOfFrame(context_.frame).Accounts() : nullptr;
    };
}

void CNicksView::Refresh() {
    if (!context_.Live()) return;
    // The user's selection survives other nicks joining and leaving.
    const std::string selected = SelectedNick();
    model_.Refresh(context_.doc->Nicks());
    if (selected.empty()) return;
    const int row = model_.RowOf(selected);
    if (row >= 0) setCurrentIndex(model_.index(row));
}

void CNicksView::ApplyHints(int hints) {
    if (!context_.app) return;
    const CSettings& settings = context_.app->settings;
    if (hints & kHintFont) setFont(BaseFont(settings));
    if (hints & (kHintFont | kHintBackground))
        SetPaneColours(this, settings.Color.Normal, settings.BGColor);
    if (hints & kHintNicks) Refresh();
}

std::string CNicksView::SelectedNick() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty()) return {};
    return model_.NickAt(rows.first().row());
}

void CNicksView::RunNickCommand() {
    const std::string nick = context_.Live() ? SelectedNick() : std::string();
    if (!nick.empty()) zorl::RunNickCommand(context_.app->scriptContext, context_.frame, nick);
}

void CNicksView::contextMenuEvent(QContextMenuEvent* event) {
    const std::string nick = context_.Live() ? SelectedNick() : std::string();
    if (nick.empty()) return;
    CZorlApp& app = *context_.app;
    const FrameId frame = context_.frame;
    const PopupMenu menu = BuildPopupMenu(app.ini, kNicksMenu);
    const int entry = ExecPopupMenu(menu, event->globalPos(), this);
    if (entry >= 0) RunNickPopupEntry(app.scriptContext, frame, menu, entry, nick);
}

void CNicksView::dragEnterEvent(QDragEnterEvent* event) {
    if (context_.Live() && !DroppedFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

// Only over a nick: the drop must say whom the files are for.
void CNicksView::dragMoveEvent(QDragMoveEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && !DroppedFiles(event->mimeData()).empty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CNicksView::dropEvent(QDropEvent* event) {
    const std::string nick = model_.NickAt(indexAt(event->position().toPoint()).row());
    const std::vector<std::string> files = DroppedFiles(event->mimeData());
    if (!context_.Live() || nick.empty() || files.empty()) return;
    event->acceptProposedAction();
    context_.app->OfferFiles(context_.frame, nick, files);
}

void CNicksView::mouseDoubleClickEvent(QMouseEvent* event) {
    QPointer<CNicksView> self(this);
    QListView::mouseDoubleClickEvent(event);
    if (self && event->button() == Qt::LeftButton) RunNickCommand();
}

}  // namespace zorl::ui
