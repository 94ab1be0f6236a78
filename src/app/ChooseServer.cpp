#include "app/CZorlApp.h"
#include "app/SecretFiles.h"
#include "config/HostChoice.h"
#include "config/Passwords.h"
#include "config/ServerList.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "session/ServerConnection.h"

namespace zorl {

// Add, Edit and Delete in the dialog are saved as they happen; Cancel
// only leaves the chosen server as it was.
void CZorlApp::ChooseServer() {
    CServerList list(ini, platform.dialogs, &passwords);
    list.result.name = Connection().Server().m_server_name;
    list.LoadList();
    if (!platform.dialogs.Servers(list)) return;
    list.TakeSelection();
    passwords.RevealEntry(list.result);
    Connection().UseServer(list.result);
    ChooseServerExtras(ini, passwords, settings, list.result.extras);
    // A file written before by hand may be open to others.
    MakeSecretFilesPrivate(ini, output);
}

}  // namespace zorl
