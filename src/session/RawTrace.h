// The raw receive trace (RawDebug): the length of every read and the text it
// brought, in the debug output. Shared by the server and the DCC read loops.
#pragma once

#include <string>

#include "common/SharedTypes.h"

namespace zorl {

class CIrcSocket;

constexpr Colour kRawLengthColour = 0x008000;  // green
constexpr Colour kRawTextColour = 0x404040;    // dark grey

// "**receive [id]: len=n" for one read.
std::string ReceiveLengthTrace(const CIrcSocket& socket, long n);

}  // namespace zorl
