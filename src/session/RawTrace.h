// The raw receive trace (RawDebug): the length of every read and the text it
// brought, in the debug output. Shared by the server and the DCC read loops.
#pragma once

#include <string>

namespace zorl {

class CZorlApp;
class CIrcSocket;

// "**receive [id]: len=n" for one read; nothing while RawDebug is off.
void TraceReceiveLength(CZorlApp& app, const CIrcSocket& socket, long n);
// The read's text; nothing while RawDebug is off.
void TraceReceiveText(CZorlApp& app, const std::string& text);

}  // namespace zorl
