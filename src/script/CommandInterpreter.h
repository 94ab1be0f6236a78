// Carries out one typed or scripted line in a window: aliases, plain text
// to the window's channel or peer, or a command.
#pragma once

#include <string>

#include "platform/WindowSurface.h"

namespace zorl {

class CZorlApp;

class CCommandInterpreter {
public:
    static constexpr int kMaxAliasDepth = 32;

    explicit CCommandInterpreter(CZorlApp& app) : app_(app) {}

    void SendString(FrameId frame, const std::string& line);

private:
    CZorlApp& app_;
};

}  // namespace zorl
