#include "ui/PopupMenuView.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

#include "platform/qt/QtText.h"
#include "script/PopupMenus.h"

namespace zorl::ui {
namespace {

void AddItems(QMenu& menu, const std::vector<PopupItem>& items) {
    for (const PopupItem& item : items) {
        switch (item.kind) {
            case PopupItem::Kind::Separator: menu.addSeparator(); break;
            case PopupItem::Kind::Submenu:
                AddItems(*menu.addMenu(qt::DecodeText(item.caption)), item.items);
                break;
            case PopupItem::Kind::Command:
                menu.addAction(qt::DecodeText(item.caption))->setData(item.entry);
                break;
        }
    }
}

}  // namespace

int ExecPopupMenu(const PopupMenu& popup, const QPoint& globalPos, QWidget* parent) {
    return ExecPopupMenu(popup, globalPos, parent, std::vector<BuiltInEntry>{});
}

int ExecPopupMenu(const PopupMenu& popup, const QPoint& globalPos, QWidget* parent,
                  const std::vector<BuiltInEntry>& builtIns) {
    QPointer<QMenu> menu = new QMenu(parent);
    AddItems(*menu, popup.items);
    if (!builtIns.empty() && !popup.items.empty()) menu->addSeparator();
    // The client's own entries count down from kBuiltIn.
    for (std::size_t i = 0; i < builtIns.size(); ++i)
        menu->addAction(builtIns[i].caption)->setData(kBuiltIn - static_cast<int>(i));
    if (menu->isEmpty()) {
        delete menu.data();
        return -1;
    }
    QAction* chosen = menu->exec(globalPos);
    const int entry = chosen ? chosen->data().toInt() : -1;
    delete menu.data();
    if (entry > kBuiltIn) return entry;
    const auto builtIn = static_cast<std::size_t>(kBuiltIn - entry);
    if (builtIn < builtIns.size() && builtIns[builtIn].run) builtIns[builtIn].run();
    return kBuiltIn;
}

}  // namespace zorl::ui
