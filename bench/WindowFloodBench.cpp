// Windows opened by the server, through the real socket, the engine and the
// real widgets with the main window shown: private messages from as many
// different nicks (one query window each), then one JOIN line naming many
// channels. For each: the time from the first byte to the answer to a PING
// sent after it, the time per slice of windows (flat when a window costs the
// same at the last as at the first), the longest stall of the event loop
// and the resident memory.
//
//   WindowFloodBench [queries N] [join N]     (default: queries 5000 join 1500)
//
// Runs offscreen unless QT_QPA_PLATFORM says otherwise (xcb under Xvfb). The
// burst guard is off, so every message opens its window.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

#include "BenchServer.h"
#include "app/CZorlApp.h"
#include "session/ServerConnection.h"
#include "ui/ClientWindow.h"
#include "windows/WindowRegistry.h"

namespace {

struct Result {
    bool answered = false;
    double seconds = 0;
    double stallMs = 0;
    int windows = 0;
    std::vector<double> sliceSeconds;
};

std::string Flood(const std::string& kind, int count) {
    std::string flood;
    if (kind == "join") {
        flood = ":bench!bench@localhost JOIN ";
        for (int i = 0; i < count; ++i) flood += (i ? ",#chan" : "#chan") + std::to_string(i);
        return flood + "\r\n";
    }
    flood.reserve(static_cast<std::size_t>(count) * 80);
    for (int i = 0; i < count; ++i)
        flood += ":visitor" + std::to_string(i) + "!user@host.example PRIVMSG bench :hello " +
                 "number " + std::to_string(i) + "\r\n";
    return flood;
}

Result Run(const std::string& kind, int count) {
    QTemporaryDir home;
    QDir::setCurrent(home.path());
    zorl::bench::BenchServer server;
    zorl::bench::WriteConfig(server.Port());
    std::ofstream(home.filePath("zorl.ini").toStdString(), std::ios::app | std::ios::binary)
        << "WindowFlood=0\r\n";
    server.Run(zorl::bench::Greeting("#home"), Flood(kind, count));

    Result result;
    zorl::ui::ClientWindow client;
    client.Start();
    zorl::CZorlApp& app = client.App();
    const int slice = std::max(count / 10, 1);
    const std::size_t before = 2;  // the status window and #home
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 sliceStart = -1;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        result.stallMs = std::max(result.stallMs, static_cast<double>(now - last));
        last = now;
        const int opened = static_cast<int>(app.registry.Records().size() - before);
        if (opened > 0 && sliceStart < 0) sliceStart = now;
        while (sliceStart >= 0 &&
               opened >= slice * (static_cast<int>(result.sliceSeconds.size()) + 1) &&
               static_cast<int>(result.sliceSeconds.size()) < count / slice) {
            result.sliceSeconds.push_back(static_cast<double>(now - sliceStart) / 1000.0);
            sliceStart = now;
        }
    });
    clock.start();
    watch.start(5);
    app.Connection().OnButtonConnect();
    zorl::bench::RunUntilDone(server, 900000);
    watch.stop();
    result.answered = server.Answered();
    result.seconds = server.Seconds();
    result.windows = static_cast<int>(app.registry.Records().size() - before);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::vector<std::pair<std::string, int>> runs;
    for (int i = 1; i + 1 < argc; i += 2) runs.emplace_back(argv[i], std::atoi(argv[i + 1]));
    if (runs.empty()) runs = {{"queries", 5000}, {"join", 1500}};

    int failed = 0;
    for (const auto& [kind, count] : runs) {
        const Result r = Run(kind, count);
        if (!r.answered) {
            std::printf("WindowFloodBench %s %d: no answer to the PING\n", kind.c_str(), count);
            ++failed;
            continue;
        }
        std::printf(
            "WindowFloodBench %s %d: %d windows in %.3f s, longest stall %.0f ms, "
            "resident %.1f MiB (peak %.1f MiB)\n  seconds per tenth:",
            kind.c_str(), count, r.windows, r.seconds, r.stallMs,
            zorl::bench::StatusMegabytes("VmRSS:"), zorl::bench::PeakMegabytes());
        for (double s : r.sliceSeconds) std::printf(" %.2f", s);
        std::printf("\n");
    }
    return failed ? 1 : 0;
}
