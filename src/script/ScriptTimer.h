// A script timer and the command it runs (script/Timers.h runs them).
#pragma once

#include "common/SoftTimer.h"
#include "script/ScriptText.h"

namespace zorl {

struct ScriptTimer : SoftTimer {
    ScriptText command;  // what a message put in stays data when it runs
};

}  // namespace zorl
