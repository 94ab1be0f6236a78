#include "app/CZorlApp.h"
#include "app/Settings.h"
#include "config/ServerList.h"
#include "platform/Platform.h"
#include "session/ServerConnection.h"

namespace zorl {

// Add, Edit and Delete in the dialog are saved as they happen; Cancel
// only leaves the chosen server as it was.
void CZorlApp::ChooseServer() {
    CServerList list(ini, platform.dialogs);
    list.result.name = settings.m_server_name;
    list.LoadList();
    if (!platform.dialogs.Servers(list)) return;
    list.TakeSelection();
    connection.UseServer(list.result);
}

}  // namespace zorl
