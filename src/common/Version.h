// How the program names itself to other clients (CTCP VERSION) and in the
// debug dump.
#pragma once

namespace zorl {

inline constexpr const char* kVersionText = "ZORL   Version 1.18";
inline constexpr const char* kBuildDate = "Aug  2 2001";

}  // namespace zorl
