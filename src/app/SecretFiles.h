// zorl.ini and servers.ini can hold passwords: the saved server's password
// and SASL login in zorl.ini, and those of any server entry in servers.ini.
// Files zorl creates are private already; one written by hand, copied in or
// left by an older version may be open to other users of the machine.
#pragma once

namespace zorl {

class CIniStore;
class COutput;

// Each of the two files that holds a password and that group or others may
// read or write becomes 0600, with one status line saying so, or one saying
// that it could not. A file without a password keeps its mode.
void MakeSecretFilesPrivate(const CIniStore& ini, COutput& output);

}  // namespace zorl
