// Where a DCC offer leads. Accepting connects from this computer to the
// offered address and port, and a chat sends there what the user types: an
// offer can point at a service of this computer or its network (a database
// on 127.0.0.1:6379, a router's page, a mail server on port 25) instead of
// at the peer. Such an offer is shown with a warning, and refusing it is the
// default answer.
//
//   127.0.0.1 port 6379   "Warning: 127.0.0.1 is this computer; accepting may
//                          connect to a service there rather than to alice."
#pragma once

#include <cstdint>
#include <string>

namespace zorl {

// Below this a port belongs to a system service.
constexpr int kFirstUserPort = 1024;

// "192.168.0.1" of 3232235521.
std::string DottedAddress(uint32_t address);

// The warning line for an offer from `nick` to `address` (host order) and
// `port`; "" when the address is a public one and the port 1024 or above.
// `what` says what goes there: "accepting may connect", or for the answer
// to a passive offer of ours, which connects at once, "it may be sent".
std::string DccDestinationWarning(uint32_t address, int port, const std::string& nick,
                                  const char* what = "accepting may connect");

}  // namespace zorl
