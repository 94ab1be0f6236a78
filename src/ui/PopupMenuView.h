// Shows a menu of popups.ini (script/PopupMenus.h) at a point and tells
// which entry was chosen.
#pragma once

#include <QPoint>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace zorl {
struct PopupMenu;
}

namespace zorl::ui {

// The chosen entry's number, or -1 when the menu was closed without a
// choice. Runs an event loop of its own: `parent` may be gone afterwards.
int ExecPopupMenu(const PopupMenu& menu, const QPoint& globalPos, QWidget* parent);

// The client's own entry below the script's: `run` is called when it is
// chosen (kBuiltIn is returned then).
struct BuiltInEntry {
    QString caption;
    std::function<void()> run;
};
constexpr int kBuiltIn = -2;
int ExecPopupMenu(const PopupMenu& menu, const QPoint& globalPos, QWidget* parent,
                  const std::vector<BuiltInEntry>& builtIns);

}  // namespace zorl::ui
