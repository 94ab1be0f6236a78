// Sound and the desktop shell.
#pragma once

#include <string>

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
    // Starts a program with an argument text; false when it cannot start.
    virtual bool Execute(const std::string& program, const std::string& arguments) = 0;
};

}  // namespace zorl
