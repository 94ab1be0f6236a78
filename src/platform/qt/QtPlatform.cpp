#include "platform/qt/QtPlatform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <chrono>

#include "platform/qt/QtCrypto.h"
#include "platform/qt/QtSecretStore.h"
#include "platform/qt/QtSocket.h"
#include "platform/qt/QtText.h"
#include "platform/qt/QtTlsSocket.h"
#include "storage/SqliteHistory.h"

namespace zorl::qt {
namespace {

class QtSocketFactory : public ISocketFactory {
public:
    std::unique_ptr<IAsyncSocket> NewSocket() override { return std::make_unique<QtSocket>(); }
    std::unique_ptr<IAsyncSocket> NewTlsSocket() override {
        return std::make_unique<QtTlsSocket>();
    }
};

class QtClock : public IClock {
public:
    std::time_t Now() const override { return std::time(nullptr); }
    uint64_t TickCount() const override {
        using namespace std::chrono;
        return static_cast<uint64_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    void Sleep(int milliseconds) override {
        if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
    }
};

class QtTicker : public ITicker {
public:
    QtTicker() {
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
            // A copy: the tick may Start() the ticker again, replacing it.
            auto tick = on_tick_;
            if (tick) tick();
        });
    }
    int Start(int periodMs, std::function<void()> onTick) override {
        on_tick_ = std::move(onTick);
        timer_.start(periodMs > 0 ? periodMs : 100);
        return 1;
    }
    void Stop() override { timer_.stop(); }

private:
    QTimer timer_;
    std::function<void()> on_tick_;
};

// Plays through the desktop's command-line player, when there is one.
class QtSound : public ISound {
public:
    bool PlayWave(const std::string& path) override {
        const QString file = QFile::decodeName(QByteArray::fromStdString(path));
        if (!QFileInfo(file).isFile()) return false;
        for (const char* player : {"pw-play", "paplay", "aplay"}) {
            QString program = QStandardPaths::findExecutable(QString::fromLatin1(player));
            if (program.isEmpty()) continue;
            QProcess process;
            process.setProgram(program);
            process.setArguments({file});
            process.setStandardOutputFile(QProcess::nullDevice());
            process.setStandardErrorFile(QProcess::nullDevice());
            return process.startDetached();
        }
        return false;
    }
    void Beep() override {
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::beep();
    }
};

class QtShell : public IShell {
public:
    bool Open(const std::string& target) override {
        // An existing file is opened as a file; anything else is read the
        // way a browser's address bar reads it ("www.x.org" is a web link).
        QUrl url = QUrl::fromUserInput(DecodeText(target), QDir::currentPath());
        return url.isValid() && QDesktopServices::openUrl(url);
    }
    bool Execute(const std::string& program, const std::vector<std::string>& arguments) override {
        if (program.empty()) return false;
        QStringList list;
        for (const std::string& argument : arguments) list << DecodeText(argument);
        return QProcess::startDetached(QFile::decodeName(QByteArray::fromStdString(program)), list,
                                       QDir::currentPath());
    }
};

}  // namespace

struct QtPlatformServices::Impl {
    QtSocketFactory sockets;
    QtClock clock;
    QtTicker ticker;
    QtSound sound;
    QtShell shell;
    QtCrypto crypto;
    QtSecretStore secrets;
    // Stored lines go to disk a moment after the first of them, in slices,
    // so that a flood is written after it rather than during it.
    CSqliteHistory history{[this] { WriteHistoryIn(kHistoryDelayMs); }};
    static constexpr int kHistoryDelayMs = 250;
    void WriteHistoryIn(int ms) {
        QTimer::singleShot(ms, &history_timers, [this] {
            if (history.FlushSome(CSqliteHistory::kSlice) > 0) WriteHistoryIn(0);
        });
    }
    QObject history_timers;
};

QtPlatformServices::QtPlatformServices() : impl_(std::make_unique<Impl>()) {}
QtPlatformServices::~QtPlatformServices() = default;

ISocketFactory& QtPlatformServices::Sockets() { return impl_->sockets; }
IClock& QtPlatformServices::Clock() { return impl_->clock; }
ITicker& QtPlatformServices::Ticker() { return impl_->ticker; }
ISound& QtPlatformServices::Sound() { return impl_->sound; }
IShell& QtPlatformServices::Shell() { return impl_->shell; }
ICrypto& QtPlatformServices::Crypto() { return impl_->crypto; }
ISecretStore& QtPlatformServices::Secrets() { return impl_->secrets; }
IHistoryStore& QtPlatformServices::History() { return impl_->history; }

}  // namespace zorl::qt
