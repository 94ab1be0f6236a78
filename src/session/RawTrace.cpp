#include "session/RawTrace.h"

#include "common/Format.h"
#include "session/IrcSocket.h"

namespace zorl {

std::string ReceiveLengthTrace(const CIrcSocket& socket, long n) {
    return FormatBounded(64, "**receive [%08X]: len=%d\r\n", static_cast<unsigned>(socket.Id()),
                         static_cast<int>(n));
}

}  // namespace zorl
