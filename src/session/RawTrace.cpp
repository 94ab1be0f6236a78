#include "session/RawTrace.h"

#include "app/CZorlApp.h"
#include "app/Settings.h"
#include "common/Format.h"
#include "session/IrcSocket.h"
#include "windows/Output.h"

namespace zorl {
namespace {

constexpr Colour kRawLengthColour = 0x008000;  // green
constexpr Colour kRawTextColour = 0x404040;    // dark grey

}  // namespace

void TraceReceiveLength(CZorlApp& app, const CIrcSocket& socket, long n) {
    if (!app.settings.RawDebug) return;
    app.output.DebugOut(kRawLengthColour,
                        FormatBounded(64, "**receive [%08X]: len=%d\r\n",
                                      static_cast<unsigned>(socket.Id()), static_cast<int>(n)),
                        true);
}

void TraceReceiveText(CZorlApp& app, const std::string& text) {
    if (app.settings.RawDebug) app.output.DebugOut(kRawTextColour, text, true);
}

}  // namespace zorl
