// Whether a TLS connection may be used: the system's trust store and the
// host name, or the one certificate the user pinned for the server. Nothing
// else is trusted, and nothing is pinned without the user's answer.
#include "app/CZorlApp.h"
#include "app/ServerChoice.h"
#include "app/Settings.h"
#include "common/Format.h"
#include "common/Text.h"
#include "platform/Platform.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"
#include "windows/Output.h"

namespace zorl {

// "-- TLS TLSv1.3, cipher TLS_AES_256_GCM_SHA384" in the connection traces.
bool CServerConnection::CertificateAccepted(CIrcSocket& socket) {
    const TlsSession session = *socket.Tls();
    const std::string pinned = NormalFingerprint(app_.settings.Fingerprint);
    const std::string presented = NormalFingerprint(session.fingerprint);
    const bool pinMatches = !pinned.empty() && pinned == presented;
    // A pin is the user's word for this server: a certificate other than the
    // pinned one is refused even when the system would trust it.
    if (pinMatches || (pinned.empty() && session.verified)) {
        app_.output.Trace("-- TLS " + session.protocol + ", cipher " + session.cipher);
        if (pinMatches && !session.verified)
            app_.output.Trace("-- Certificate pinned: SHA-256 " + presented);
        return true;
    }
    const std::string reason =
        session.problem.empty() ? "it is not the pinned certificate" : session.problem;
    if (pinned.empty())
        app_.output.PrintF(nullptr, "", Cls::UError, "** Certificate refused (%s): SHA-256 %s",
                           reason.c_str(), presented.c_str());
    else
        app_.output.PrintF(nullptr, "", Cls::UError,
                           "** Certificate refused, it changed (%s): SHA-256 %s, pinned SHA-256 %s",
                           reason.c_str(), presented.c_str(), pinned.c_str());
    const std::string address = app_.last_server_address;
    Disconnect();
    if (!presented.empty()) OfferTrust(session, address);
    return false;
}

// Runs a nested event loop: the state is looked at again afterwards.
void CServerConnection::OfferTrust(const TlsSession& session, const std::string& address) {
    const std::string presented = NormalFingerprint(session.fingerprint);
    const std::string pinned = NormalFingerprint(app_.settings.Fingerprint);
    const std::string reason =
        session.problem.empty() ? "it is not the pinned certificate" : session.problem;
    const std::string question =
        pinned.empty()
            ? Format(
                  "The certificate of %s is not trusted: %s.\n\nSHA-256 fingerprint:\n%s\n\n"
                  "Trust this certificate for this server from now on?",
                  address.c_str(), reason.c_str(), presented.c_str())
            : Format(
                  "The certificate of %s has changed: %s.\n\nPinned SHA-256 fingerprint:\n%s\n"
                  "Presented SHA-256 fingerprint:\n%s\n\nSomebody may be listening in. Trust "
                  "the new certificate for this server from now on?",
                  address.c_str(), reason.c_str(), pinned.c_str(), presented.c_str());
    // A certificate that changed may be an attacker's: Enter alone keeps it out.
    const bool changed = !pinned.empty();
    if (app_.platform.dialogs.MessageBox(question, BoxIcon::Exclamation, true, changed) !=
        BoxAnswer::Yes)
        return;
    // The user may have chosen another server while the question was open.
    if (!EqualsNoCase(app_.settings.m_server_address, address)) return;
    PinFingerprint(app_.ini, app_.settings, app_.settings.m_server_name, presented);
    app_.output.PrintF(nullptr, "", Cls::Flow, "** Certificate pinned for %s: SHA-256 %s",
                       address.c_str(), presented.c_str());
    if (app_.ircstatus == IDLE && app_.exit_state == CZorlApp::Exit::Running) OnButtonConnect();
}

}  // namespace zorl
