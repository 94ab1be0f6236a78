// Lines that carry a password, as the debug window and the debug log show
// them: the payload becomes "****".
//
//   PASS secret                          -> PASS ****
//   AUTHENTICATE am9lAGpvZQBzZWNyZXQ=    -> AUTHENTICATE ****
//   OPER joe secret                      -> OPER joe ****
//   PRIVMSG NickServ :IDENTIFY secret    -> PRIVMSG NickServ :IDENTIFY ****
//   NS REGISTER secret joe@example.net   -> NS REGISTER ****
//
// Everything else is returned as it is.
#pragma once

#include <string>
#include <string_view>

namespace zorl {

std::string MaskSecrets(std::string_view line);

}  // namespace zorl
