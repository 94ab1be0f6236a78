#include "script/VariableExpander.h"

#include "app/CZorlApp.h"

namespace zorl {

std::string CVariableExpander::ExpandVariables(const IrcMessage&, const std::string& text) {
    return text;
}

}  // namespace zorl
