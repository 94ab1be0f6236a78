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
    QPointer<QMenu> menu = new QMenu(parent);
    AddItems(*menu, popup.items);
    QAction* chosen = menu->exec(globalPos);
    const int entry = chosen ? chosen->data().toInt() : -1;
    delete menu.data();
    return entry;
}

}  // namespace zorl::ui
