#include "ui/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace zorl::ui {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// The service keeps at most this many of ours in mind; older ones are
// forgotten when it never said they closed.
constexpr std::size_t kRemembered = 64;

}  // namespace

CDesktopNotifier::CDesktopNotifier(QObject* parent) : QObject(parent) {}

void CDesktopNotifier::Show(FrameId frame, const QString& title, const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    if (!connected_) {
        bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                    SLOT(OnActionInvoked(uint, QString)));
        bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                    SLOT(OnClosed(uint, uint)));
        connected_ = true;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    // The body is plain text: a server's "<b>" must not become markup.
    QString plain = body.toHtmlEscaped();
    call << QStringLiteral("zorl") << uint(0) << QStringLiteral("zorl") << title << plain
         << QStringList{QStringLiteral("default"), QStringLiteral("Show")}
         << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("zorl")}} << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, frame](QDBusPendingCallWatcher* done) {
                QDBusPendingReply<uint> reply = *done;
                if (!reply.isError()) {
                    if (shown_.size() >= kRemembered) shown_.clear();
                    shown_[reply.value()] = frame;
                }
                done->deleteLater();
            });
}

void CDesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    auto it = shown_.find(id);
    if (it == shown_.end()) return;
    const FrameId frame = it->second;
    if (action == QLatin1String("default") && onChosen) onChosen(frame);
}

void CDesktopNotifier::OnClosed(uint id, uint) { shown_.erase(id); }

}  // namespace zorl::ui
