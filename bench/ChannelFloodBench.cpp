// 100 000 channel messages through the real socket, the whole engine and the
// real widgets (offscreen): the time from the flood's first byte to the
// client's answer to a PING sent after it, and the peak memory.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextBlock>

#include "BenchServer.h"
#include "app/CZorlApp.h"
#include "session/ServerConnection.h"
#include "ui/ChildFrames.h"
#include "ui/ClientWindow.h"
#include "ui/QtWindowSurface.h"
#include "ui/ZorlView.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir home;
    QDir::setCurrent(home.path());

    constexpr int kMessages = 100000;
    zorl::bench::BenchServer server;
    zorl::bench::WriteConfig(server.Port());
    std::string flood;
    flood.reserve(kMessages * 90);
    for (int i = 0; i < kMessages; ++i)
        flood += ":nick" + std::to_string(i % 50) + "!user@host.example PRIVMSG #flood :message " +
                 std::to_string(i) + " of the flood, with some words after it\r\n";
    server.Run(zorl::bench::Greeting("#flood"), flood);

    zorl::ui::ClientWindow client;
    client.Start();
    zorl::CZorlApp& app = client.App();
    zorl::ui::QtWindowSurface& surface = client.Surface();
    app.Connection().OnButtonConnect();
    zorl::bench::RunUntilDone(server);

    if (!server.Answered()) {
        std::printf("ChannelFloodBench: no answer to the PING\n");
        return 1;
    }
    std::string last = "(no channel window)";
    if (zorl::CZorlDoc* doc = app.registry.GetChannelDoc("#flood"))
        if (zorl::ui::CChildFrameBase* frame = surface.Frame(doc->Frame())) {
            surface.Flush();
            last = frame->Output()->document()->lastBlock().previous().text().toStdString();
        }
    const double seconds = server.Seconds();
    std::printf("ChannelFloodBench: %d messages in %.3f s, %.0f lines/s, peak memory %.1f MiB\n",
                kMessages, seconds, kMessages / seconds, zorl::bench::PeakMegabytes());
    std::printf("  last line shown: %s\n", last.c_str());
    return 0;
}
