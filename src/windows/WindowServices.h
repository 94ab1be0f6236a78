// What the window side works with, and what it asks of the layers above it.
// The application object owns all of it and implements IWindowsHost.
#pragma once

#include <string>

#include "common/SharedTypes.h"

namespace zorl {

struct Platform;
struct CSettings;
class CIniStore;
class CRandom;

class CIrcSocket;

// What the captions say of the network a window belongs to.
struct NetworkInfo {
    ConnectionState state = IDLE;
    std::string nick;
    std::string server;   // the server entry's name
    std::string network;  // the network's own name; empty while only one is open
    std::string name;     // the same, also while only one is open
    int id = 0;           // stable while the network lives; the first network's is 0
};

class IWindowsHost {
public:
    // The network of `socket`; for null or a socket of no network (DCC),
    // the current network.
    virtual NetworkInfo NetworkOf(const CIrcSocket* socket) const = 0;
    virtual const std::string& OwnNick(const CIrcSocket* socket) const = 0;
    // The socket the current network's windows are registered under.
    virtual const CIrcSocket* CurrentSocket() const = 0;
    // The user brought the window of `socket` to the front.
    virtual void OnWindowActivated(const CIrcSocket* socket) = 0;
    // A window is about to close: the timers that would run in it stop.
    virtual void OnWindowClosing(FrameId frame) = 0;
    // A line typed in a window, or a command of its nick list.
    virtual void OnTypedLine(FrameId frame, const std::string& line) = 0;

protected:
    ~IWindowsHost() = default;
};

struct WindowServices {
    Platform& platform;
    CSettings& settings;
    CIniStore& ini;
    CRandom& random;
    const std::string& configDir;  // ends in "/"; empty: the working folder
    IWindowsHost& host;
};

}  // namespace zorl
