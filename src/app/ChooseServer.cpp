#include "app/CZorlApp.h"
#include "app/SecretFiles.h"
#include "config/HostChoice.h"
#include "config/Passwords.h"
#include "config/ServerList.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "session/ServerConnection.h"
#include "windows/NetworkWindows.h"

namespace zorl {

// Add, Edit and Delete in the dialog are saved as they happen; Cancel
// only leaves the chosen server as it was. OK chooses the server of the
// active network; Connect opens the entry as a network of its own.
void CZorlApp::ChooseServer() {
    CServerList list(ini, platform.dialogs, &passwords);
    list.result.name = Connection().Server().m_server_name;
    list.LoadList();
    if (!platform.dialogs.Servers(list)) return;
    list.TakeSelection();
    if (list.openAsNetwork) {
        // Its password, pin and login come from its entry by its host.
        if (!list.result.address.empty())
            OpenNetwork(networks, registry, list.result.address, list.result.ports);
        return;
    }
    passwords.RevealEntry(list.result);
    CServerConnection& network = Connection();
    network.UseServer(list.result);
    if (network.IsFirst())
        ChooseServerExtras(ini, passwords, settings, list.result.extras);
    else
        TakeServerExtras(network.Server(), list.result.extras);
    // A file written before by hand may be open to others.
    MakeSecretFilesPrivate(ini, output);
}

}  // namespace zorl
