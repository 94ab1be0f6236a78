#include "support/HeadlessHost.h"

#include <algorithm>
#include <sstream>

#include "app/CZorlApp.h"
#include "common/Format.h"
#include "common/Text.h"
#include "session/ServerConnection.h"
#include "windows/WindowRegistry.h"

namespace zorl::test {

// ---- Sockets -------------------------------------------------------------

namespace {

class ScriptedSocket : public IAsyncSocket {
public:
    ScriptedSocket(ScriptedSocketFactory& factory, std::shared_ptr<ScriptedSocketState> state)
        : factory_(factory), state_(std::move(state)) {}
    ~ScriptedSocket() override {
        state_->alive = false;
        state_->listener = nullptr;
    }

    WsaError Create(unsigned events, const std::string& address, uint16_t port) override {
        state_->events = events;
        state_->bindAddress = address;
        state_->bindPort = port;
        return Take(factory_.createErrors, kWsaOk);
    }
    WsaError Connect(const std::string& host, uint16_t port) override {
        state_->connectHost = host;
        state_->connectPort = port;
        return Take(factory_.connectResults, kWsaWouldBlock);
    }
    WsaError Listen(int backlog) override {
        state_->backlog = backlog;
        WsaError error = Take(factory_.listenErrors, kWsaOk);
        state_->listening = error == kWsaOk;
        return error;
    }
    std::unique_ptr<IAsyncSocket> Accept(WsaError& error) override {
        error = Take(factory_.acceptErrors, kWsaOk);
        if (error != kWsaOk || factory_.pendingAccepts.empty()) {
            if (error == kWsaOk) error = kWsaWouldBlock;
            return nullptr;
        }
        auto accepted = factory_.pendingAccepts.front();
        factory_.pendingAccepts.pop_front();
        factory_.all.push_back(accepted);
        return std::make_unique<ScriptedSocket>(factory_, accepted);
    }
    long Receive(char* buffer, std::size_t size, WsaError& error) override {
        if (state_->inbound.empty()) {
            if (state_->peerClosed) return 0;
            error = kWsaWouldBlock;
            return -1;
        }
        std::string& chunk = state_->inbound.front();
        std::size_t n = std::min(size, chunk.size());
        std::copy_n(chunk.data(), n, buffer);
        chunk.erase(0, n);
        if (chunk.empty()) state_->inbound.pop_front();
        return static_cast<long>(n);
    }
    long Send(const char* data, std::size_t size, WsaError& error) override {
        if (state_->sendQueueFull) {
            error = kWsaNoBuffers;
            return -1;
        }
        state_->sent.append(data, size);
        return static_cast<long>(size);
    }
    void Close() override {
        state_->closed = true;
        state_->listening = false;
    }
    bool PeerAddress(std::string& address, uint16_t& port) const override {
        address = state_->peerAddress;
        port = state_->peerPort;
        return true;
    }
    bool LocalAddress(std::string& address, uint16_t& port) const override {
        address = state_->localAddress;
        port = state_->bindPort;
        return true;
    }
    void SetListener(ISocketListener* listener) override { state_->listener = listener; }
    const TlsSession* Tls() const override { return state_->tls ? &state_->tlsSession : nullptr; }
    std::string UseClientCertificate(const std::string& pemPath) override {
        if (!state_->tls) return IAsyncSocket::UseClientCertificate(pemPath);
        state_->clientCertificate = pemPath;
        return {};
    }

private:
    static WsaError Take(std::deque<WsaError>& presets, WsaError fallback) {
        if (presets.empty()) return fallback;
        WsaError value = presets.front();
        presets.pop_front();
        return value;
    }

    ScriptedSocketFactory& factory_;
    std::shared_ptr<ScriptedSocketState> state_;
};

}  // namespace

std::vector<std::string> ScriptedSocketState::SentLines() const {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < sent.size();) {
        std::size_t end = std::min(sent.find("\r\n", at), sent.size());
        lines.push_back(sent.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// A reader that leaves bytes in the socket hears of them again on the next
// pass, as with a real socket; each round here stands for one pass.
void ScriptedSocketState::Receive(const std::string& chunk) {
    inbound.push_back(chunk);
    std::size_t left = std::string::npos;
    while (listener && !closed && !inbound.empty()) {
        std::size_t now = 0;
        for (const std::string& piece : inbound) now += piece.size();
        if (now == left) break;  // a reader that takes nothing is told once
        left = now;
        listener->OnSocketReceive(kWsaOk);
    }
}

void ScriptedSocketState::Connected(WsaError error) {
    if (listener && !closed) listener->OnSocketConnect(error);
}

void ScriptedSocketState::Closed(WsaError error) {
    peerClosed = true;
    if (listener && !closed) listener->OnSocketClose(error);
}

void ScriptedSocketState::Accept(WsaError error) {
    if (listener && !closed) listener->OnSocketAccept(error);
}

std::unique_ptr<IAsyncSocket> ScriptedSocketFactory::NewSocket() {
    auto state = std::make_shared<ScriptedSocketState>();
    all.push_back(state);
    return std::make_unique<ScriptedSocket>(*this, state);
}

std::unique_ptr<IAsyncSocket> ScriptedSocketFactory::NewTlsSocket() {
    auto socket = NewSocket();
    all.back()->tls = true;
    return socket;
}

std::shared_ptr<ScriptedSocketState> ScriptedSocketFactory::PrepareAccept(const std::string& peer) {
    auto state = std::make_shared<ScriptedSocketState>();
    state->peerAddress = peer;
    pendingAccepts.push_back(state);
    return state;
}

// ---- Time ----------------------------------------------------------------

int ManualTicker::Start(int periodMs, std::function<void()> onTick) {
    period = periodMs;
    on_tick_ = std::move(onTick);
    running = true;
    return 1;
}

void ManualTicker::Tick(int count) {
    for (int i = 0; i < count && running && on_tick_; ++i) on_tick_();
}

void HeadlessHost::Elapse(int milliseconds) {
    constexpr int kPeriod = 100;
    for (int passed = kPeriod; passed <= milliseconds; passed += kPeriod) {
        clock.ticks += kPeriod;
        ticker.Tick();
    }
    clock.ticks += static_cast<uint64_t>(milliseconds % kPeriod);
}

// ---- Crypto -----------------------------------------------------------------

namespace {

// FNV-1a over the tag and the inputs, stretched to `length` bytes.
std::string Mix(std::string_view tag, std::string_view a, std::string_view b, std::size_t length) {
    std::string out;
    uint64_t h = 1469598103934665603ULL;
    auto eat = [&h](std::string_view bytes) {
        for (char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        h = (h ^ 0xFF) * 1099511628211ULL;  // ("ab", "c") differs from ("a", "bc")
    };
    eat(tag);
    eat(a);
    eat(b);
    while (out.size() < length) {
        h = (h ^ out.size()) * 1099511628211ULL;
        out += static_cast<char>(h >> 56);
    }
    return out;
}

}  // namespace

std::string FakeCrypto::Sha256(std::string_view data) { return Mix("sha", data, "", 32); }

std::string FakeCrypto::HmacSha256(std::string_view key, std::string_view data) {
    return Mix("hmac", key, data, 32);
}

std::string FakeCrypto::Pbkdf2Sha256(std::string_view password, std::string_view salt,
                                     int iterations, std::size_t length) {
    pbkdf2Rounds.push_back(iterations);
    return Mix("pbkdf2" + std::to_string(iterations), password, salt, length);
}

std::string FakeCrypto::RandomBytes(std::size_t count) {
    std::string out = randomBytes.substr(0, count);
    randomBytes.erase(0, out.size());
    while (out.size() < count) out += static_cast<char>(out.size() + 1);
    return out;
}

MadeCertificate FakeCrypto::MakeClientCertificate(const std::string& path,
                                                  const std::string& commonName) {
    if (!certificateError.empty()) return {false, "", certificateError};
    const std::string print = "FA:KE:" + commonName;
    certificates[path] = print;
    return {true, print, ""};
}

std::string FakeCrypto::CertificateFingerprint(const std::string& path) {
    auto it = certificates.find(path);
    return it == certificates.end() ? std::string() : it->second;
}

// ---- Sound, shell, dialogs -------------------------------------------------

bool RecordingSound::PlayWave(const std::string& path) {
    played.push_back(path);
    return playResult;
}

bool RecordingShell::Open(const std::string& target) {
    opened.push_back(target);
    return result;
}

bool RecordingShell::Execute(const std::string& program,
                             const std::vector<std::string>& arguments) {
    executed.push_back({program});
    executed.back().insert(executed.back().end(), arguments.begin(), arguments.end());
    return result;
}

void PresetDialogs::RunNested() {
    if (!duringNextDialog) return;
    auto nested = std::move(duringNextDialog);
    duringNextDialog = nullptr;
    nested();
}

BoxAnswer PresetDialogs::MessageBox(const std::string& text, BoxIcon, bool yesNo,
                                    bool noByDefault) {
    boxes.push_back(text);
    boxesNoByDefault.push_back(noByDefault);
    RunNested();
    if (boxAnswers.empty()) return yesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    BoxAnswer answer = boxAnswers.front();
    boxAnswers.pop_front();
    return answer;
}

TrustAnswer PresetDialogs::AskCertificateTrust(const std::string& text) {
    trustQuestions.push_back(text);
    RunNested();
    if (trustAnswers.empty()) return TrustAnswer::Refuse;
    const TrustAnswer answer = trustAnswers.front();
    trustAnswers.pop_front();
    return answer;
}

bool PresetDialogs::InputRequest(const std::string& title, const std::string& prompt,
                                 std::string& answer) {
    inputTitles.push_back(title);
    prompts.push_back(prompt);
    RunNested();
    if (inputAnswers.empty() || !inputAnswers.front()) {
        if (!inputAnswers.empty()) inputAnswers.pop_front();
        return false;
    }
    answer = *inputAnswers.front();
    inputAnswers.pop_front();
    return true;
}

bool PresetDialogs::Servers(CServerList& list) {
    ++serversShown;
    RunNested();
    if (serversAnswers.empty()) return false;
    auto answer = std::move(serversAnswers.front());
    serversAnswers.pop_front();
    return answer(list);
}

bool PresetDialogs::EditServer(ServerEntry& entry) {
    editShown.push_back(entry);
    RunNested();
    if (editAnswers.empty() || !editAnswers.front()) {
        if (!editAnswers.empty()) editAnswers.pop_front();
        return false;
    }
    entry = *editAnswers.front();
    editAnswers.pop_front();
    return true;
}

bool PresetDialogs::OpenFile(const std::string&, const std::string&, std::string& path) {
    fileFolders.push_back(path);
    RunNested();
    if (fileAnswers.empty() || !fileAnswers.front()) {
        if (!fileAnswers.empty()) fileAnswers.pop_front();
        return false;
    }
    path = *fileAnswers.front();
    fileAnswers.pop_front();
    return true;
}

void PresetDialogs::AskDccChat(const DccOfferDetails& offer,
                               std::function<void(DccAnswer)> answer) {
    dccQuestions.push_back({DccQuestion::kChat, offer, std::move(answer), {}, {}, {}});
}

void PresetDialogs::AskDccSend(const DccOfferDetails& offer,
                               std::function<void(DccAnswer, const std::string&)> answer) {
    dccQuestions.push_back({DccQuestion::kFile, offer, {}, std::move(answer), {}, {}});
}

void PresetDialogs::AskOverwrite(const std::string& resume,
                                 std::function<void(OverwriteAnswer)> answer) {
    dccQuestions.push_back({DccQuestion::kOverwrite, {}, {}, {}, std::move(answer), resume});
}

namespace {

// Takes the oldest question if it is of `kind`; the answer may ask anew.
std::optional<PresetDialogs::DccQuestion> TakeQuestion(
    std::deque<PresetDialogs::DccQuestion>& questions, PresetDialogs::DccQuestion::Kind kind) {
    if (questions.empty() || questions.front().kind != kind) return std::nullopt;
    PresetDialogs::DccQuestion question = std::move(questions.front());
    questions.pop_front();
    return question;
}

}  // namespace

bool PresetDialogs::AnswerChat(DccAnswer answer) {
    auto question = TakeQuestion(dccQuestions, DccQuestion::kChat);
    if (!question) return false;
    question->chat(answer);
    return true;
}

bool PresetDialogs::AnswerFile(DccAnswer answer, std::optional<std::string> fileName) {
    auto question = TakeQuestion(dccQuestions, DccQuestion::kFile);
    if (!question) return false;
    question->file(answer, fileName.value_or(question->offer.fileName));
    return true;
}

bool PresetDialogs::AnswerOverwrite(OverwriteAnswer answer) {
    auto question = TakeQuestion(dccQuestions, DccQuestion::kOverwrite);
    if (!question) return false;
    question->overwrite(answer);
    return true;
}

bool PresetDialogs::Properties(CSettings& values, int page,
                               const std::function<void(FilesEditor)>& edit) {
    propertiesPages.push_back(page);
    RunNested();
    if (propertiesAnswers.empty()) return false;
    PropertiesAnswer answer = std::move(propertiesAnswers.front());
    propertiesAnswers.pop_front();
    return answer(values, edit);
}

PasteAnswer PresetDialogs::AskPaste(const std::string& question) {
    pasteQuestions.push_back(question);
    RunNested();
    if (pasteAnswers.empty()) return PasteAnswer::Cancel;
    const PasteAnswer answer = pasteAnswers.front();
    pasteAnswers.pop_front();
    return answer;
}

bool PresetDialogs::EditText(std::string& text) {
    textEditShown.push_back(text);
    RunNested();
    if (textEditAnswers.empty() || !textEditAnswers.front()) {
        if (!textEditAnswers.empty()) textEditAnswers.pop_front();
        return false;
    }
    text = *textEditAnswers.front();
    textEditAnswers.pop_front();
    return true;
}

// ---- Secrets ---------------------------------------------------------------

std::optional<SecretResult> MemorySecrets::Refusal(const char* verb, const std::string& key) {
    calls.push_back(std::string(verb) + " " + key);
    if (!service) {
        lastError = "no keyring";
        return SecretResult::NoService;
    }
    if (failing || key.empty()) {
        lastError = failing ? "the keyring failed" : "a secret needs a key";
        return SecretResult::Failed;
    }
    return std::nullopt;
}

SecretResult MemorySecrets::Read(const std::string& key, std::string& secret) {
    if (auto refused = Refusal("read", key)) return *refused;
    auto it = stored.find(key);
    if (it == stored.end()) {
        lastError = "not found";
        return SecretResult::NotFound;
    }
    secret = it->second;
    return SecretResult::Ok;
}

SecretResult MemorySecrets::Write(const std::string& key, const std::string& secret) {
    if (auto refused = Refusal("write", key)) return *refused;
    stored[key] = secret;
    return SecretResult::Ok;
}

SecretResult MemorySecrets::Remove(const std::string& key) {
    if (auto refused = Refusal("remove", key)) return *refused;
    stored.erase(key);
    return SecretResult::Ok;
}

// ---- Window surface --------------------------------------------------------

std::string RecordedFrame::Text() const {
    std::string text;
    for (const Piece& piece : pieces) text += piece.text;
    return text;
}

std::vector<std::string> RecordedFrame::Lines(bool withDebug) const {
    std::vector<std::string> lines;
    for (const Piece& piece : pieces)
        if (withDebug || !piece.debug) lines.push_back(WithoutLineEnd(piece.text));
    return lines;
}

std::string WithoutLineEnd(std::string text) {
    if (text.ends_with("\r\n")) text.resize(text.size() - 2);
    return text;
}

FrameId RecordingSurface::CreateFrame(WindowType type, CZorlDoc& doc, bool show, bool maximize) {
    FrameId id = ++next_;
    RecordedFrame& frame = frames[id];
    frame.type = type;
    frame.doc = &doc;
    frame.shown = show;
    frame.maximized = maximize;
    return id;
}

bool RecordingSurface::DestroyFrame(FrameId id) {
    RecordedFrame* frame = Frame(id);
    if (!frame || failDestroy) return false;
    frame->destroyed = true;
    frame->doc = nullptr;
    return true;
}

void RecordingSurface::SetCaption(FrameId id, const std::string& caption) {
    if (RecordedFrame* frame = Frame(id)) frame->caption = caption;
}

void RecordingSurface::Activate(FrameId id) {
    if (RecordedFrame* frame = Frame(id)) ++frame->activations;
}

bool RecordingSurface::IsMaximized(FrameId id) const {
    auto it = frames.find(id);
    return it != frames.end() && !it->second.destroyed && it->second.maximized;
}

void RecordingSurface::AppendPiece(FrameId id, const std::string& text, Colour colour, bool debug) {
    if (RecordedFrame* frame = Frame(id)) frame->pieces.push_back({text, colour, debug});
    // A copy: the hook may replace itself while it runs.
    if (auto hook = onAppend) hook(text);
}

void RecordingSurface::MarkMention(FrameId id) {
    RecordedFrame* frame = Frame(id);
    if (frame && !frame->pieces.empty()) frame->pieces.back().mention = true;
}

void RecordingSurface::UpdateViews(FrameId id, int hints) {
    if (RecordedFrame* frame = Frame(id)) frame->hints.push_back(hints);
}

void RecordingSurface::SetButton(int index, const std::string& caption, int network) {
    if (index < 0 || index >= 50) return;
    buttons[index] = {true, caption, 0, network};
}

void RecordingSurface::PlaceWindow(FrameId frame, int network, const std::string& networkName,
                                   const std::string& name) {
    if (RecordedFrame* shown = Frame(frame)) {
        shown->network = network;
        shown->networkName = networkName;
        shown->treeName = name;
    }
}

void RecordingSurface::SetWindowMark(FrameId frame, Colour colour) {
    if (RecordedFrame* shown = Frame(frame)) shown->mark = colour;
}

void RecordingSurface::RemoveButton(int index) {
    if (index < 0 || index >= 50) return;
    buttons[index] = {};
}

void RecordingSurface::SetButtonHighlight(int index, Colour colour) {
    if (index < 0 || index >= 50) return;
    buttons[index].highlight = colour;
}

RecordedFrame* RecordingSurface::Frame(FrameId id) {
    auto it = frames.find(id);
    return it == frames.end() || it->second.destroyed ? nullptr : &it->second;
}

const RecordedFrame& RecordingSurface::Recording(FrameId id) const {
    static const RecordedFrame kNone;
    auto it = frames.find(id);
    return it == frames.end() || it->second.destroyed ? kNone : it->second;
}

// ---- A client on the host ------------------------------------------------------

FrameId FrameOf(const CZorlApp& app, const std::string& window) {
    if (window.empty()) return app.registry.pStatusFrm;
    for (const ChannelRecord& record : app.registry.Records())
        if (EqualsNoCase(record.name, window)) return record.frame;
    return 0;
}

std::shared_ptr<ScriptedSocketState> PressConnect(CZorlApp& app, ScriptedSocketFactory& sockets) {
    const std::size_t before = sockets.all.size();
    app.Connection().OnButtonConnect();
    for (std::size_t i = sockets.all.size(); i > before; --i)
        if (!sockets.all[i - 1]->connectHost.empty()) return sockets.all[i - 1];
    return std::make_shared<ScriptedSocketState>();
}

namespace {

// Control characters spelled out, so a stray CR or colour code shows.
std::string Visible(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (static_cast<unsigned char>(c) < 0x20)
            out += Format("\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
        else
            out += c;
    }
    return out;
}

}  // namespace

std::string Transcript(const HeadlessHost& host) {
    std::ostringstream out;
    out << "---- transcript\n";
    for (const auto& [id, frame] : host.surface.frames) {
        out << "[" << HexId(id) << "] type " << frame.type << " \"" << frame.caption << "\""
            << (frame.destroyed ? " (destroyed)" : "") << "\n";
        for (const Piece& piece : frame.pieces) {
            out << "    " << HexId(piece.colour) << (piece.debug ? " debug " : " ") << "\""
                << Visible(piece.text) << "\"\n";
        }
    }
    for (const auto& socket : host.sockets.all) {
        if (socket->sent.empty()) continue;
        out << "---- sent" << (socket->connectHost.empty() ? "" : " to " + socket->connectHost)
            << "\n";
        for (const std::string& line : socket->SentLines()) out << "    " << Visible(line) << "\n";
    }
    for (const std::string& box : host.dialogs.boxes) out << "message box: " << box << "\n";
    for (const auto& question : host.dialogs.dccQuestions)
        out << "open DCC question: " << question.offer.from << " " << question.offer.address << ":"
            << question.offer.port << " " << question.offer.fileName << " " << question.offer.size
            << "\n";
    return out.str();
}

}  // namespace zorl::test
