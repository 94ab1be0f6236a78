// The real widgets on the headless host: the engine runs on scripted
// sockets, a manual clock and preset dialogs, and shows everything in the
// Qt main window, offscreen. Each harness works in a fresh temporary
// directory, which is the configuration directory.
#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <memory>
#include <string>

#include "app/CZorlApp.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "support/HeadlessHost.h"
#include "support/TempDir.h"
#include "ui/ChildFrames.h"
#include "ui/MainFrame.h"
#include "ui/QtWindowSurface.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl::test {

struct UiHarness {
    TempWorkDir cwd;
    HeadlessHost host;
    ui::CMainFrame main;
    ui::QtWindowSurface surface{main};
    Platform platform{host.sockets, host.clock, host.ticker, host.sound,   host.shell,
                      host.dialogs, surface,    host.crypto, host.secrets, host.history};
    CZorlApp app{platform};

    UiHarness() {
        app.ini.SetDirectory(cwd.Path().string() + "/");
        surface.Attach(app);
        app.colours.Build();
        main.resize(900, 600);
        main.show();
    }

    // The client started on its fresh folder, its panes showing lines as
    // they stand: no time stamps, no columns (tests of those turn them on).
    void Start() {
        app.InitInstance();
        app.settings.TimeStamp = 0;
        app.settings.ConversationView = 0;
    }

    // Everything the event loop would do by now: posted events, deferred
    // deletes, and the output flush (which may wait for its interval).
    void Pump() {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            surface.Flush();
        }
    }

    ui::CChildFrameBase* Frame(FrameId frame) { return surface.Frame(frame); }

    // A window created through the surface alone, with a document of its own.
    struct Window {
        std::unique_ptr<CZorlDoc> doc;
        FrameId frame = 0;
        ui::CChildFrameBase* widget = nullptr;
    };
    Window Open(const std::string& name, WindowType type) {
        Window window;
        window.doc = std::make_unique<CZorlDoc>(app.registry.Services(), name, type);
        window.frame = surface.CreateFrame(type, *window.doc, true, false);
        window.doc->SetFrame(window.frame);
        window.widget = surface.Frame(window.frame);
        Pump();
        return window;
    }

    // Connects the server socket through the scripted host.
    std::shared_ptr<ScriptedSocketState> Connect() {
        app.settings.m_user_mynick = "me";
        app.settings.User = "me";
        app.settings.RealName = "Me";
        app.settings.m_server_address = "irc.example.net";
        app.settings.m_server_ports = "6667";
        auto server = PressConnect(app, host.sockets);
        server->Connected();
        return server;
    }
};

inline void Key(QWidget* widget, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                const QString& text = QString(), bool autoRepeat = false) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text, autoRepeat);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text, autoRepeat);
    QApplication::sendEvent(widget, &release);
}

inline void Type(QWidget* widget, const QString& text) {
    for (QChar c : text) Key(widget, c.toUpper().unicode(), Qt::NoModifier, QString(c));
}

inline void Click(QWidget* widget, QPoint at, QEvent::Type type = QEvent::MouseButtonPress) {
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// A harness with one channel window, #chan, for tests of its panes.
class ChannelWindowTest : public ::testing::Test {
protected:
    UiHarness h;
    UiHarness::Window w = h.Open("#chan", kWindowChannel);
};

}  // namespace zorl::test
