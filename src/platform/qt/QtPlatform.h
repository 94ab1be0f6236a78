// The Qt implementations of the platform interfaces, bundled for main().
// The window surface is not here: it is the main window's (src/ui).
#pragma once

#include <memory>

#include "platform/Clock.h"
#include "platform/Crypto.h"
#include "platform/Dialogs.h"
#include "platform/Secrets.h"
#include "platform/Shell.h"
#include "platform/Socket.h"

class QWidget;

namespace zorl::qt {

class QtPlatformServices {
public:
    QtPlatformServices();
    ~QtPlatformServices();

    // Dialogs are parented to this widget once the main window exists.
    void SetDialogParent(QWidget* parent);

    ISocketFactory& Sockets();
    IClock& Clock();
    ITicker& Ticker();
    ISound& Sound();
    IShell& Shell();
    IDialogs& Dialogs();
    ICrypto& Crypto();
    ISecretStore& Secrets();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zorl::qt
