// Several networks in one client, through the real sockets, the whole engine
// and the real widgets (offscreen):
//
//   fill      10 networks (one scripted server each), 50 channels each with
//             100 nicks and 1,000 lines of 90 characters: the resident memory
//             before and after, and what one idle channel window costs.
//   ping      nine of them flooded at once while the tenth is sent a PING:
//             the time until the tenth answers.
//   reconnect one network with 1,500 channel windows drops; the time the
//             client takes to take the drop in, and from Connect until the
//             server has the new connection; the peak memory.
//
//   NetworksBench [networks N] [channels N] [lines N] [reconnect N]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include <malloc.h>

#include "BenchServer.h"
#include "app/CZorlApp.h"
#include "session/Networks.h"
#include "session/ServerConnection.h"
#include "ui/ClientWindow.h"
#include "ui/QtWindowSurface.h"
#include "windows/WindowRegistry.h"

namespace {

using Clock = std::chrono::steady_clock;

// A scripted server that runs its steps one after the other: each step's
// text, then a PING whose PONG ends the step. A step waits until Release
// lets it go; the step kClose closes the connection and waits for the next
// one to be registered.
class StepServer {
public:
    static constexpr const char* kClose = "close";

    StepServer() { listen_ = zorl::bench::ListenOnLoopback(2, port_); }
    ~StepServer() {
        stop_ = true;
        ::shutdown(listen_, SHUT_RDWR);
        if (client_ >= 0) ::shutdown(client_, SHUT_RDWR);
        if (thread_.joinable()) thread_.join();
        if (client_ >= 0) ::close(client_);
        ::close(listen_);
    }

    int Port() const { return port_; }

    void Run(std::vector<std::string> steps) {
        done_ = std::make_unique<std::atomic<bool>[]>(steps.size());
        seconds_.assign(steps.size(), 0);
        thread_ = std::thread([this, steps = std::move(steps)] {
            if (!Accept()) return;
            for (std::size_t i = 0; i < steps.size(); ++i) {
                while (released_ <= static_cast<int>(i) && !stop_)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                if (stop_) return;
                const auto start = Clock::now();
                if (steps[i] == kClose) {
                    ::shutdown(client_, SHUT_RDWR);
                    ::close(client_);
                    client_ = -1;
                    if (!Accept()) return;
                } else {
                    SendAll(steps[i] + "PING :step\r\n");
                    if (!ReadUntil("PONG")) return;
                }
                seconds_[i] = std::chrono::duration<double>(Clock::now() - start).count();
                done_[i] = true;
            }
        });
    }
    void Release(int steps) { released_ = steps; }
    bool Done(int step) const { return done_[static_cast<std::size_t>(step)]; }
    // Read once Done(step) is true.
    double Seconds(int step) const { return seconds_[static_cast<std::size_t>(step)]; }

private:
    bool Accept() {
        client_ = ::accept(listen_, nullptr, nullptr);
        return client_ >= 0 && ReadUntil("USER ");
    }
    void SendAll(const std::string& data) {
        std::size_t sent = 0;
        while (sent < data.size()) {
            const ssize_t n = ::send(client_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += static_cast<std::size_t>(n);
        }
    }
    bool ReadUntil(const char* word) {
        char buffer[4096];
        while (received_.find(word) == std::string::npos) {
            const ssize_t n = ::recv(client_, buffer, sizeof buffer, 0);
            if (n <= 0) return false;
            received_.append(buffer, static_cast<std::size_t>(n));
        }
        received_.clear();
        return true;
    }

    int listen_ = -1;
    std::atomic<int> client_{-1};
    int port_ = 0;
    std::thread thread_;
    std::string received_;
    std::atomic<int> released_{1};
    std::atomic<bool> stop_{false};
    std::unique_ptr<std::atomic<bool>[]> done_;
    std::vector<double> seconds_;
};

// Resident memory once the allocator has given back what it holds free: the
// socket layer's read buffers of a flood are freed but would otherwise stay
// counted, and they are no window's.
double LiveMegabytes() {
    ::malloc_trim(0);
    return zorl::bench::StatusMegabytes("VmRSS:");
}

// The event loop runs until `done` or for `limitMs`.
bool RunUntil(const std::function<bool()>& done, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

std::string Welcome() { return ":bench 001 bench :Welcome\r\n:bench 376 bench :End of MOTD\r\n"; }

// The own JOIN of `channels` channels, their names and `lines` lines each.
std::string Channels(int channels, int nicks, int lines) {
    std::string text = ":bench!bench@localhost JOIN ";
    for (int c = 0; c < channels; ++c) text += (c ? ",#c" : "#c") + std::to_string(c);
    text += "\r\n";
    for (int c = 0; c < channels; ++c) {
        const std::string name = "#c" + std::to_string(c);
        std::string names = ":bench 353 bench = " + name + " :bench";
        for (int n = 0; n < nicks; ++n) names += " nick" + std::to_string(n);
        text += names + "\r\n:bench 366 bench " + name + " :End of NAMES list\r\n";
    }
    // 90 characters of text after the prefix.
    const std::string words(80, 'x');
    for (int l = 0; l < lines; ++l)
        for (int c = 0; c < channels; ++c)
            text += ":nick" + std::to_string(l % nicks) + "!u@h PRIVMSG #c" + std::to_string(c) +
                    " :" + words + " " + std::to_string(100000000 + l) + "\r\n";
    return text;
}

std::string Flood(int lines) {
    std::string text;
    for (int l = 0; l < lines; ++l)
        text += ":nick" + std::to_string(l % 50) + "!u@h PRIVMSG #c0 :flood line " +
                std::to_string(l) + " with a few words after it\r\n";
    return text;
}

void Connect(zorl::CZorlApp& app, std::size_t index, int port) {
    if (index == 0) {
        app.Connection().OnButtonConnect();
        return;
    }
    app.SendString(app.registry.pStatusFrm, "/newserver 127.0.0.1 " + std::to_string(port));
}

int FillAndPing(int networks, int channels, int lines) {
    QTemporaryDir home;
    QDir::setCurrent(home.path());
    std::vector<std::unique_ptr<StepServer>> servers;
    for (int i = 0; i < networks; ++i) servers.push_back(std::make_unique<StepServer>());
    zorl::bench::WriteConfig(servers[0]->Port());

    zorl::ui::ClientWindow client;
    client.Start();
    zorl::CZorlApp& app = client.App();
    // The first nine are flooded in their third step; the tenth only gets
    // its PING then.
    for (int i = 0; i < networks; ++i)
        servers[static_cast<std::size_t>(i)]->Run(
            {Welcome(), Channels(channels, 100, lines), i < networks - 1 ? Flood(20000) : ""});
    auto all = [&](int step) {
        for (auto& server : servers)
            if (!server->Done(step)) return false;
        return true;
    };
    for (int i = 0; i < networks; ++i)
        Connect(app, static_cast<std::size_t>(i), servers[static_cast<std::size_t>(i)]->Port());
    if (!RunUntil([&] { return all(0); }, 60000)) {
        std::printf("NetworksBench: not every network was greeted\n");
        return 1;
    }
    const double before = LiveMegabytes();
    for (auto& server : servers) server->Release(2);
    if (!RunUntil([&] { return all(1); }, 600000)) {
        std::printf("NetworksBench: the channels did not all arrive\n");
        return 1;
    }
    RunUntil([] { return false; }, 500);  // the last output is flushed
    const double after = LiveMegabytes();
    const int windows = networks * channels;
    // A window the user has looked at holds its lines in a text document; one
    // never looked at only queues them. Twenty more are looked at to tell
    // the two costs apart.
    zorl::ui::QtWindowSurface& surface = client.Surface();
    const int built = surface.BuiltCount();
    int looked = 0;
    for (const zorl::ChannelRecord& record : app.registry.Records()) {
        if (looked == 20) break;
        if (record.type != zorl::kWindowChannel || surface.BuiltFrame(record.frame)) continue;
        surface.Frame(record.frame);
        ++looked;
    }
    RunUntil([] { return false; }, 500);
    const double lookedAt = LiveMegabytes();
    const double builtExtra = (lookedAt - after) * 1024.0 / looked;  // KiB
    const double perWindow = (after - before) * 1024.0 / windows;
    const double idle = perWindow - built * builtExtra / windows;
    std::printf(
        "NetworksBench fill: %d networks, %d channel windows with 100 nicks and %d lines: "
        "resident %.1f MiB (%.1f before the channels), %.0f KiB per channel window on "
        "average; %d of them shown: %.0f KiB per idle window, %.0f KiB more per shown one\n",
        networks, windows, lines, after, before, perWindow, built, idle, builtExtra);

    for (auto& server : servers) server->Release(3);
    StepServer& quiet = *servers.back();
    if (!RunUntil([&] { return quiet.Done(2); }, 600000)) {
        std::printf("NetworksBench ping: no answer\n");
        return 1;
    }
    std::printf(
        "NetworksBench ping: network %d answered its PING in %.3f s while the other %d were "
        "flooded\n",
        networks, quiet.Seconds(2), networks - 1);
    RunUntil([&] { return all(2); }, 600000);
    return 0;
}

int Reconnect(int channels) {
    QTemporaryDir home;
    QDir::setCurrent(home.path());
    StepServer server;
    zorl::bench::WriteConfig(server.Port());
    server.Run({Welcome(), Channels(channels, 5, 0), StepServer::kClose});
    zorl::ui::ClientWindow client;
    client.Start();
    zorl::CZorlApp& app = client.App();
    app.Connection().OnButtonConnect();
    if (!RunUntil([&] { return server.Done(0); }, 20000)) return 1;
    server.Release(2);
    if (!RunUntil([&] { return server.Done(1); }, 600000)) return 1;
    RunUntil([] { return false; }, 300);

    QElapsedTimer clock;
    clock.start();
    server.Release(3);
    if (!RunUntil([&] { return app.Connection().State() == zorl::IDLE; }, 60000)) return 1;
    const qint64 dropMs = clock.elapsed();
    clock.restart();
    app.Connection().OnButtonConnect();
    if (!RunUntil([&] { return server.Done(2); }, 60000)) return 1;
    const qint64 connectMs = clock.elapsed();
    std::printf(
        "NetworksBench reconnect: %d channel windows: the drop taken in %lld ms, the new "
        "connection at the server %lld ms after Connect (200 of them the ident pause); "
        "peak %.1f MiB\n",
        channels, static_cast<long long>(dropMs), static_cast<long long>(connectMs),
        zorl::bench::PeakMegabytes());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    int networks = 10, channels = 50, lines = 1000, reconnect = 1500;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (key == "networks") networks = value;
        if (key == "channels") channels = value;
        if (key == "lines") lines = value;
        if (key == "reconnect") reconnect = value;
    }
    const int failed = FillAndPing(networks, channels, lines);
    return Reconnect(reconnect) + failed;
}
