// zorl: a desktop IRC client. The configuration directory is the working
// directory.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/CZorlApp.h"
#include "platform/qt/QtPlatform.h"
#include "ui/MainFrame.h"
#include "ui/QtWindowSurface.h"

namespace {

// Without a display Qt aborts with a backtrace; say it plainly instead.
bool HasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform) return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace

int main(int argc, char** argv) {
    if (!HasDisplay()) {
        std::fprintf(stderr, "zorl: no display found (DISPLAY and WAYLAND_DISPLAY are not set)\n");
        return 1;
    }
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("zorl"));

    // Destroyed in reverse order: the application object goes first, while
    // the windows and platform services it talks to still exist.
    zorl::qt::QtPlatformServices services;
    zorl::ui::CMainFrame mainFrame;
    zorl::ui::QtWindowSurface surface(mainFrame);
    zorl::Platform platform{
        services.Sockets(), services.Clock(), services.Ticker(), services.Sound(), services.Shell(),
        services.Dialogs(), surface};
    zorl::CZorlApp app(platform);
    surface.Attach(app);
    services.SetDialogParent(&mainFrame);

    app.InitInstance();
    mainFrame.ShowMasterButtons(app.settings.Master != 0);
    mainFrame.show();
    return application.exec();
}
