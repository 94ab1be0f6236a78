// A channel of 10 000 nicks arriving as name replies through the real socket,
// the engine and the nick list pane (offscreen): the time from the first
// reply to the answer to a PING sent after them, and the peak memory.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "BenchServer.h"
#include "app/CZorlApp.h"
#include "session/ServerConnection.h"
#include "ui/ChildFrames.h"
#include "ui/ClientWindow.h"
#include "ui/NicksView.h"
#include "ui/QtWindowSurface.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir home;
    QDir::setCurrent(home.path());

    constexpr int kNicks = 10000;
    constexpr int kPerReply = 40;
    zorl::bench::BenchServer server;
    zorl::bench::WriteConfig(server.Port());
    std::string names;
    int lines = 0;
    for (int i = 0; i < kNicks; i += kPerReply) {
        names += ":bench 353 bench = #big :";
        for (int k = i; k < i + kPerReply && k < kNicks; ++k)
            names += std::string(k % 20 == 0  ? "@"
                                 : k % 7 == 0 ? "+"
                                              : "") +
                     "member" + std::to_string(k) + " ";
        names += "\r\n";
        ++lines;
    }
    names += ":bench 366 bench #big :End of /NAMES list.\r\n";
    ++lines;
    server.Run(zorl::bench::Greeting("#big"), names);

    zorl::ui::ClientWindow client;
    client.Start();
    zorl::CZorlApp& app = client.App();
    zorl::ui::QtWindowSurface& surface = client.Surface();
    app.Connection().OnButtonConnect();
    zorl::bench::RunUntilDone(server);

    if (!server.Answered()) {
        std::printf("NickListBench: no answer to the PING\n");
        return 1;
    }
    int shown = -1;
    double refreshMs = -1;
    if (zorl::CZorlDoc* doc = app.registry.GetChannelDoc("#big"))
        if (zorl::ui::CChildFrameBase* frame = surface.Frame(doc->Frame());
            frame && frame->Nicks()) {
            surface.Flush();
            shown = frame->Nicks()->Model().rowCount();
            // The answer to the PING may leave before the pane's one refresh;
            // its cost on its own:
            QElapsedTimer timer;
            timer.start();
            frame->Nicks()->Refresh();
            refreshMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        }
    const double seconds = server.Seconds();
    std::printf(
        "NickListBench: %d nicks in %d lines in %.3f s, %.0f lines/s (%.0f nicks/s), "
        "peak memory %.1f MiB, %d nicks shown; one refresh of the pane %.1f ms\n",
        kNicks, lines, seconds, lines / seconds, kNicks / seconds, zorl::bench::PeakMegabytes(),
        shown, refreshMs);
    return 0;
}
