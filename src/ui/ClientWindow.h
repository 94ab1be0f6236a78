// One running client: the Qt platform services, the dialogs, the main window,
// its window surface and the application object, wired together in the one
// order that works (the application object is destroyed first, while the
// windows and services it talks to still exist).
#pragma once

#include "app/CZorlApp.h"
#include "platform/Platform.h"
#include "platform/qt/QtPlatform.h"
#include "ui/MainFrame.h"
#include "ui/QtDialogs.h"
#include "ui/QtWindowSurface.h"

namespace zorl::ui {

class ClientWindow {
public:
    ClientWindow();

    // Loads the settings from the working directory and shows the window;
    // with an irc:// link (the command line's) it then connects there.
    void Start(const std::string& link = "");

    CZorlApp& App() { return app_; }
    QtWindowSurface& Surface() { return surface_; }
    CMainFrame& MainFrame() { return main_frame_; }

private:
    qt::QtPlatformServices services_;
    QtDialogs dialogs_;
    CMainFrame main_frame_;
    QtWindowSurface surface_;
    Platform platform_;
    CZorlApp app_;
};

}  // namespace zorl::ui
