// The icon in the desktop's tray (StatusNotifierItem on current desktops,
// through QSystemTrayIcon): a dot on it while a window has news, purple
// when a line called the user; a click shows or hides the main window, and
// its menu offers the same, each network's status window and Quit.
#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <unordered_map>

#include "common/SharedTypes.h"

namespace zorl {
class CZorlApp;
}

namespace zorl::ui {

class CMainFrame;

class CTrayIcon : public QObject {
    Q_OBJECT

public:
    CTrayIcon(CMainFrame& main, CZorlApp& app);

    void SetShown(bool shown);
    bool IsShown() const { return icon_.isVisible(); }
    // The mark of a window as its button shows it (0: nothing new).
    void SetMark(FrameId frame, Colour colour);
    void Forget(FrameId frame);

    // What the icon shows now, for tests: 0 nothing, else the strongest mark.
    Colour Mark() const { return shown_mark_; }
    QMenu& Menu() { return menu_; }

private:
    void Update();
    void ToggleMain();
    void FillNetworks();

    CMainFrame& main_;
    CZorlApp& app_;
    QSystemTrayIcon icon_;
    QMenu menu_;
    QMenu* networks_ = nullptr;
    std::unordered_map<FrameId, Colour> marks_;
    Colour shown_mark_ = 0;
};

}  // namespace zorl::ui
