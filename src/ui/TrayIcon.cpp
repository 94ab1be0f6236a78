#include "ui/TrayIcon.h"

#include <QPainter>

#include "app/CZorlApp.h"
#include "platform/qt/QtText.h"
#include "session/Networks.h"
#include "session/ServerConnection.h"
#include "ui/MainFrame.h"
#include "ui/ViewStyle.h"
#include "windows/WindowRegistry.h"
#include "windows/WindowServices.h"

namespace zorl::ui {
namespace {

// The application's icon with a dot of `colour` in its corner.
QIcon MarkedIcon(Colour colour) {
    const QIcon plain = AppIcon();
    if (colour == 0) return plain;
    QIcon marked;
    for (int size : {16, 32, 64}) {
        QPixmap pixmap = plain.pixmap(size, size);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::white, size / 16.0 + 0.5));
        painter.setBrush(ToQColor(colour));
        const qreal dot = size * 0.45;
        painter.drawEllipse(QRectF(size - dot - 1, 1, dot, dot));
        marked.addPixmap(pixmap);
    }
    return marked;
}

}  // namespace

CTrayIcon::CTrayIcon(CMainFrame& main, CZorlApp& app) : QObject(&main), main_(main), app_(app) {
    icon_.setIcon(AppIcon());
    icon_.setToolTip(QStringLiteral("zorl"));
    menu_.addAction(QStringLiteral("Show or hide zorl"), this, [this] { ToggleMain(); });
    networks_ = menu_.addMenu(QStringLiteral("Networks"));
    menu_.addSeparator();
    menu_.addAction(QStringLiteral("Quit"), &main_, [this] { main_.Quit(); });
    connect(&menu_, &QMenu::aboutToShow, this, [this] { FillNetworks(); });
    icon_.setContextMenu(&menu_);
    connect(&icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) ToggleMain();
            });
}

void CTrayIcon::SetShown(bool shown) {
    icon_.setVisible(shown && QSystemTrayIcon::isSystemTrayAvailable());
}

void CTrayIcon::SetMark(FrameId frame, Colour colour) {
    if (colour == 0)
        marks_.erase(frame);
    else
        marks_[frame] = colour;
    Update();
}

void CTrayIcon::Forget(FrameId frame) { SetMark(frame, 0); }

// A call outweighs any other news.
void CTrayIcon::Update() {
    Colour strongest = 0;
    for (const auto& [frame, colour] : marks_) {
        strongest = colour;
        if (colour == CWindowRegistry::kMention) break;
    }
    icon_.setToolTip(marks_.empty()
                         ? QStringLiteral("zorl")
                         : QStringLiteral("zorl: news in %1 windows").arg(marks_.size()));
    if (strongest == shown_mark_) return;
    shown_mark_ = strongest;
    icon_.setIcon(MarkedIcon(strongest));
}

void CTrayIcon::ToggleMain() {
    if (main_.isVisible() && !main_.isMinimized() && main_.isActiveWindow()) {
        main_.hide();
        return;
    }
    main_.showNormal();
    main_.raise();
    main_.activateWindow();
}

void CTrayIcon::FillNetworks() {
    networks_->clear();
    for (const auto& network : app_.networks.All()) {
        const CIrcSocket* socket = network->Socket();
        const QString name = qt::DecodeText(app_.NetworkOf(socket).name);
        networks_->addAction(name.isEmpty() ? QStringLiteral("(not connected)") : name, this,
                             [this, socket] {
                                 const FrameId status = app_.registry.StatusFrameOf(socket);
                                 main_.showNormal();
                                 main_.activateWindow();
                                 if (status) app_.registry.SetActiveWindow(status);
                             });
    }
}

}  // namespace zorl::ui
