// 1 GiB by DCC over loopback, between zorl and irssi in both directions,
// between two zorl processes and between two irssi processes, beside a plain
// socket copy of the same file on the same machine. Each figure is the
// median of several runs in MB/s (10^6 bytes per second), from the offer
// being typed to the received file holding every byte; every received file
// is compared with the original. The files live in a temporary folder that
// is removed at the end, also after Ctrl-C.
//
// zorl runs as the user runs it, widgets and all (offscreen), answering its
// DCC questions with Accept; the second zorl is this program again, in a
// process and a folder of its own.
//
//   DccTransferBench [runs [pair]]   (3 runs of every pair when not given;
//                                     a pair is chosen by part of its name)
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <thread>
#include <vector>

#include "IrssiPeer.h"
#include "NgircdServer.h"
#include "app/CZorlApp.h"
#include "config/Settings.h"
#include "platform/qt/QtPlatform.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"
#include "support/HeadlessHost.h"
#include "ui/MainFrame.h"
#include "ui/QtWindowSurface.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using test::IrssiPeer;
using test::NgircdServer;

constexpr std::uint64_t kSize = 1ull << 30;
constexpr int kTransferTimeoutMs = 600000;
constexpr const char* kChannel = "#bench";

volatile std::sig_atomic_t g_interrupted = 0;

// ---- Files ---------------------------------------------------------------------

// Pseudo-random bytes: nothing along the way can make them smaller.
bool WritePayload(const fs::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<std::uint64_t> block(1 << 17);  // 1 MiB
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    for (std::uint64_t written = 0; written < kSize && out; written += block.size() * 8) {
        for (std::uint64_t& word : block) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = state;
        }
        out.write(reinterpret_cast<const char*>(block.data()),
                  static_cast<std::streamsize>(block.size() * 8));
    }
    return static_cast<bool>(out);
}

std::uint64_t FileSize(const fs::path& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    return error ? 0 : size;
}

bool SameContent(const fs::path& a, const fs::path& b) {
    if (FileSize(a) != FileSize(b)) return false;
    std::ifstream left(a, std::ios::binary), right(b, std::ios::binary);
    std::vector<char> x(1 << 20), y(1 << 20);
    while (left && right) {
        left.read(x.data(), static_cast<std::streamsize>(x.size()));
        right.read(y.data(), static_cast<std::streamsize>(y.size()));
        if (left.gcount() != right.gcount() ||
            std::memcmp(x.data(), y.data(), static_cast<std::size_t>(left.gcount())) != 0)
            return false;
    }
    return left.eof() && right.eof();
}

// ---- Waiting ---------------------------------------------------------------------

// Runs the event loop until `done`, Ctrl-C or the time-out. The pulse keeps
// the condition looked at every 2 ms even when nothing else happens.
bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    QTimer pulse;
    pulse.start(2);
    while (!done()) {
        if (g_interrupted || Clock::now() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// ---- The plain copy -------------------------------------------------------------

// The same bytes from file to socket to file, on two threads, with nothing
// in between: what this machine's loopback and page cache allow.
std::optional<double> PlainCopy(const fs::path& source, const fs::path& target) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener >= 0) ::close(listener);
        return std::nullopt;
    }
    const Clock::time_point start = Clock::now();
    std::thread sender([&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int file = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            std::vector<char> buffer(1 << 18);
            ssize_t n;
            while ((n = ::read(file, buffer.data(), buffer.size())) > 0) {
                for (ssize_t sent = 0; sent < n;) {
                    const ssize_t m = ::send(fd, buffer.data() + sent,
                                             static_cast<std::size_t>(n - sent), MSG_NOSIGNAL);
                    if (m <= 0) break;
                    sent += m;
                }
            }
        }
        ::close(file);
        ::close(fd);
    });
    const int peer = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    const int file = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    std::vector<char> buffer(1 << 18);
    ssize_t n;
    while (peer >= 0 && (n = ::recv(peer, buffer.data(), buffer.size(), 0)) > 0)
        if (::write(file, buffer.data(), static_cast<std::size_t>(n)) != n) break;
    ::close(file);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    sender.join();
    if (peer >= 0) ::close(peer);
    ::close(listener);
    return seconds;
}

// ---- zorl ------------------------------------------------------------------------

// The client in the working directory, set up for the private server. Only
// the dialogs are not Qt's: every DCC question is answered with Accept.
class BenchZorl {
public:
    BenchZorl(uint16_t port, const std::string& nick) {
        std::ofstream ini("zorl.ini", std::ios::binary);
        ini << "[USER]\r\nNick=" << nick << "\r\nUser=" << nick << "\r\nRealName=Bench\r\n"
            << "[SERVER]\r\nAddress=127.0.0.1\r\nName=bench\r\nPorts=" << port
            << "\r\nPassword=" << NgircdServer::kPassword << "\r\n";
        ini.close();
        surface_.Attach(app_);
        app_.InitInstance();
        main_.show();
        QObject::connect(&answerer_, &QTimer::timeout, [this] { AnswerQuestions(); });
        answerer_.start(5);
    }

    CZorlApp& App() { return app_; }

    bool Join(const std::string& channel) {
        app_.Connection().OnButtonConnect();
        return RunUntil([&] { return app_.Connection().Registered(); }, 10000) &&
               Type("", "/join " + channel) &&
               RunUntil([&] { return test::FrameOf(app_, channel) != 0; }, 10000);
    }
    // As the input line of `window` hands a line over.
    bool Type(const std::string& window, const std::string& line) {
        const FrameId frame = test::FrameOf(app_, window);
        CZorlDoc* doc = frame ? app_.registry.DocOf(frame) : nullptr;
        if (doc) doc->ExecuteLine(line);
        return doc != nullptr;
    }
    // Offers `path` to `nick` as "/DCC nick SEND" with the file chosen.
    bool Offer(const std::string& channel, const std::string& nick, const fs::path& path) {
        dialogs_.fileAnswers.push_back(path.string());
        return Type(channel, "/dcc " + nick + " send");
    }
    // No file transfer of this client has its connection open.
    bool TransfersClosed() const {
        for (const ChannelRecord& record : app_.registry.Records())
            if (record.type == kWindowDccSend && record.socket && record.socket->connected)
                return false;
        return true;
    }
    std::string Windows() const {
        std::string text;
        for (const ChannelRecord& record : app_.registry.Records()) {
            text += "  window " + record.name + " (type " + std::to_string(record.type) + ")";
            if (record.socket) text += record.socket->connected ? ", connected" : ", not connected";
            text +=
                ", " + std::to_string(record.socket ? record.socket->transferred : 0) + " bytes\n";
        }
        return text;
    }

private:
    void AnswerQuestions() {
        using Question = test::PresetDialogs::DccQuestion;
        while (!dialogs_.dccQuestions.empty()) {
            switch (dialogs_.dccQuestions.front().kind) {
                case Question::kChat: dialogs_.AnswerChat(DccAnswer::Accept); break;
                case Question::kFile: dialogs_.AnswerFile(DccAnswer::Accept); break;
                case Question::kOverwrite: dialogs_.AnswerOverwrite(OverwriteAnswer::Ok); break;
            }
        }
    }

    qt::QtPlatformServices services_;
    ui::CMainFrame main_;
    ui::QtWindowSurface surface_{main_};
    test::PresetDialogs dialogs_;
    test::MemorySecrets secrets_;  // never the desktop's keyring
    Platform platform_{services_.Sockets(),
                       services_.Clock(),
                       services_.Ticker(),
                       services_.Sound(),
                       services_.Shell(),
                       dialogs_,
                       surface_,
                       services_.Crypto(),
                       secrets_,
                       services_.History()};
    CZorlApp app_{platform_};
    QTimer answerer_;
};

// The second zorl: this program started again with "--zorl", in a folder of
// its own, where its download/ receives.
class ZorlProcess {
public:
    ZorlProcess(const NgircdServer& server, const std::string& nick) : nick_(nick) {
        process_.setWorkingDirectory(QString::fromStdString(folder_.Path().string()));
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(QCoreApplication::applicationFilePath(),
                       {"--zorl", QString::number(server.Port()), QString::fromStdString(nick)});
    }
    ~ZorlProcess() {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    const std::string& Nick() const { return nick_; }
    fs::path Downloads() const { return folder_.Path() / "download"; }
    std::string Output() { return process_.readAll().toStdString(); }

private:
    test::TempDir folder_{"zorl-dccbench-peer"};
    std::string nick_;
    QProcess process_;
};

// What the second zorl does: joins, accepts whatever it is offered, and
// ends on SIGTERM.
int RunZorlPeer(uint16_t port, const std::string& nick) {
    BenchZorl zorl(port, nick);
    if (!zorl.Join(kChannel)) {
        std::printf("zorl peer %s: could not join %s\n", nick.c_str(), kChannel);
        return 1;
    }
    RunUntil([] { return false; }, 24 * 3600 * 1000);
    return 0;
}

// ---- DCC transfers ---------------------------------------------------------------

// One direction between two clients: how to offer the file, where the
// receiver puts it, and when both sides are done with it.
struct Transfer {
    std::function<bool()> offer;
    fs::path received;
    std::function<bool()> finished;
    std::function<std::string()> diagnostics;
};

std::optional<double> RunTransfer(const fs::path& source, const Transfer& transfer) {
    std::error_code ignored;
    fs::remove(transfer.received, ignored);
    const Clock::time_point start = Clock::now();
    if (!transfer.offer()) {
        std::printf("    the offer could not be made\n%s", transfer.diagnostics().c_str());
        return std::nullopt;
    }
    if (!RunUntil([&] { return FileSize(transfer.received) >= kSize; }, kTransferTimeoutMs)) {
        std::printf("    incomplete: %llu of %llu bytes\n%s",
                    static_cast<unsigned long long>(FileSize(transfer.received)),
                    static_cast<unsigned long long>(kSize), transfer.diagnostics().c_str());
        return std::nullopt;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    // Both ends close before the file is looked at or the next run starts.
    if (!RunUntil(transfer.finished, 30000)) {
        std::printf("    the transfer did not end\n%s", transfer.diagnostics().c_str());
        return std::nullopt;
    }
    const bool same = SameContent(source, transfer.received);
    fs::remove(transfer.received, ignored);
    if (!same) {
        std::printf("    the received file differs from the original\n");
        return std::nullopt;
    }
    return seconds;
}

// irssi sending to irssi, with irssi's own settings for DCC.
Transfer IrssiToIrssi(const fs::path& source, IrssiPeer& from, IrssiPeer& to) {
    const std::size_t sentBefore = Count(from.Log(), "DCC sent file");
    const std::size_t receivedBefore = Count(to.Log(), "DCC received file");
    return {[&from, &to, source] {
                return from.Type("/dcc send " + to.Nick() + " " + source.string());
            },
            to.Downloads() / source.filename(),
            [&from, &to, sentBefore, receivedBefore] {
                return Count(from.Log(), "DCC sent file") > sentBefore &&
                       Count(to.Log(), "DCC received file") > receivedBefore;
            },
            [&from, &to] { return from.Transcript() + to.Transcript(); }};
}

Transfer ZorlToIrssi(const fs::path& source, BenchZorl& from, IrssiPeer& to) {
    const std::size_t receivedBefore = Count(to.Log(), "DCC received file");
    return {[&from, &to, source] { return from.Offer(kChannel, to.Nick(), source); },
            to.Downloads() / source.filename(),
            [&from, &to, receivedBefore] {
                return from.TransfersClosed() &&
                       Count(to.Log(), "DCC received file") > receivedBefore;
            },
            [&from, &to] { return from.Windows() + to.Transcript(); }};
}

Transfer IrssiToZorl(const fs::path& source, IrssiPeer& from, BenchZorl& to,
                     const fs::path& downloads) {
    const std::size_t sentBefore = Count(from.Log(), "DCC sent file");
    return {[&from, &to, source] {
                return from.Type("/dcc send " + to.App().settings.m_user_mynick + " " +
                                 source.string());
            },
            downloads / source.filename(),
            [&from, &to, sentBefore] {
                return to.TransfersClosed() && Count(from.Log(), "DCC sent file") > sentBefore;
            },
            [&from, &to] { return from.Transcript() + to.Windows(); }};
}

Transfer ZorlToZorl(const fs::path& source, BenchZorl& from, ZorlProcess& to) {
    return {[&from, &to, source] { return from.Offer(kChannel, to.Nick(), source); },
            to.Downloads() / source.filename(), [&from] { return from.TransfersClosed(); },
            [&from, &to] { return from.Windows() + to.Output(); }};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int Run(int runs, const std::string& only) {
    test::TempDir folder("zorl-dccbench");
    const fs::path source = folder.Path() / "payload.bin";
    if (folder.Path().empty() || !WritePayload(source)) {
        std::printf("DccTransferBench: cannot write the 1 GiB payload\n");
        return 1;
    }
    NgircdServer server;
    if (!server.Running()) {
        std::printf("DccTransferBench: %s\n", server.Failure().c_str());
        return 1;
    }
    IrssiPeer irssiA(server, "irssia", std::string("/join ") + kChannel);
    IrssiPeer irssiB(server, "irssib", std::string("/join ") + kChannel);
    for (const IrssiPeer* peer : {&irssiA, &irssiB}) {
        if (!peer->Running()) {
            std::printf("DccTransferBench: %s\n", peer->Failure().c_str());
            return 1;
        }
    }
    test::TempWorkDir zorlFolder;
    BenchZorl zorlA(server.Port(), "zorla");
    ZorlProcess zorlB(server, "zorlb");
    if (!zorlA.Join(kChannel) || !RunUntil(
                                     [&] {
                                         CZorlDoc* doc =
                                             zorlA.App().registry.GetChannelDoc(kChannel);
                                         return doc && doc->NickFlags("zorlb") != kNickAbsent;
                                     },
                                     10000)) {
        std::printf("DccTransferBench: the two zorls did not meet in %s\n%s%s", kChannel,
                    zorlA.Windows().c_str(), zorlB.Output().c_str());
        return 1;
    }

    using Pair = std::pair<std::string, std::function<std::optional<double>()>>;
    const std::vector<Pair> pairs = {
        {"plain socket copy", [&] { return PlainCopy(source, folder.Path() / "copy.bin"); }},
        {"zorl -> irssi", [&] { return RunTransfer(source, ZorlToIrssi(source, zorlA, irssiA)); }},
        {"irssi -> zorl",
         [&] {
             return RunTransfer(source,
                                IrssiToZorl(source, irssiA, zorlA, zorlFolder.Path() / "download"));
         }},
        {"zorl -> zorl", [&] { return RunTransfer(source, ZorlToZorl(source, zorlA, zorlB)); }},
        {"irssi -> irssi",
         [&] { return RunTransfer(source, IrssiToIrssi(source, irssiA, irssiB)); }},
    };
    std::map<std::string, std::vector<double>> rates;
    bool failed = false;
    for (int run = 1; run <= runs && !g_interrupted; ++run) {
        for (const auto& [name, transfer] : pairs) {
            if (g_interrupted) break;
            if (name.find(only) == std::string::npos) continue;
            // Every run starts with the page cache written back, not behind
            // the previous run's gigabyte.
            ::sync();
            const std::optional<double> seconds = transfer();
            if (!seconds) {
                std::printf("  run %d, %s: failed\n", run, name.c_str());
                failed = true;
                continue;
            }
            rates[name].push_back(static_cast<double>(kSize) / 1e6 / *seconds);
            std::printf("  run %d, %-18s %8.1f MB/s  (%.2f s)\n", run, name.c_str(),
                        rates[name].back(), *seconds);
            std::fflush(stdout);
        }
    }
    std::error_code ignored;
    fs::remove(folder.Path() / "copy.bin", ignored);

    std::printf("DccTransferBench: 1 GiB over loopback, median of %d runs, MB/s\n", runs);
    for (const auto& [name, transfer] : pairs) {
        (void)transfer;
        const auto& values = rates[name];
        if (name.find(only) == std::string::npos) continue;
        if (values.empty()) {
            std::printf("  %-18s        -\n", name.c_str());
        } else {
            std::printf("  %-18s %8.1f  (%.1f to %.1f)\n", name.c_str(), Median(values),
                        *std::min_element(values.begin(), values.end()),
                        *std::max_element(values.begin(), values.end()));
        }
    }
    return failed || g_interrupted ? 1 : 0;
}

}  // namespace
}  // namespace zorl::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // Ctrl-C ends the waits, so the peers stop and the folder goes.
    std::signal(SIGINT, [](int) { zorl::bench::g_interrupted = 1; });
    std::signal(SIGTERM, [](int) { zorl::bench::g_interrupted = 1; });
    if (argc == 4 && std::string(argv[1]) == "--zorl")
        return zorl::bench::RunZorlPeer(static_cast<uint16_t>(std::atoi(argv[2])), argv[3]);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    return zorl::bench::Run(runs, argc > 2 ? argv[2] : "");
}
