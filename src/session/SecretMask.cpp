#include "session/SecretMask.h"

#include "common/Text.h"
#include "common/TextSplit.h"

namespace zorl {
namespace {

constexpr std::string_view kMask = "****";

// The NickServ commands whose arguments hold a password.
bool IsPasswordCommand(std::string_view word) {
    for (std::string_view command : {"IDENTIFY", "ID", "REGISTER", "GHOST", "RECOVER", "RELEASE",
                                     "REGAIN", "SET", "SETPASS", "CONFIRM", "RESETPASS", "LOGIN"})
        if (EqualsNoCase(word, command)) return true;
    return false;
}

// "IDENTIFY secret" -> "IDENTIFY ****"; a text without a password stays.
std::string MaskServiceText(std::string_view text) {
    const Split command = SplitWord(text);
    if (!IsPasswordCommand(command.head) || command.tail.empty()) return std::string(text);
    return std::string(command.head) + " " + std::string(kMask);
}

bool IsNickServ(std::string_view target) {
    return EqualsNoCase(target, "NickServ") || StartsWithNoCase(target, "NickServ@");
}

bool IsAuthenticateKeyword(std::string_view argument) {
    return argument == "+" || argument == "*" || EqualsNoCase(argument, "PLAIN") ||
           EqualsNoCase(argument, "EXTERNAL") || EqualsNoCase(argument, "SCRAM-SHA-256");
}

}  // namespace

std::string MaskSecrets(std::string_view line) {
    const Split command = SplitWord(line);
    const std::string_view word = command.head;
    const std::string head(word);
    if (EqualsNoCase(word, "PASS")) return head + " " + std::string(kMask);
    if (EqualsNoCase(word, "AUTHENTICATE"))
        return IsAuthenticateKeyword(Trim(command.tail)) ? std::string(line)
                                                         : head + " " + std::string(kMask);
    if (EqualsNoCase(word, "OPER")) {
        const Split name = SplitWord(command.tail);
        return head + " " + std::string(name.head) + " " + std::string(kMask);
    }
    if (EqualsNoCase(word, "NS") || EqualsNoCase(word, "NICKSERV"))
        return head + " " + MaskServiceText(command.tail);
    if (EqualsNoCase(word, "PRIVMSG") || EqualsNoCase(word, "NOTICE")) {
        const Split target = SplitWord(command.tail);
        if (!IsNickServ(target.head)) return std::string(line);
        std::string_view text = target.tail;
        const bool colon = !text.empty() && text.front() == ':';
        if (colon) text.remove_prefix(1);
        return head + " " + std::string(target.head) + (colon ? " :" : " ") + MaskServiceText(text);
    }
    return std::string(line);
}

}  // namespace zorl
