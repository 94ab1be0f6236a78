// Tools > New client certificate: a key and a self-signed certificate for
// the chosen server, kept in certs/ of the configuration folder. Registered
// with the network's services (NickServ CERT ADD), it logs the user in with
// SASL EXTERNAL, no password involved.
#include <filesystem>
#include <system_error>

#include "app/CZorlApp.h"
#include "common/FileNames.h"
#include "common/Format.h"
#include "common/Text.h"
#include "config/KnownServers.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "windows/Output.h"

namespace zorl {
namespace {

constexpr const char* kFolder = "certs";

// "certs/Libera.Chat.pem", or "certs/Libera.Chat-2.pem" when that is taken.
std::string FreeCertificateName(const std::string& configDir, const std::string& server) {
    const std::string stem = std::string(kFolder) + "/" + PlainFileName(server);
    std::error_code error;
    std::string name = stem + ".pem";
    for (int n = 2; std::filesystem::exists(configDir + name, error); ++n)
        name = Format("%s-%d.pem", stem.c_str(), n);
    return name;
}

// "AB:CD:.." -> "abcd..", the form most services print and take.
std::string PlainHex(const std::string& fingerprint) {
    std::string hex;
    for (char c : fingerprint)
        if (c != ':') hex += ToLower(c);
    return hex;
}

}  // namespace

void CZorlApp::NewClientCertificate() {
    if (settings.m_server_address.empty()) {
        platform.dialogs.MessageBox("Please choose a valid server", BoxIcon::Exclamation);
        return;
    }
    std::error_code error;
    std::filesystem::create_directory(config_dir + kFolder, error);
    std::filesystem::permissions(config_dir + kFolder, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, error);
    const std::string server =
        settings.m_server_name.empty() ? settings.m_server_address : settings.m_server_name;
    const std::string file = FreeCertificateName(config_dir, server);
    const std::string owner = settings.m_user_mynick.empty() ? "zorl" : settings.m_user_mynick;
    const MadeCertificate made = platform.crypto.MakeClientCertificate(config_dir + file, owner);
    if (!made.ok) {
        platform.dialogs.MessageBox("The client certificate could not be made: " + made.error,
                                    BoxIcon::Error);
        return;
    }
    settings.ClientCert = file;
    ChangeHostEntries(ini, settings.m_server_address, settings.m_server_ports,
                      [&file](ServerEntry& entry) { entry.extras.clientCert = file; });
    output.PrintF(nullptr, "", Cls::Info, "New client certificate for %s in %s: SHA-256 %s",
                  server.c_str(), file.c_str(), made.fingerprint.c_str());
    platform.dialogs.MessageBox(
        Format("A new client certificate for %s is in %s.\n\nSHA-256 fingerprint:\n%s\n\n"
               "Connect with it (it is used from the next connection on), log in to your account "
               "as before, and tell the network's services about it:\n/msg NickServ CERT ADD\n"
               "(services that want the fingerprint itself take it as %s).\n\nFrom then on zorl "
               "logs in with it over TLS (SASL EXTERNAL), without a password.",
               server.c_str(), file.c_str(), made.fingerprint.c_str(),
               PlainHex(made.fingerprint).c_str()),
        BoxIcon::Information);
}

}  // namespace zorl
