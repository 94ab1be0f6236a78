// The listener interfaces of the lower layers, implemented for the
// application object: every call goes to the CZorlApp member of its name.
// Kept out of CZorlApp.h, so that a file using the application object does
// not see every interface of every layer.
#pragma once

#include "app/CZorlApp.h"
#include "incoming/IncomingContext.h"
#include "script/ScriptHost.h"
#include "session/IrcSocket.h"
#include "session/SessionListener.h"
#include "windows/WindowServices.h"

namespace zorl {

class CAppListeners final : public ISocketHost,
                            public ISessionListener,
                            public IWindowsHost,
                            public IIncomingListener,
                            public IScriptHost {
public:
    explicit CAppListeners(CZorlApp& app) : app_(app) {}
    CAppListeners(const CAppListeners&) = delete;
    CAppListeners& operator=(const CAppListeners&) = delete;
    virtual ~CAppListeners() = default;

    ISocketFactory& SocketFactory() override { return app_.SocketFactory(); }
    void OnConnect(WsaError error, CIrcSocket& socket) override { app_.OnConnect(error, socket); }
    void OnReceive(WsaError error, CIrcSocket& socket) override { app_.OnReceive(error, socket); }
    void OnClose(WsaError error, CIrcSocket& socket) override { app_.OnClose(error, socket); }
    void OnAccept(WsaError error, CIrcSocket& socket) override { app_.OnAccept(error, socket); }
    void RetirePlatformSocket(std::unique_ptr<IAsyncSocket> socket) override {
        app_.RetirePlatformSocket(std::move(socket));
    }

    void Print(CIrcSocket* socket, const std::string& name, Cls cls,
               const std::string& text) override {
        app_.Print(socket, name, cls, text);
    }
    void Trace(const std::string& text) override { app_.Trace(text); }
    bool WantsDebug() const override { return app_.WantsDebug(); }
    void DebugOut(Cls cls, const std::string& text, bool withTime) override {
        app_.DebugOut(cls, text, withTime);
    }
    void DebugOut(Colour colour, const std::string& text, bool withTime) override {
        app_.DebugOut(colour, text, withTime);
    }
    void OnMessage(CIrcSocket* socket, IrcMessage& message, bool ignored) override {
        app_.OnMessage(socket, message, ignored);
    }
    void OnStateChanged(ConnectionState state) override { app_.OnStateChanged(state); }
    void OnDisconnecting(CIrcSocket& socket) override { app_.OnDisconnecting(socket); }
    void OnOwnNickChanged() override { app_.OnOwnNickChanged(); }
    void OnNotifyDue() override { app_.OnNotifyDue(); }
    void AskForUser() override { app_.Properties(0); }
    void AskForServer() override { app_.ChooseServer(); }
    bool Leaving() const override { return app_.exit_state != CZorlApp::Exit::Running; }

    NetworkInfo NetworkOf(const CIrcSocket* socket) const override {
        return app_.NetworkOf(socket);
    }
    const std::string& OwnNick(const CIrcSocket* socket) const override {
        return app_.OwnNick(socket);
    }
    const CIrcSocket* CurrentSocket() const override { return app_.CurrentSocket(); }
    void OnWindowActivated(const CIrcSocket* socket) override { app_.OnWindowActivated(socket); }
    void OnWindowClosing(FrameId frame) override { app_.OnWindowClosing(frame); }
    void OnTypedLine(FrameId frame, const std::string& line) override {
        app_.OnTypedLine(frame, line);
    }

    std::string ExpandVariables(const IrcMessage& message, const std::string& text) override {
        return app_.ExpandVariables(message, text);
    }
    void MatchEvents(CIrcSocket* socket, const IrcMessage& message, bool ignored) override {
        app_.MatchEvents(socket, message, ignored);
    }
    void SendString(FrameId frame, const std::string& line) override {
        app_.SendString(frame, line);
    }
    void RunStartupList() override { app_.RunStartupList(); }
    void RunNotifyCommand(const std::string& nick, const std::string& command) override {
        app_.RunNotifyCommand(nick, command);
    }

    bool PlaySoundFile(const std::string& name) override { return app_.PlaySoundFile(name); }
    void ShowDump() override { app_.ShowDump(); }
    bool AcceptDccFile(const std::string& nick, const std::string& fileName) override {
        return app_.AcceptDccFile(nick, fileName);
    }

private:
    CZorlApp& app_;
};

}  // namespace zorl
