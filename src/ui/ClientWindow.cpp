#include "ui/ClientWindow.h"

#include "config/Settings.h"
#include "dcc/Dcc.h"

namespace zorl::ui {

ClientWindow::ClientWindow()
    : surface_(main_frame_),
      platform_{services_.Sockets(), services_.Clock(),  services_.Ticker(), services_.Sound(),
                services_.Shell(),   dialogs_,           surface_,           services_.Crypto(),
                services_.Secrets(), services_.History()},
      app_(platform_) {
    surface_.Attach(app_);
    surface_.closeDccSocket = [this](FrameId frame) { app_.dcc.CloseWindowSocket(frame); };
    dialogs_.SetParent(&main_frame_);
}

void ClientWindow::Start(const std::string& link) {
    app_.InitInstance(!link.empty());
    main_frame_.ShowMasterButtons(app_.settings.Master != 0);
    main_frame_.show();
    if (!link.empty()) app_.ConnectToLink(link);
}

}  // namespace zorl::ui
