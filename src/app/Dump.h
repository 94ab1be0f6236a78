// The debug dump: the "~dump" window, with what the client holds right now.
#pragma once

namespace zorl {

class CZorlApp;

constexpr const char* kVersionText = "ZORL   Version 1.18";

// Opens or finds "~dump" and writes into it the version, the connection
// fields, the three timers, every window and button, the aliases, the
// event scripts and the ignore list.
void DumpVariables(CZorlApp& app);

}  // namespace zorl
