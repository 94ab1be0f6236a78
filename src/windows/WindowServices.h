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

class IWindowsHost {
public:
    // The server connection's state, for the status window's caption.
    virtual ConnectionState ConnectionStateNow() const = 0;
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
