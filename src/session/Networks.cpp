#include "session/Networks.h"

#include <algorithm>

#include "config/Settings.h"

namespace zorl {

CNetworks::CNetworks(const SessionServices& services) : s_(services) {
    networks_.push_back(std::make_unique<CServerConnection>(s_));
    focused_ = networks_.front().get();
}

CNetworks::~CNetworks() = default;

CServerConnection* CNetworks::Of(const CIrcSocket* socket) const {
    if (!socket) return nullptr;
    for (const auto& network : networks_)
        if (network->Socket() == socket) return network.get();
    return nullptr;
}

CServerConnection& CNetworks::Add() {
    networks_.push_back(std::make_unique<CServerConnection>(s_, s_.settings));
    networks_.back()->SetId(next_id_++);
    return *networks_.back();
}

void CNetworks::Remove(CServerConnection& network) {
    if (&network == networks_.front().get()) return;
    if (focused_ == &network) focused_ = networks_.front().get();
    if (served_ == &network) served_ = nullptr;
    std::erase_if(networks_, [&](const auto& each) { return each.get() == &network; });
}

}  // namespace zorl
