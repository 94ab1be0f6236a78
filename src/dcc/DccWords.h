// The words of DCC requests, as the other clients send and expect them.
//
//   active offer    DCC SEND notes.txt 3232235521 2001 1000
//   passive offer   DCC SEND notes.txt 3232235521 0 1000 7        (token 7)
//   its answer      DCC SEND notes.txt 3232235777 5000 1000 7     (connect here)
//   resume          DCC RESUME notes.txt 2001 500    (or 0 500 7 when passive)
//   its answer      DCC ACCEPT notes.txt 2001 500    (or 0 500 7)
//
// A passive offer names port 0 and a token: the receiver listens and answers
// with its address, port and the token, and the sender connects to it. That
// is how a user behind NAT, who cannot be reached, still sends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/TextSplit.h"

namespace zorl {

class CIrcSocket;

// The file name of a request and the words after it. Names with blanks
// come in double quotes from most clients: "DCC SEND "my notes.txt" ...".
Split TakeFileName(std::string_view words);
// A decimal number of at most `digits` digits; false for anything else.
bool ReadNumber(std::string_view word, std::size_t digits, uint64_t& value);
// A size or position: any decimal number that fits in 64 bits.
bool ReadSize(std::string_view word, uint64_t& value);

// A file name as a DCC request carries it: the part after the last "/",
// control bytes and quotes made "_", in double quotes when it has blanks.
std::string DccFileWord(const std::string& path);

// This end of `socket` (the server connection) as the number a DCC request
// names: "192.168.0.1" -> 3232235521. An unconnected socket gives 0.
uint32_t LocalAddressNumber(const CIrcSocket* socket);

// "PRIVMSG nick :\1words\1": a DCC request for the server connection.
std::string DccRequestLine(const std::string& nick, const std::string& words);

}  // namespace zorl
