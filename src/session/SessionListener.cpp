#include "session/SessionListener.h"

#include <cstdarg>
#include <cstring>

#include "common/Format.h"

namespace zorl {

void ISessionListener::PrintF(CIrcSocket* socket, const std::string& name, Cls cls,
                              const char* format, ...) {
    constexpr std::size_t kLimit = 1023;
    std::string text;
    va_list args;
    va_start(args, format);
    FormatIntoV(text, kLimit, format, args);
    va_end(args);
    // The text ends at a zero byte a "%c" may have put in.
    text.resize(std::strlen(text.c_str()));
    Print(socket, name, cls, text);
}

}  // namespace zorl
