// File and sound names that come from other people (a DCC offer, a CTCP
// SOUND request, a script) and are joined to one of our folders: whatever
// the text, the result stays inside that folder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zorl {

// Longest name PlainFileName returns, in bytes: well below the 255 bytes a
// Linux file name may have, with room for a suffix the user adds.
constexpr std::size_t kPlainNameLimit = 200;

// The offered name reduced to one plain file name: the part after the last
// "/" or "\", control characters as "_", leading dots as "_" (no hidden
// files, never "." or ".."), cut to kPlainNameLimit bytes keeping a short
// extension, "unnamed" when nothing is left.
//   "../../.bashrc" -> "_bashrc"   "C:\x\y.txt" -> "y.txt"   ".." -> "__"
std::string PlainFileName(std::string_view offered);

// True when `name` is a relative path that stays below the folder it is
// joined to: no leading "/", no "\", no empty, "." or ".." component, no
// control character. Sub-folders are allowed ("alsa/Front_Center.wav").
bool StaysInside(std::string_view name);

}  // namespace zorl
