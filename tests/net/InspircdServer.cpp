#include "InspircdServer.h"

#include <signal.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <algorithm>
#include <cctype>
#include <sstream>

#include "NetTestSupport.h"

namespace zorl::test {
namespace {

// Where Debian's packages put the programs and Anope's modules.
constexpr const char* kIrcdProgram = "/usr/sbin/inspircd";
constexpr const char* kServicesProgram = "/usr/sbin/anope";
constexpr const char* kServicesModules = "/usr/lib/anope";
constexpr const char* kServicesLocales = "/usr/share/anope/locale";

constexpr const char* kLinkPassword = "zorl-link";
// The services operator that adds certificates to other accounts: Anope
// 2.0 lets an account holder add only the certificate in use.
constexpr const char* kOperator = "zorlop";
constexpr const char* kOperatorPassword = "zorlop-secret";
// Anope's words once the link is up and its own burst is sent.
constexpr const char* kServicesSynced = "zorl test services) is done syncing";

constexpr int kStartMs = 10000;

struct Ports {
    uint16_t plain, tls, link;
};

// One address, many connections, no flood limits, no fake lag: the tests
// talk fast. Host names are not looked up; the resolver is pointed at
// loopback all the same. The channel creator gets op ("o" in the
// default modes).
void WriteIrcdCore(std::ostream& text, const std::string& folder, Ports ports) {
    text << "<server name=\"" << InspircdServer::kServerName
         << "\" description=\"zorl test server\" id=\"0ZT\" network=\"ZorlTest\">\n"
         << "<admin name=\"zorl tests\" nick=\"admin\" email=\"nobody@localhost\">\n"
         << "<log method=\"file\" type=\"* -USERINPUT -USEROUTPUT -MODULE\" level=\"default\" "
            "target=\""
         << folder << "/inspircd.log\">\n"
         << "<files motd=\"" << folder << "/motd.txt\">\n"
         << "<dns server=\"127.0.0.1\" timeout=\"1\">\n"
         << "<options casemapping=\"ascii\" defaultmodes=\"not\">\n"
         << "<module name=\"ssl_gnutls\">\n"
         << "<sslprofile name=\"clients\" provider=\"gnutls\" certfile=\"" << folder
         << "/cert.pem\" keyfile=\"" << folder
         << "/key.pem\" hash=\"sha256\" requestclientcert=\"yes\">\n"
         << "<module name=\"sslinfo\">\n"
         << "<bind address=\"127.0.0.1\" port=\"" << ports.plain << "\" type=\"clients\">\n"
         << "<bind address=\"127.0.0.1\" port=\"" << ports.tls
         << "\" type=\"clients\" sslprofile=\"clients\">\n"
         << "<bind address=\"127.0.0.1\" port=\"" << ports.link << "\" type=\"servers\">\n"
         << "<connect name=\"main\" allow=\"*\" timeout=\"60\" pingfreq=\"10m\" hardsendq=\"1M\""
            " softsendq=\"1M\" recvq=\"64K\" threshold=\"1000\" commandrate=\"100000\""
            " fakelag=\"no\" localmax=\"1000\" globalmax=\"1000\" resolvehostnames=\"no\""
            " useident=\"no\" limit=\"5000\" maxchans=\"100\">\n"
         << "<module name=\"spanningtree\">\n"
         << "<link name=\"" << InspircdServer::kServicesName << "\" ipaddr=\"127.0.0.1\" port=\""
         << ports.link << "\" sendpass=\"" << kLinkPassword << "\" recvpass=\"" << kLinkPassword
         << "\">\n"
         << "<uline server=\"" << InspircdServer::kServicesName << "\" silent=\"yes\">\n";
}

constexpr const char* kFeatureModules =
    "services_account hidechans cap ircv3 ircv3_accounttag ircv3_batch ircv3_capnotify"
    " ircv3_chghost ircv3_ctctags ircv3_echomessage ircv3_invitenotify ircv3_labeledresponse"
    " ircv3_msgid ircv3_servertime namesx uhnames sasl chanhistory monitor setname customprefix";

// IRCv3 and the features the client is tested against; Anope needs
// services_account and hidechans. founder, admin and halfop complete
// PREFIX=(qaohv)~&@%+; a channel operator may give all of them, so that a
// test can.
void WriteIrcdFeatures(std::ostream& text, uint16_t tlsPort, const InspircdOptions& options) {
    std::istringstream modules(kFeatureModules);
    for (std::string module; modules >> module;) text << "<module name=\"" << module << "\">\n";
    text << "<sasl target=\"" << InspircdServer::kServicesName << "\" requiressl=\"no\">\n"
         << "<chanhistory maxlines=\"50\" prefixmsg=\"yes\" bots=\"yes\">\n"
         << "<monitor maxentries=\"30\">\n"
         << "<customprefix name=\"founder\" letter=\"q\" prefix=\"~\" rank=\"50000\""
            " ranktoset=\"30000\">\n"
         << "<customprefix name=\"admin\" letter=\"a\" prefix=\"&amp;\" rank=\"40000\""
            " ranktoset=\"30000\">\n"
         << "<customprefix name=\"halfop\" letter=\"h\" prefix=\"%\" rank=\"20000\""
            " ranktoset=\"30000\">\n";
    if (options.sts)
        text << "<module name=\"ircv3_sts\">\n"
             << "<sts host=\"" << options.stsHost << "\" port=\"" << tlsPort << "\" duration=\""
             << options.stsDurationSeconds << "\">\n";
}

std::string IrcdConfiguration(const std::string& folder, Ports ports,
                              const InspircdOptions& options) {
    std::ostringstream text;
    WriteIrcdCore(text, folder, ports);
    WriteIrcdFeatures(text, ports.tls, options);
    return text.str();
}

// The link, the log Anope also prints in the foreground, and the database
// in the folder.
void WriteServicesCore(std::ostream& text, const std::string& folder, uint16_t linkPort) {
    text << "define { name = \"services.host\"; value = \"" << InspircdServer::kServicesName
         << "\"; }\n"
         << "uplink { host = \"127.0.0.1\"; ipv6 = no; ssl = no; port = " << linkPort
         << "; password = \"" << kLinkPassword << "\"; }\n"
         << "serverinfo { name = \"" << InspircdServer::kServicesName
         << "\"; description = \"zorl test services\"; pid = \"" << folder
         << "/services.pid\"; motd = \"" << folder << "/services.motd\"; }\n"
         << "module { name = \"inspircd3\"; }\n"
         << "networkinfo { networkname = \"ZorlTest\"; nicklen = 31; userlen = 10; hostlen = 64;"
            " chanlen = 32; modelistsize = 100; vhost_chars = \"abcdefghijklmnopqrstuvwxyz"
            "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-\"; allow_undotted_vhosts = false;"
            " disallow_start_or_end = \".-\"; }\n"
         << "options { casemap = \"ascii\"; seed = 1234567; strictpasswords = no;"
            " badpasslimit = 0; badpasstimeout = 1h; updatetimeout = 5m; expiretimeout = 30m;"
            " readtimeout = 5s; warningtimeout = 4h; timeoutcheck = 3s; retrywait = 1s; }\n"
         << "log { target = \"services.log\"; logage = 1; admin = \"*\"; override = \"*\";"
            " commands = \"*\"; servers = \"*\"; users = \"*\"; other = \"*\"; }\n"
         << "mail { usemail = no; }\n"
         << "module { name = \"db_flatfile\"; database = \"anope.db\"; keepbackups = 0;"
            " fork = no; }\n"
         << "module { name = \"enc_sha256\"; }\n";
}

// NickServ without e-mail, delays or nick enforcement; SASL PLAIN and
// EXTERNAL (m_sasl), certificate lists (ns_cert); and the operator.
void WriteNickServ(std::ostream& text) {
    text << "service { nick = \"NickServ\"; user = \"services\"; host = \"services.host\";"
            " gecos = \"Nickname Registration Service\"; }\n"
         << "module { name = \"nickserv\"; client = \"NickServ\"; forceemail = no;"
            " confirmemailchanges = no; defaults = \"ns_secure hide_email\"; regdelay = 0;"
            " expire = 21d; secureadmins = yes; modeonid = no; hidenetsplitquit = no;"
            " killquick = 20s; kill = 60s; enforceruser = \"enforcer\";"
            " enforcerhost = \"services.host\"; releasetimeout = 1m;"
            " guestnickprefix = \"Guest\"; nonicknameownership = yes; passlen = 32; }\n"
         << "module { name = \"help\"; }\n"
         << "module { name = \"ns_register\"; registration = \"none\"; }\n"
         << "module { name = \"ns_identify\"; maxlogins = 10; }\n"
         << "module { name = \"ns_cert\"; max = 5; }\n"
         << "module { name = \"ns_info\"; }\n"
         << "module { name = \"ns_logout\"; }\n"
         << "module { name = \"m_sasl\"; }\n";
    for (const char* command :
         {"HELP=generic/help", "REGISTER=nickserv/register", "IDENTIFY=nickserv/identify",
          "CERT=nickserv/cert", "INFO=nickserv/info", "LOGOUT=nickserv/logout"}) {
        const std::string entry = command;
        const std::size_t at = entry.find('=');
        text << "command { service = \"NickServ\"; name = \"" << entry.substr(0, at)
             << "\"; command = \"" << entry.substr(at + 1) << "\"; }\n";
    }
    text << "opertype { name = \"Services Root\"; privs = \"*\"; commands = \"*\"; }\n"
         << "oper { name = \"" << kOperator
         << "\"; type = \"Services Root\"; require_oper = no; }\n";
}

std::string ServicesConfiguration(const std::string& folder, uint16_t linkPort) {
    std::ostringstream text;
    WriteServicesCore(text, folder, linkPort);
    WriteNickServ(text);
    return text.str();
}

// Anope keeps certificate fingerprints as InspIRCd writes them: lower-case
// hexadecimal without colons.
std::string ServicesFingerprint(const std::string& fingerprint) {
    std::string bare;
    for (char c : fingerprint)
        if (c != ':') bare += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return bare;
}

}  // namespace

InspircdServer::InspircdServer(InspircdOptions options) : options_(std::move(options)) {
    if (dir_.Path().empty()) {
        failure_ = "cannot make a temporary folder";
        return;
    }
    const std::string folder = dir_.Path().string();
    std::optional<std::string> print =
        MakeCertificate(folder + "/cert.pem", folder + "/key.pem", "localhost", failure_);
    if (!print) return;
    fingerprint_ = *print;
    std::filesystem::create_directory(dir_.Path() / "anope");
    dir_.WriteFile("motd.txt", "zorl test server\n");
    dir_.WriteFile("anope/services.motd", "zorl test services\n");
    // The ports are free when looked at; another process may take one
    // before InspIRCd binds, so a failed start is retried on new ports.
    for (int attempt = 0; attempt < 3 && !Running(); ++attempt) StartOnce();
}

InspircdServer::~InspircdServer() { Stop(); }

bool InspircdServer::StartOnce() {
    port_ = FreeLoopbackPort();
    tls_port_ = FreeLoopbackPort();
    link_port_ = FreeLoopbackPort();
    const std::string folder = dir_.Path().string();
    dir_.WriteFile("inspircd.conf",
                   IrcdConfiguration(folder, {port_, tls_port_, link_port_}, options_));
    dir_.WriteFile("anope/services.conf", ServicesConfiguration(folder + "/anope", link_port_));
    if (StartIrcd() && StartServices()) return true;
    Stop();
    return false;
}

bool InspircdServer::StartIrcd() {
    const std::string config = (dir_.Path() / "inspircd.conf").string();
    if (!ircd_.Start({kIrcdProgram, "--nofork", "--nopid", "--config=" + config}, dir_.Path(),
                     dir_.Path() / "inspircd.out", true, failure_))
        return false;
    QDeadlineTimer deadline(kStartMs);
    while (!deadline.hasExpired()) {
        std::string status;
        if (ircd_.Exited(status)) {
            failure_ = "InspIRCd exited (" + status + "):\n" + Log();
            return false;
        }
        if (PortAccepts(port_) && PortAccepts(tls_port_) && PortAccepts(link_port_)) return true;
        ::usleep(20000);
    }
    failure_ = "InspIRCd did not open its ports:\n" + Log();
    return false;
}

bool InspircdServer::StartServices() {
    const std::string folder = (dir_.Path() / "anope").string();
    if (!services_.Start({kServicesProgram, "--nofork", "--confdir=" + folder, "--dbdir=" + folder,
                          "--logdir=" + folder, std::string("--modulesdir=") + kServicesModules,
                          std::string("--localedir=") + kServicesLocales},
                         folder, folder + "/anope.out", true, failure_))
        return false;
    QDeadlineTimer deadline(kStartMs);
    while (!deadline.hasExpired()) {
        std::string status;
        if (services_.Exited(status)) {
            failure_ = "Anope exited (" + status + "):\n" + Log();
            return false;
        }
        if (dir_.ReadFile("anope/anope.out").find(kServicesSynced) != std::string::npos)
            return true;
        ::usleep(20000);
    }
    failure_ = "Anope did not link to InspIRCd:\n" + Log();
    return false;
}

void InspircdServer::Stop() {
    services_.Stop(SIGTERM);
    // InspIRCd 3 with GnuTLS crashes on an orderly shutdown, and it keeps
    // nothing worth saving.
    ircd_.Stop(SIGKILL);
}

std::string InspircdServer::Log() const {
    return "--- InspIRCd\n" + dir_.ReadFile("inspircd.out") + dir_.ReadFile("inspircd.log") +
           "\n--- Anope\n" + dir_.ReadFile("anope/anope.out");
}

bool InspircdServer::AskNickServ(IrcTestClient& client, const std::string& command,
                                 const std::string& success) {
    std::optional<std::string> answer;
    if (client.Send("PRIVMSG NickServ :" + command))
        answer = client.WaitForLine([](const std::string& line) {
            return line.rfind(":NickServ!", 0) == 0 && CommandOf(line) == "NOTICE";
        });
    // Anope puts names in bold.
    if (answer) std::erase(*answer, '\x02');
    if (answer && answer->find(success) != std::string::npos) return true;
    failure_ = "NickServ did not answer \"" + command + "\" with \"" + success + "\":\n" +
               client.Transcript();
    return false;
}

bool InspircdServer::RegisterAccount(const std::string& account, const std::string& password) {
    IrcTestClient client;
    if (!client.Connect(port_, account)) {
        failure_ = "cannot connect as " + account + ":\n" + client.Transcript();
        return false;
    }
    const bool registered =
        AskNickServ(client, "REGISTER " + password, "Nickname " + account + " registered.");
    client.Send("QUIT");
    return registered;
}

bool InspircdServer::AddCertificate(const std::string& account, const std::string& fingerprint) {
    IrcTestClient op;
    if (!op.Connect(port_, kOperator)) {
        failure_ = "cannot connect as the services operator:\n" + op.Transcript();
        return false;
    }
    const bool identified =
        operator_registered_
            ? AskNickServ(op, std::string("IDENTIFY ") + kOperatorPassword, "Password accepted")
            : AskNickServ(op, std::string("REGISTER ") + kOperatorPassword,
                          std::string("Nickname ") + kOperator + " registered.");
    operator_registered_ = operator_registered_ || identified;
    const bool added =
        identified &&
        AskNickServ(op, "CERT ADD " + account + " " + ServicesFingerprint(fingerprint), "added to");
    op.Send("QUIT");
    return added;
}

std::optional<ClientCertificate> InspircdServer::MakeClientCertificate(const std::string& name) {
    const std::string folder = dir_.Path().string();
    ClientCertificate made{folder + "/" + name + ".pem", folder + "/" + name + "-key.pem", {}};
    std::optional<std::string> print = MakeCertificate(made.certFile, made.keyFile, name, failure_);
    if (!print) return std::nullopt;
    made.fingerprint = *print;
    return made;
}

}  // namespace zorl::test
