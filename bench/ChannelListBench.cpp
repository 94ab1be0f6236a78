// 50 000 entries of a channel list (322) through the real socket, the whole
// engine and the real widgets (offscreen): the time from the list's first
// byte to the client's answer to a PING sent after it, and the peak memory.
// Every entry is a numeric reply shown through a template in the "~list"
// window, so this is the path of the engine's numeric table and formatting;
// with "--browser" the entries fill the channel browser's table instead.
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

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir home;
    QDir::setCurrent(home.path());

    constexpr int kEntries = 50000;
    zorl::bench::BenchServer server;
    const bool browser = argc > 1 && std::string(argv[1]) == "--browser";
    zorl::bench::WriteConfig(server.Port(), browser ? "ChannelBrowser=1\r\n" : "");
    std::string list = ":bench 321 bench Channel :Users  Name\r\n";
    list.reserve(kEntries * 80);
    for (int i = 0; i < kEntries; ++i)
        list += ":bench 322 bench #chan" + std::to_string(i) + " " + std::to_string(3 + i % 400) +
                " :list topic " + std::to_string(i) + " about assorted things and stuff\r\n";
    list += ":bench 323 bench :End of /LIST\r\n";
    server.Run(zorl::bench::Greeting("#bench"), list);

    zorl::ui::ClientWindow client;
    client.Start();
    zorl::CZorlApp& app = client.App();
    zorl::ui::QtWindowSurface& surface = client.Surface();
    app.Connection().OnButtonConnect();
    zorl::bench::RunUntilDone(server);

    if (!server.Answered()) {
        std::printf("ChannelListBench: no answer to the PING\n");
        return 1;
    }
    std::string last = "(no list window)";
    if (const zorl::ChannelRecord* record = app.registry.FindCR("~list", nullptr))
        if (zorl::ui::CChildFrameBase* frame = surface.Frame(record->frame)) {
            surface.Flush();
            last = frame->Output()->document()->lastBlock().previous().text().toStdString();
        }
    const double seconds = server.Seconds();
    std::printf("ChannelListBench: %d entries in %.3f s, %.0f entries/s, peak memory %.1f MiB\n",
                kEntries, seconds, kEntries / seconds, zorl::bench::PeakMegabytes());
    std::printf("  last line shown: %s\n", last.c_str());
    return 0;
}
