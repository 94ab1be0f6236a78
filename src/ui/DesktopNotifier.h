// Desktop notifications through the freedesktop Notifications service on
// the session bus (what GNOME, KDE, dunst and the others provide). The
// calls are asynchronous: a desktop without the service costs nothing but a
// failed call. Choosing a notification calls `onChosen` with its frame.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <unordered_map>

#include "common/SharedTypes.h"

namespace zorl::ui {

class CDesktopNotifier : public QObject {
    Q_OBJECT

public:
    explicit CDesktopNotifier(QObject* parent = nullptr);

    void Show(FrameId frame, const QString& title, const QString& body);

    std::function<void(FrameId)> onChosen;

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    bool connected_ = false;
    std::unordered_map<uint, FrameId> shown_;  // notification id -> frame
};

}  // namespace zorl::ui
