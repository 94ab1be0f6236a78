// Sound and the desktop shell.
#pragma once

#include <string>
#include <vector>

namespace zorl {

class ISound {
public:
    virtual ~ISound() = default;
    // Plays a wave file asynchronously; false when it cannot be played.
    virtual bool PlayWave(const std::string& path) = 0;
    virtual void Beep() = 0;
};

class IShell {
public:
    virtual ~IShell() = default;
    // Opens a document or link with the desktop's default handler.
    virtual bool Open(const std::string& target) = 0;
    // Starts a program with these arguments, each handed over as it is: no
    // shell runs, so nothing in them is expanded, split or run as a command.
    // The program runs on its own. False when it cannot start.
    virtual bool Execute(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

}  // namespace zorl
