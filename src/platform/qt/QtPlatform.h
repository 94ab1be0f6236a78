// The Qt implementations of the platform interfaces, bundled for main().
// The window surface and the dialogs are not here: they are the widgets'
// (src/ui).
#pragma once

#include <memory>

#include "platform/Clock.h"
#include "platform/Crypto.h"
#include "platform/History.h"
#include "platform/Secrets.h"
#include "platform/Shell.h"
#include "platform/Socket.h"

namespace zorl::qt {

class QtPlatformServices {
public:
    QtPlatformServices();
    ~QtPlatformServices();

    ISocketFactory& Sockets();
    IClock& Clock();
    ITicker& Ticker();
    ISound& Sound();
    IShell& Shell();
    ICrypto& Crypto();
    ISecretStore& Secrets();
    IHistoryStore& History();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zorl::qt
