// What DCC chats and file transfers work with; the application object owns
// all of it.
#pragma once

#include <string>

namespace zorl {

struct Platform;
struct CSettings;
class ISocketHost;
class CWindowRegistry;
class COutput;

struct DccServices {
    Platform& platform;
    CSettings& settings;
    const std::string& configDir;  // ends in "/": received files go here
    ISocketHost& sockets;
    CWindowRegistry& registry;
    COutput& output;
};

}  // namespace zorl
