// The set of platform services one application object runs on. The real
// host (Qt) and the headless host of the tests both fill this in.
#pragma once

#include "platform/Clock.h"
#include "platform/Crypto.h"
#include "platform/Dialogs.h"
#include "platform/History.h"
#include "platform/Secrets.h"
#include "platform/Shell.h"
#include "platform/Socket.h"
#include "platform/WindowSurface.h"

namespace zorl {

struct Platform {
    ISocketFactory& sockets;
    IClock& clock;
    ITicker& ticker;
    ISound& sound;
    IShell& shell;
    IDialogs& dialogs;
    IWindowSurface& surface;
    ICrypto& crypto;
    ISecretStore& secrets;
    IHistoryStore& history;
};

}  // namespace zorl
