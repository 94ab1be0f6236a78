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
    return ExecPopupMenu(popup, globalPos, parent, BuiltInEntry{});
}

int ExecPopupMenu(const PopupMenu& popup, const QPoint& globalPos, QWidget* parent,
                  const BuiltInEntry& builtIn) {
    QPointer<QMenu> menu = new QMenu(parent);
    AddItems(*menu, popup.items);
    if (!builtIn.caption.isEmpty()) {
        if (!popup.items.empty()) menu->addSeparator();
        menu->addAction(builtIn.caption)->setData(kBuiltIn);
    }
    if (menu->isEmpty()) {
        delete menu.data();
        return -1;
    }
    QAction* chosen = menu->exec(globalPos);
    const int entry = chosen ? chosen->data().toInt() : -1;
    delete menu.data();
    if (entry == kBuiltIn && builtIn.run) builtIn.run();
    return entry;
}

}  // namespace zorl::ui
