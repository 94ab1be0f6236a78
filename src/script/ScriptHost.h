// What the scripts ask of the application itself, which the layers below
// them cannot do: the application object implements it.
#pragma once

#include <string>

namespace zorl {

class IScriptHost {
public:
    // DUMP: the "~dump" window with what the client holds right now.
    virtual void ShowDump() = 0;
    // PLAY ding: a sound of wav/ or the system's sound folder; false (and an
    // error line) when there is none to play.
    virtual bool PlaySoundFile(const std::string& name) = 0;
    // DCC GET: accepts the waiting file offer of `nick`, saved as
    // `fileName` ("": as offered). False when none waits.
    virtual bool AcceptDccFile(const std::string& nick, const std::string& fileName) = 0;

protected:
    ~IScriptHost() = default;
};

}  // namespace zorl
