// One plain-text log per conversation window, in log/.
#pragma once

#include <ctime>
#include <string>

#include "common/SharedTypes.h"

namespace zorl {

class CWindowRegistry;
class COutput;
struct WindowServices;

class CLogger {
public:
    CLogger(const WindowServices& services, CWindowRegistry& registry, COutput& output)
        : s_(services), registry_(registry), output_(output) {}

    void WriteLog(FrameId frame, const std::string& text);
    // The file a log name maps to; never leaves the log directory, and
    // different names never share one. `ownWindow`: one of the program's
    // "~" windows rather than a conversation.
    std::string LogPath(const std::string& logfile, bool ownWindow) const;
    static std::string LogFileName(const std::string& logfile, bool ownWindow);

    static std::string SessionStartLine(std::time_t now);
    static std::string SessionCloseLine(std::time_t now);

private:
    const WindowServices& s_;
    CWindowRegistry& registry_;
    COutput& output_;
};

}  // namespace zorl
