// What every fuzz target shares: a client on the headless host in a
// configuration folder of its own, put back to a known state for each input,
// and the invariants that hold whatever the input was. A broken invariant
// aborts, which both libFuzzer and the replay of the corpora report.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "app/CZorlApp.h"
#include "support/HeadlessHost.h"

namespace zorl::fuzz {

using Files = std::map<std::string, std::string>;  // name in the folder -> bytes

[[noreturn]] void Fail(const std::string& what);
inline void Require(bool ok, const char* what) {
    if (!ok) Fail(what);
}

// The text before the first `separator` and the text after it (all of it and
// nothing when there is none).
std::pair<std::string_view, std::string_view> Cut(std::string_view data, char separator);

// <temp>/config is the folder of every client of the process; nothing may
// appear beside it, nor in the working directory while an input runs.
class Sandbox {
public:
    static Sandbox& Get();
    const std::filesystem::path& Config() const { return config_; }
    // An empty configuration folder holding `files` and nothing else.
    void Reset(const Files& files);
    void CheckNothingOutside() const;
    std::string Read(const std::string& name) const;

private:
    Sandbox();
    std::filesystem::path root_;
    std::filesystem::path config_;
    std::filesystem::path working_;
    std::set<std::string> working_entries_;
};

// The zorl.ini of the clients: nick "me", logging and time stamps on.
extern const char* const kZorlIni;

// A started client: the status window is open, nothing is connected.
struct FuzzClient {
    explicit FuzzClient(Files files = {});

    // Connected and welcomed as "me", on #chan with bob and carol, and a
    // query window that dave opened.
    void GoOnline();
    // Server bytes, in chunks of varying size, as the socket delivers them.
    void Receive(std::string_view bytes);
    // Lines on every socket, window records and files.
    void CheckInvariants() const;

    test::HeadlessHost host;
    CZorlApp app{host.platform};
    std::shared_ptr<test::ScriptedSocketState> server;
    // Sockets of file transfers: they carry bytes, not lines.
    std::set<const test::ScriptedSocketState*> file_sockets;
};

// Each send on every socket is whole lines, each ending in its one CR LF.
void CheckSentLines(const test::HeadlessHost& host,
                    const std::set<const test::ScriptedSocketState*>& skipped = {});
// One record per name and connection, one per frame, and every frame of the
// surface that is not destroyed belongs to a record.
void CheckRecords(const test::HeadlessHost& host, const CZorlApp& app);

}  // namespace zorl::fuzz
