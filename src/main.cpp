// zorl: a desktop IRC client. The configuration directory is the working
// directory.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "platform/qt/QtText.h"
#include "ui/ClientWindow.h"

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

    // "zorl irc://irc.example.net/#zorl", as a desktop hands over a link.
    zorl::ui::ClientWindow client;
    client.Start(zorl::qt::EncodeText(QApplication::arguments().value(1)));
    return application.exec();
}
