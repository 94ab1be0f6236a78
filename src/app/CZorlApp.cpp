#include "app/CZorlApp.h"

namespace zorl {

CZorlApp::CZorlApp(Platform& host)
    : platform(host),
      ini(host.dialogs),
      registry(*this),
      logger(*this),
      output(*this),
      parser(*this),
      connection(*this),
      ident(*this),
      timers(*this),
      dispatcher(*this),
      numerics(*this),
      modes(*this),
      ctcp(*this),
      ignoreNotify(*this),
      expander(*this),
      interpreter(*this),
      aliases(*this),
      events(*this) {
    // The one server socket object, reused by every connection; the status
    // window is registered under it.
    pMainSocket = std::make_unique<CIrcSocket>(*this);
}

CZorlApp::~CZorlApp() {
    pIdentSocket.reset();
    pMainSocket.reset();
    retired_sockets_.clear();
}

void CZorlApp::RetirePlatformSocket(std::unique_ptr<IAsyncSocket> socket) {
    if (socket) retired_sockets_.push_back(std::move(socket));
}

void CZorlApp::FreeRetiredSockets() { retired_sockets_.clear(); }

void CZorlApp::OnTick() {
    FreeRetiredSockets();
    ident.OnTick();
    timers.OnTimer(1);
    connection.OnTick();
    CheckExit();
}

}  // namespace zorl
