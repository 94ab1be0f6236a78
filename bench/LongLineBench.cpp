// One 50 KB line of mixed-direction text (Latin, Hebrew and Arabic words)
// shown in a channel pane of the real widgets: the time from printing it to
// the pane having laid it out and painted, with and without the
// conversation view, a paste or a DCC chat can bring such a line.
//
//   LongLineBench [kilobytes]     (default 50)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchServer.h"
#include "app/CZorlApp.h"
#include "config/Settings.h"
#include "session/ServerConnection.h"
#include "ui/ChildFrames.h"
#include "ui/ClientWindow.h"
#include "ui/QtWindowSurface.h"
#include "ui/ZorlView.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace {

std::string MixedText(std::size_t bytes) {
    const char* words[] = {"hello ", "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d ",
                           "world ", "\xd9\x85\xd8\xb1\xd8\xad\xd8\xa8\xd8\xa7 ",
                           "123 ",   "\xd7\xa2\xd7\x95\xd7\x9c\xd7\x9d "};
    std::string text = "<visitor> ";
    for (std::size_t i = 0; text.size() < bytes; ++i) text += words[i % 6];
    return text;
}

double ShowOnce(zorl::ui::ClientWindow& client, const std::string& window,
                const std::string& text) {
    zorl::CZorlApp& app = client.App();
    zorl::ui::QtWindowSurface& surface = client.Surface();
    const zorl::ChannelRecord* record = app.registry.FindCR(window, app.Connection().Socket());
    zorl::ui::CChildFrameBase* frame = surface.Frame(record->frame);
    QElapsedTimer clock;
    clock.start();
    app.output.Print(app.Connection().Socket(), window, zorl::Cls::Normal, text);
    surface.Flush();
    frame->Output()->viewport()->repaint();
    QApplication::processEvents();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    std::printf("  the pane holds %d characters in %d lines\n",
                frame->Output()->document()->characterCount(),
                frame->Output()->document()->lineCount());
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir home;
    QDir::setCurrent(home.path());
    const std::size_t kilobytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 50;
    zorl::bench::WriteConfig(0, "TimeStamp=1\r\n");

    zorl::ui::ClientWindow client;
    client.Start();
    zorl::CZorlApp& app = client.App();
    const std::string text = MixedText(kilobytes * 1024);
    for (int columns : {0, 1}) {
        app.settings.ConversationView = columns;
        const std::string window = columns ? "#columns" : "#plain";
        app.registry.NewWindow(window, zorl::kWindowChannel, app.Connection().Socket(), true);
        QApplication::processEvents();
        const double ms = ShowOnce(client, window, text);
        std::printf("LongLineBench: %zu KB mixed-direction line, %s: %.1f ms\n", kilobytes,
                    columns ? "conversation view" : "plain view", ms);
    }
    return 0;
}
