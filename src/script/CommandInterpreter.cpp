#include "script/CommandInterpreter.h"

#include "app/CZorlApp.h"

namespace zorl {

void CCommandInterpreter::SendString(FrameId, const std::string&) {}

}  // namespace zorl
