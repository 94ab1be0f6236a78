// The $-variable template language: every display template and command
// line is expanded against an IrcMessage context.
#pragma once

#include <string>

#include "session/IrcMessage.h"

namespace zorl {

class CZorlApp;

class CVariableExpander {
public:
    // Bounds on the chains the language allows ($? inside $getline ...).
    static constexpr int kMaxDepth = 16;

    explicit CVariableExpander(CZorlApp& app) : app_(app) {}

    std::string ExpandVariables(const IrcMessage& message, const std::string& text);

private:
    CZorlApp& app_;
    int depth_ = 0;
};

}  // namespace zorl
