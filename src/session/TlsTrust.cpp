// Whether a TLS connection may be used: the system's trust store and the
// host name, the one certificate the user pinned for the server, or one the
// user trusted for this session. Nothing else is trusted, and nothing is
// trusted without the user's answer.
#include <algorithm>

#include "common/Format.h"
#include "common/Text.h"
#include "common/TimeText.h"
#include "config/HostChoice.h"
#include "config/ServerExtras.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"
#include "session/SessionListener.h"

namespace zorl {
namespace {

constexpr std::time_t kExpiryWarning = 14 * 24 * 3600;

// "irc.other.net, *.other.net"
std::string JoinNames(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) out += (out.empty() ? "" : ", ") + name;
    return out;
}

// Why the certificate is refused, in words; a certificate the system would
// trust for another host names both hosts.
std::string ReasonOf(const TlsSession& session, const std::string& host) {
    if (session.onlyNameMismatch && !session.names.empty())
        return "it is for " + JoinNames(session.names) + ", not " + host;
    return session.problem.empty() ? "it is not the pinned certificate" : session.problem;
}

std::string SessionKey(const std::string& host, const std::string& fingerprint) {
    return ToLower(host) + " " + fingerprint;
}

}  // namespace

// "-- TLS TLSv1.3, cipher TLS_AES_256_GCM_SHA384" in the connection traces.
bool CServerConnection::CertificateAccepted(CIrcSocket& socket) {
    const TlsSession session = *socket.Tls();
    const std::string address = last_address_;
    const std::string pinned = NormalFingerprint(Server().Fingerprint);
    const std::string presented = NormalFingerprint(session.fingerprint);
    const bool pinMatches = !pinned.empty() && pinned == presented;
    const bool trustedNow =
        !presented.empty() && session_trust_.count(SessionKey(address, presented)) != 0;
    // A pin is the user's word for this server: a certificate other than the
    // pinned one is refused even when the system would trust it.
    if (pinMatches || trustedNow || (pinned.empty() && session.verified)) {
        s_.listener.Trace("-- TLS " + session.protocol + ", cipher " + session.cipher);
        if ((pinMatches || trustedNow) && !session.verified) {
            s_.listener.Trace(std::string(pinMatches ? "-- Certificate pinned: SHA-256 "
                                                     : "-- Certificate trusted for this "
                                                       "session: SHA-256 ") +
                              presented);
            WarnOfExpiry(session, address);
        }
        return true;
    }
    const std::string reason = ReasonOf(session, address);
    if (pinned.empty())
        s_.listener.PrintF(nullptr, "", Cls::UError, "** Certificate refused (%s): SHA-256 %s",
                           reason.c_str(), presented.c_str());
    else
        s_.listener.PrintF(nullptr, "", Cls::UError,
                           "** Certificate refused, it changed (%s): SHA-256 %s, pinned SHA-256 %s",
                           reason.c_str(), presented.c_str(), pinned.c_str());
    const bool underPolicy = under_sts_policy_;
    Disconnect();
    // A host under a policy promised a certificate the system trusts: there
    // is nothing for the user to decide.
    if (underPolicy)
        s_.listener.PrintF(nullptr, "", Cls::UError,
                           "** %s requires a trusted certificate (STS): it cannot be trusted by "
                           "hand",
                           address.c_str());
    else if (!presented.empty())
        OfferTrust(session, address);
    return false;
}

// "** The pinned certificate of irc.example expires on 20-Dec-2026"
void CServerConnection::WarnOfExpiry(const TlsSession& session, const std::string& address) {
    if (session.expires == 0) return;
    const std::time_t now = s_.platform.clock.Now();
    if (session.expires - now > kExpiryWarning) return;
    const std::string when = FormatLocalTime("%d-%b-%Y", session.expires);
    s_.listener.PrintF(nullptr, "", Cls::UError,
                       session.expires <= now
                           ? "** The certificate of %s that you trusted expired on %s"
                           : "** The certificate of %s that you trusted expires on %s",
                       address.c_str(), when.c_str());
}

// Runs a nested event loop: the state is looked at again afterwards.
void CServerConnection::OfferTrust(const TlsSession& session, const std::string& address) {
    const std::string presented = NormalFingerprint(session.fingerprint);
    const std::string pinned = NormalFingerprint(Server().Fingerprint);
    const std::string reason = ReasonOf(session, address);
    const std::string question =
        pinned.empty()
            ? Format(
                  "The certificate of %s is not trusted: %s.\n\nSHA-256 fingerprint:\n%s\n\n"
                  "Trust this certificate?",
                  address.c_str(), reason.c_str(), presented.c_str())
            : Format(
                  "The certificate of %s has changed: %s.\n\nPinned SHA-256 fingerprint:\n%s\n"
                  "Presented SHA-256 fingerprint:\n%s\n\nSomebody may be listening in. Trust "
                  "the new certificate?",
                  address.c_str(), reason.c_str(), pinned.c_str(), presented.c_str());
    const TrustAnswer answer = s_.platform.dialogs.AskCertificateTrust(question);
    if (answer == TrustAnswer::Refuse) return;
    // The user may have chosen another server while the question was open.
    if (!EqualsNoCase(Server().m_server_address, address)) return;
    if (answer == TrustAnswer::Always) {
        PinFingerprint(s_.ini, Server(), presented);
        s_.listener.PrintF(nullptr, "", Cls::Flow, "** Certificate pinned for %s: SHA-256 %s",
                           address.c_str(), presented.c_str());
    } else {
        session_trust_.insert(SessionKey(address, presented));
        s_.listener.PrintF(nullptr, "", Cls::Flow,
                           "** Certificate trusted for this session for %s: SHA-256 %s",
                           address.c_str(), presented.c_str());
    }
    if (state_ == IDLE && !s_.listener.Leaving()) OnButtonConnect();
}

}  // namespace zorl
