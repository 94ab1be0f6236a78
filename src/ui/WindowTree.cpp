#include "ui/WindowTree.h"

#include <QHeaderView>
#include <algorithm>

#include "ui/ViewStyle.h"
#include "windows/WindowRegistry.h"

namespace zorl::ui {
namespace {

constexpr int kFrameRole = Qt::UserRole + 1;

}  // namespace

CWindowTree::CWindowTree(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("WindowTree"));
    setAccessibleName(QStringLiteral("Windows"));
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::NoFocus);  // typing stays in the input line
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (selecting_ || !item || !onChosen) return;
        const FrameId frame = item->data(0, kFrameRole).value<FrameId>();
        if (frame != 0) onChosen(frame);
    });
}

QTreeWidgetItem* CWindowTree::NetworkItem(int network, const QString& name) {
    QTreeWidgetItem*& item = networks_[network];
    if (!item) {
        item = new QTreeWidgetItem;
        item->setFlags(Qt::ItemIsEnabled);
        QFont bold = font();
        bold.setBold(true);
        item->setFont(0, bold);
        // Networks stand in the order they were opened.
        int at = 0;
        for (const auto& [id, other] : networks_)
            if (id < network && other != item) ++at;
        insertTopLevelItem(at, item);
        item->setExpanded(true);
    }
    if (item->text(0) != name) item->setText(0, name);
    return item;
}

void CWindowTree::Place(FrameId frame, int network, const QString& networkName,
                        const QString& name) {
    QTreeWidgetItem* parent = NetworkItem(network, networkName);
    QTreeWidgetItem*& item = windows_[frame];
    if (!item) {
        item = new QTreeWidgetItem;
        item->setData(0, kFrameRole, QVariant::fromValue(frame));
        parent->addChild(item);
    } else if (item->parent() != parent) {
        item->parent()->removeChild(item);
        parent->addChild(item);
        DropEmptyNetworks();
    }
    if (item->text(0) != name) item->setText(0, name);
}

void CWindowTree::Remove(FrameId frame) {
    auto it = windows_.find(frame);
    if (it == windows_.end()) return;
    delete it->second;
    windows_.erase(it);
    marks_.erase(frame);
    DropEmptyNetworks();
}

void CWindowTree::DropEmptyNetworks() {
    for (auto it = networks_.begin(); it != networks_.end();) {
        if (it->second->childCount() == 0) {
            delete it->second;
            it = networks_.erase(it);
        } else {
            ++it;
        }
    }
}

void CWindowTree::SetMark(FrameId frame, Colour colour) {
    QTreeWidgetItem* item = ItemOf(frame);
    if (!item) return;
    if (colour == 0)
        marks_.erase(frame);
    else
        marks_[frame] = colour;
    const QBrush brush =
        colour == 0 ? QBrush() : QBrush(MarkColour(colour, palette().color(QPalette::Base)));
    if (item->foreground(0) != brush) item->setForeground(0, brush);
}

std::vector<FrameId> CWindowTree::Order() const {
    std::vector<FrameId> order;
    for (int n = 0; n < topLevelItemCount(); ++n) {
        const QTreeWidgetItem* network = topLevelItem(n);
        for (int w = 0; w < network->childCount(); ++w)
            order.push_back(network->child(w)->data(0, kFrameRole).value<FrameId>());
    }
    return order;
}

namespace {

// Where `frame` stands in `order`; 0 when it is not there.
std::size_t PlaceIn(const std::vector<FrameId>& order, FrameId frame) {
    const auto at = std::find(order.begin(), order.end(), frame);
    return at == order.end() ? 0 : static_cast<std::size_t>(at - order.begin());
}

}  // namespace

FrameId CWindowTree::Step(FrameId from, int by) const {
    const std::vector<FrameId> order = Order();
    if (order.empty()) return 0;
    const auto size = static_cast<long>(order.size());
    const long to = (static_cast<long>(PlaceIn(order, from)) + by % size + size) % size;
    return order[static_cast<std::size_t>(to)];
}

FrameId CWindowTree::NextWithNews(FrameId from) const {
    const std::vector<FrameId> order = Order();
    const std::size_t start = PlaceIn(order, from);
    FrameId news = 0;
    for (std::size_t i = 1; i <= order.size(); ++i) {
        const FrameId frame = order[(start + i) % order.size()];
        auto mark = marks_.find(frame);
        if (mark == marks_.end() || frame == from) continue;
        if (mark->second == CWindowRegistry::kMention) return frame;
        if (news == 0) news = frame;
    }
    return news;
}

void CWindowTree::SetCurrent(FrameId frame) {
    QTreeWidgetItem* item = ItemOf(frame);
    if (!item || item == currentItem()) return;
    selecting_ = true;
    setCurrentItem(item);
    selecting_ = false;
}

QTreeWidgetItem* CWindowTree::ItemOf(FrameId frame) const {
    auto it = windows_.find(frame);
    return it == windows_.end() ? nullptr : it->second;
}

}  // namespace zorl::ui
