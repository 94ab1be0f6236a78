// An in-memory host for the engine: every platform interface, recording
// everything and answering from presets, and the means to drive and read a
// client on it. Tests, benchmarks and fuzzers link it instead of Qt; it
// needs no GoogleTest.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/ServerList.h"
#include "platform/Platform.h"
#include "storage/SqliteHistory.h"

namespace zorl {
class CZorlApp;
}

namespace zorl::test {

// ---- Sockets -------------------------------------------------------------

// The shared state of one scripted socket; outlives the socket object so a
// test can still read what was sent after the engine released it.
struct ScriptedSocketState {
    ISocketListener* listener = nullptr;
    bool alive = true;    // the IAsyncSocket object still exists
    bool closed = false;  // Close() was called
    unsigned events = 0;
    std::string bindAddress;
    uint16_t bindPort = 0;
    std::string connectHost;
    uint16_t connectPort = 0;
    bool listening = false;
    int backlog = 0;
    std::string sent;
    // What was sent, cut at each CR LF.
    std::vector<std::string> SentLines() const;
    std::deque<std::string> inbound;  // chunks handed out by Receive, one per call
    bool peerClosed = false;          // Receive returns 0 once inbound is empty
    bool sendQueueFull = false;       // Send refuses, as when the peer stopped reading
    std::string peerAddress = "127.0.0.1";
    uint16_t peerPort = 40000;
    std::string localAddress = "127.0.0.1";
    bool tls = false;               // made by NewTlsSocket
    TlsSession tlsSession;          // what its handshake found: set it before Connected()
    std::string clientCertificate;  // the PEM file it was told to present

    // Events, as the platform would deliver them.
    void Receive(const std::string& chunk);  // queues and notifies until read
    void Connected(WsaError error = kWsaOk);
    void Closed(WsaError error = kWsaOk);
    void Accept(WsaError error = kWsaOk);
};

class ScriptedSocketFactory : public ISocketFactory {
public:
    std::unique_ptr<IAsyncSocket> NewSocket() override;
    std::unique_ptr<IAsyncSocket> NewTlsSocket() override;

    // Presets for the next sockets (consumed in order, else the defaults).
    std::deque<WsaError> createErrors;    // default kWsaOk
    std::deque<WsaError> connectResults;  // default kWsaWouldBlock (in progress)
    std::deque<WsaError> listenErrors;    // default kWsaOk
    // Sockets handed out by Accept on a listening socket.
    std::deque<std::shared_ptr<ScriptedSocketState>> pendingAccepts;
    std::deque<WsaError> acceptErrors;

    std::vector<std::shared_ptr<ScriptedSocketState>> all;
    std::shared_ptr<ScriptedSocketState> Last() const { return all.empty() ? nullptr : all.back(); }
    // A state for a socket a listener will accept.
    std::shared_ptr<ScriptedSocketState> PrepareAccept(const std::string& peer = "127.0.0.1");
};

// ---- Time ----------------------------------------------------------------

class ManualClock : public IClock {
public:
    std::time_t now = 1700000000;  // a fixed local time
    uint64_t ticks = 12345;
    std::vector<int> sleeps;
    std::time_t Now() const override { return now; }
    uint64_t TickCount() const override { return ticks; }
    void Sleep(int ms) override { sleeps.push_back(ms); }
};

class ManualTicker : public ITicker {
public:
    int Start(int periodMs, std::function<void()> onTick) override;
    void Stop() override { running = false; }
    void Tick(int count = 1);
    bool running = false;
    int period = 0;

private:
    std::function<void()> on_tick_;
};

// ---- Sound, shell, dialogs -------------------------------------------------

class RecordingSound : public ISound {
public:
    bool PlayWave(const std::string& path) override;
    void Beep() override { ++beeps; }
    std::vector<std::string> played;
    int beeps = 0;
    bool playResult = true;
};

class RecordingShell : public IShell {
public:
    bool Open(const std::string& target) override;
    bool Execute(const std::string& program, const std::vector<std::string>& arguments) override;
    std::vector<std::string> opened;
    std::vector<std::vector<std::string>> executed;  // the program, then each argument
    bool result = true;
};

class PresetDialogs : public IDialogs {
public:
    BoxAnswer MessageBox(const std::string& text, BoxIcon icon, bool yesNo,
                         bool noByDefault) override;
    TrustAnswer AskCertificateTrust(const std::string& text) override;
    bool InputRequest(const std::string& title, const std::string& prompt,
                      std::string& answer) override;
    bool Servers(CServerList& list) override;
    bool EditServer(ServerEntry& entry) override;
    bool OpenFile(const std::string& filter, const std::string& defaultExtension,
                  std::string& path) override;
    void AskDccChat(const DccOfferDetails& offer, std::function<void(DccAnswer)> answer) override;
    void AskDccSend(const DccOfferDetails& offer,
                    std::function<void(DccAnswer, const std::string&)> answer) override;
    void AskOverwrite(const std::string& resume,
                      std::function<void(OverwriteAnswer)> answer) override;
    void WithdrawDccQuestions() override { dccQuestions.clear(); }
    bool Properties(CSettings& values, int page,
                    const std::function<void(FilesEditor)>& edit) override;
    bool EditText(std::string& text) override;
    void SearchHistory(const std::string& text) override { searches.push_back(text); }
    PasteAnswer AskPaste(const std::string& question) override;
    std::vector<std::string> pasteQuestions;
    std::deque<PasteAnswer> pasteAnswers;  // none queued: Cancel

    std::vector<std::string> searches;  // what the history search was opened with
    std::vector<std::string> boxes;     // texts of the message boxes shown
    std::vector<bool> boxesNoByDefault;
    std::deque<BoxAnswer> boxAnswers;
    // Certificate questions shown, and their answers (none queued: Refuse).
    std::vector<std::string> trustQuestions;
    std::deque<TrustAnswer> trustAnswers;
    std::vector<std::string> prompts;
    std::vector<std::string> inputTitles;                 // titles of the input requests shown
    std::deque<std::optional<std::string>> inputAnswers;  // nullopt = cancel
    std::deque<std::optional<std::string>> fileAnswers;
    std::vector<std::string> fileFolders;  // where each file dialog started
    // The Servers dialog: each answer works the list as a user would (its
    // buttons, a selection) and returns OK (true) or Cancel. None: Cancel.
    std::deque<std::function<bool(CServerList&)>> serversAnswers;
    int serversShown = 0;
    // The Edit server dialog: the fields on OK, nullopt for Cancel.
    std::deque<std::optional<ServerEntry>> editAnswers;
    std::vector<ServerEntry> editShown;  // what each one was filled with
    // Runs inside the next dialog, as a nested event loop would.
    std::function<void()> duringNextDialog;
    // The properties dialog: each answer works the pages (pressing the
    // "Files" buttons through `edit` if it likes) and returns true for OK.
    // None queued: Cancel.
    using PropertiesAnswer =
        std::function<bool(CSettings& values, const std::function<void(FilesEditor)>& edit)>;
    std::deque<PropertiesAnswer> propertiesAnswers;
    std::vector<int> propertiesPages;  // the page each one opened on
    // The "Edit" dialog: the texts it showed; the answers, nullopt = Cancel.
    std::vector<std::string> textEditShown;
    std::deque<std::optional<std::string>> textEditAnswers;

    // DCC questions stay open, as on the desktop, until the test answers
    // them, oldest first; each Answer returns false when none is open.
    struct DccQuestion {
        enum Kind { kChat, kFile, kOverwrite } kind;
        DccOfferDetails offer;  // what the question shows (none for kOverwrite)
        std::function<void(DccAnswer)> chat;
        std::function<void(DccAnswer, const std::string&)> file;
        std::function<void(OverwriteAnswer)> overwrite;
        std::string resume;  // kOverwrite: what the Resume answer says
    };
    std::deque<DccQuestion> dccQuestions;
    bool AnswerChat(DccAnswer answer);
    // The file name as the user left it: the offered one unless given.
    bool AnswerFile(DccAnswer answer, std::optional<std::string> fileName = std::nullopt);
    bool AnswerOverwrite(OverwriteAnswer answer);

private:
    void RunNested();
};

// ---- Crypto -----------------------------------------------------------------

// Deterministic stand-ins, not cryptography: each result depends on all its
// inputs, so a wrong input shows as a wrong result. Tests that need the real
// functions (the RFC test vectors) use the Qt host's.
class FakeCrypto : public ICrypto {
public:
    std::string Sha256(std::string_view data) override;
    std::string HmacSha256(std::string_view key, std::string_view data) override;
    std::string Pbkdf2Sha256(std::string_view password, std::string_view salt, int iterations,
                             std::size_t length) override;
    std::string RandomBytes(std::size_t count) override;
    MadeCertificate MakeClientCertificate(const std::string& path,
                                          const std::string& commonName) override;
    std::string CertificateFingerprint(const std::string& path) override;

    std::string randomBytes;                          // handed out first; then 0x01, 0x02, ...
    std::vector<int> pbkdf2Rounds;                    // the iterations of each PBKDF2 call
    std::map<std::string, std::string> certificates;  // path -> fingerprint
    std::string certificateError;                     // set: MakeClientCertificate fails so
};

// ---- Secrets ---------------------------------------------------------------

// The keyring as a map. Without `service` (the default) no keyring answers (NoService);
// with `failing` it answers every call with an error (Failed). An empty key
// is Failed, as on the desktop.
class MemorySecrets : public ISecretStore {
public:
    bool Available() override { return service; }
    SecretResult Read(const std::string& key, std::string& secret) override;
    SecretResult Write(const std::string& key, const std::string& secret) override;
    SecretResult Remove(const std::string& key) override;
    std::string LastError() const override { return lastError; }

    std::map<std::string, std::string> stored;
    bool service = false;  // no keyring, as on most test machines: switch it on
    bool failing = false;
    std::vector<std::string> calls;  // "read KEY", "write KEY", "remove KEY"
    std::string lastError;

private:
    // Records the call; its result when it goes no further.
    std::optional<SecretResult> Refusal(const char* verb, const std::string& key);
};

// ---- Window surface --------------------------------------------------------

struct Piece {
    std::string text;
    Colour colour = 0;
    bool debug = false;
    bool mention = false;
};

struct RecordedFrame {
    WindowType type = kWindowDefault;
    CZorlDoc* doc = nullptr;
    std::string caption;
    bool shown = false;
    bool maximized = false;
    bool destroyed = false;
    int activations = 0;
    // Its place in the tree of windows, and its mark there.
    int network = 0;
    std::string networkName;
    std::string treeName;
    Colour mark = 0;
    std::vector<Piece> pieces;
    std::vector<int> hints;
    // The pane's text: all pieces joined.
    std::string Text() const;
    // The pane's lines: each piece without its CR LF; debug lines on request.
    std::vector<std::string> Lines(bool withDebug = false) const;
};

// A piece of output as a line: `text` without a trailing CR LF.
std::string WithoutLineEnd(std::string text);

struct RecordedButton {
    bool exists = false;
    std::string caption;
    Colour highlight = 0;
    int network = 0;
};

class RecordingSurface : public IWindowSurface {
public:
    FrameId CreateFrame(WindowType type, CZorlDoc& doc, bool show, bool maximize) override;
    bool DestroyFrame(FrameId frame) override;
    void SetCaption(FrameId frame, const std::string& caption) override;
    void Activate(FrameId frame) override;
    bool IsMaximized(FrameId frame) const override;
    void AppendPiece(FrameId frame, const std::string& text, Colour colour, bool debug) override;
    void MarkMention(FrameId frame) override;
    void UpdateViews(FrameId frame, int hints) override;
    void SetButton(int index, const std::string& caption, int network) override;
    void PlaceWindow(FrameId frame, int network, const std::string& networkName,
                     const std::string& name) override;
    void SetWindowMark(FrameId frame, Colour colour) override;
    void RemoveButton(int index) override;
    void SetButtonHighlight(int index, Colour colour) override;
    void SetMainTitle(const std::string& title) override { mainTitle = title; }
    bool IsMainMinimized() const override { return minimized; }
    void FlashTaskbar() override { ++flashes; }
    bool IsInView(FrameId frame) const override { return frame == inView; }
    void Notify(FrameId frame, const std::string& title, const std::string& body) override {
        notifications.push_back({frame, title, body});
    }
    struct Notification {
        FrameId frame;
        std::string title, body;
        bool operator==(const Notification&) const = default;
    };
    std::vector<Notification> notifications;
    FrameId inView = 0;  // none: the main window is not active
    void CloseMainWindow() override { ++mainCloses; }
    void SetConnectCommands(bool connectEnabled) override { connectCommand = connectEnabled; }
    void SetDebugCommands(bool on) override { debugCommands = on; }
    void SetTabbedView(bool on) override { tabs = on; }
    void SetWindowTree(bool on) override { tree = on; }
    void SetTrayIcon(bool on) override { trayIcon = on; }
    // The channel browser: "start <network>", "<channel> <users> <topic>", "end".
    void ChannelListStart(FrameId, const std::string& network) override {
        channelList.push_back("start " + network);
    }
    void ChannelListRow(FrameId, const std::string& channel, int users,
                        const std::string& topic) override {
        channelList.push_back(channel + " " + std::to_string(users) + " " + topic);
    }
    void ChannelListEnd(FrameId) override { channelList.push_back("end"); }
    // The lists dialog's entries, in the same record: "+b <mask> <setter> <when>", "+b end".
    void ChannelModeListEntry(FrameId, char mode, const std::string& mask,
                              const std::string& setter, long long when) override {
        channelList.push_back(std::string("+") + mode + " " + mask + " " + setter + " " +
                              std::to_string(when));
    }
    void ChannelModeListEnd(FrameId, char mode) override {
        channelList.push_back(std::string("+") + mode + " end");
    }
    std::vector<std::string> channelList;

    RecordedFrame* Frame(FrameId id);  // null when not open
    // What the frame recorded; an empty recording when it is not open.
    const RecordedFrame& Recording(FrameId id) const;
    std::map<FrameId, RecordedFrame> frames;
    RecordedButton buttons[50];
    std::string mainTitle;
    bool minimized = false;
    int flashes = 0;
    int mainCloses = 0;
    bool connectCommand = true;
    bool debugCommands = false;
    bool tabs = false;
    bool tree = false;
    bool trayIcon = false;
    bool failDestroy = false;
    // Runs inside every append, after the piece is recorded: stands in for a
    // handler that acts in the middle of whatever produced the output.
    std::function<void(const std::string& text)> onAppend;

private:
    FrameId next_ = 0x100;
};

// ---- The whole host --------------------------------------------------------

struct HeadlessHost {
    ScriptedSocketFactory sockets;
    ManualClock clock;
    ManualTicker ticker;
    RecordingSound sound;
    RecordingShell shell;
    PresetDialogs dialogs;
    RecordingSurface surface;
    FakeCrypto crypto;
    MemorySecrets secrets;
    // A real database in the client's folder, written when it is read from,
    // full or closed (the host has no event loop to wait for).
    CSqliteHistory history;
    Platform platform{sockets, clock,   ticker, sound,   shell,
                      dialogs, surface, crypto, secrets, history};

    // Lets `milliseconds` pass: the tick count moves on, and the 100 ms tick
    // fires once for every full period.
    void Elapse(int milliseconds);
};

// ---- A client on the host ------------------------------------------------------
// Its window surface, and perhaps its sockets, are the host's.

// The frame of a window by its registry name (any letter case, any
// connection; "" is the status window); 0 when it is not open.
FrameId FrameOf(const CZorlApp& app, const std::string& window);

// Presses Connect; returns the socket it asked to connect (its connect in
// progress), or a detached stand-in when none was asked.
std::shared_ptr<ScriptedSocketState> PressConnect(CZorlApp& app, ScriptedSocketFactory& sockets);

// Every frame with its caption and pieces, the lines each scripted socket
// sent and the message boxes shown: what a failed expectation prints.
std::string Transcript(const HeadlessHost& host);

}  // namespace zorl::test
