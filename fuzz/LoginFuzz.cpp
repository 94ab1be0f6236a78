// Server bytes while registering with a login configured: capability
// negotiation, STS and the SASL exchange (PLAIN, EXTERNAL, SCRAM-SHA-256),
// then the negotiation's time limit and the server's close. The first byte
// picks the connection: bit 0 TLS, bit 1 a client certificate, bit 2 the
// login allowed without TLS, bit 3 the login required.
#include <cstddef>
#include <cstdint>

#include "FuzzClient.h"
#include "config/Settings.h"

using namespace zorl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::FuzzClient client;
    const uint8_t choice = size > 0 ? data[0] : 0;
    CSettings& settings = client.app.settings;
    settings.m_server_ports = choice & 1 ? "+6697" : "6667";
    settings.ClientCert = choice & 2 ? "certs/me.pem" : "";
    settings.SaslWithoutTls = choice & 4 ? 1 : 0;
    settings.RequireLogin = choice & 8 ? 1 : 0;
    settings.SaslAccount = "me";
    settings.SaslPassword = "pencil";
    client.server = test::PressConnect(client.app, client.host.sockets);
    client.server->tlsSession.verified = true;
    client.server->Connected();
    if (size > 0) client.Receive({reinterpret_cast<const char*>(data) + 1, size - 1});
    client.CheckInvariants();
    client.host.Elapse(31000);
    client.CheckInvariants();
    if (client.server && !client.server->closed) client.server->Closed();
    client.CheckInvariants();
    return 0;
}
