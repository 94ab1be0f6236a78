// Server bytes through the receive path of a welcomed session with a
// channel and a query window open; then the timers run and the server goes.
#include <cstddef>
#include <cstdint>

#include "FuzzClient.h"

using namespace zorl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::FuzzClient client;
    client.GoOnline();
    client.Receive({reinterpret_cast<const char*>(data), size});
    client.CheckInvariants();
    client.host.ticker.Tick(20);
    if (client.server && !client.server->closed) client.server->Closed();
    client.CheckInvariants();
    return 0;
}
