// One entry of the window registry ("CR" in the program's own texts).
#pragma once

#include <string>

#include "common/SharedTypes.h"

namespace zorl {

class CIrcSocket;

const char* WindowTypeName(WindowType type);

struct ChannelRecord {
    FrameId frame = 0;
    CIrcSocket* socket = nullptr;  // owned by the application, never by the record
    std::string name;              // lower case; "" for the status window
    std::string title;             // as given
    std::string logfile;
    std::string sender;
    std::string topic;
    std::string flags;
    WindowType type = kWindowDefault;
    int buttonnr = -1;  // -1: beyond the 50 buttons, no button
    bool joined = false;
    bool BackScroll = false;
};

}  // namespace zorl
