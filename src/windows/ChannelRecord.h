// One entry of the window registry ("CR" in the program's own texts).
#pragma once

#include <string>

#include "common/SharedTypes.h"

namespace zorl {

class CIrcSocket;

const char* WindowTypeName(WindowType type);

// Whether the user is in a channel window's channel. A window the user is no
// longer in stays open with its text (kicked, parted by the server, the
// connection ended); the next JOIN of that channel comes back to it. Only a
// part the user asked for closes the window.
enum class Presence : unsigned char { In, Leaving, Out };

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
    Presence presence = Presence::In;
    bool rejoin = false;  // in the channel when the connection ended: joined at the next welcome
    std::string key;      // the channel key the server gave (324), for that join
};

}  // namespace zorl
