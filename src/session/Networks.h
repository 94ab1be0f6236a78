// Every network the client is on, one server connection each. The first is
// the network of zorl.ini's SERVER section and lives as long as the client;
// the others come and go with /newserver and the Servers dialog's Connect.
//
// The handlers, commands and scripts work on "the current network": the one
// whose line is being handled or in whose window a command was typed
// (Serve), else the network of the active window (Focus).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "session/ServerConnection.h"

namespace zorl {

class CNetworks {
public:
    explicit CNetworks(const SessionServices& services);
    ~CNetworks();
    CNetworks(const CNetworks&) = delete;
    CNetworks& operator=(const CNetworks&) = delete;

    CServerConnection& First() const { return *networks_.front(); }
    CServerConnection& Current() const { return served_ ? *served_ : *focused_; }
    CServerConnection& Focused() const { return *focused_; }
    // The network whose status and channel windows are registered under
    // `socket`; null for a DCC or ident socket and for none.
    CServerConnection* Of(const CIrcSocket* socket) const;
    CServerConnection& OfOr(const CIrcSocket* socket, CServerConnection& fallback) const {
        CServerConnection* network = Of(socket);
        return network ? *network : fallback;
    }
    // A network of its own: own socket, state, nick, server and timers. Its
    // server is chosen with SwitchServer.
    CServerConnection& Add();
    // Drops a network that is not the first; its windows must be gone.
    void Remove(CServerConnection& network);
    std::size_t Count() const { return networks_.size(); }
    const std::vector<std::unique_ptr<CServerConnection>>& All() const { return networks_; }

    void Focus(CServerConnection& network) { focused_ = &network; }

    // While it lives, `network` is the current one; the one before comes
    // back when it ends, so serving nests.
    class [[nodiscard]] Serving {
    public:
        Serving(CNetworks& networks, CServerConnection* network)
            : networks_(networks), before_(networks.served_) {
            if (network) networks.served_ = network;
        }
        ~Serving() { networks_.served_ = before_; }
        Serving(const Serving&) = delete;
        Serving& operator=(const Serving&) = delete;

    private:
        CNetworks& networks_;
        CServerConnection* before_;
    };
    // Null leaves the current network as it is.
    Serving Serve(CServerConnection* network) { return Serving(*this, network); }

private:
    SessionServices s_;
    std::vector<std::unique_ptr<CServerConnection>> networks_;
    CServerConnection* served_ = nullptr;
    CServerConnection* focused_ = nullptr;
    int next_id_ = 1;
};

}  // namespace zorl
