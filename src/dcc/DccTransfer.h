// The file of one DCC transfer, sending or receiving, kept open for the
// transfer.
//
// The wire protocol is the one every client speaks: the sender sends the
// file's bytes, the receiver answers every chunk it reads with the running
// total as 4 bytes, most significant first. The sender keeps up to
// kWindow bytes unacknowledged in flight instead of waiting for each
// block's answer, reads acknowledgements as a byte stream (TCP may cut or
// join them) and compares them modulo 2^32, as peers count.
//
// Progress lines keep the classic texts but are shown at most every
// kProgressInterval, plus the last one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace zorl {

struct DccServices;
class CIrcSocket;

class CDccTransfer {
public:
    static constexpr std::size_t kBlock = 64 * 1024;
    static constexpr uint64_t kWindow = 1024 * 1024;
    static constexpr uint64_t kProgressInterval = 250;  // milliseconds

    CDccTransfer(const DccServices& services, CIrcSocket& socket);
    ~CDccTransfer();
    CDccTransfer(const CDccTransfer&) = delete;
    CDccTransfer& operator=(const CDccTransfer&) = delete;

    // Sending. Fills the window; ends the transfer when everything is sent
    // and acknowledged ("file transfer finished").
    void SendNext();
    // Bytes the peer sent on a sending socket: acknowledgements.
    void TakeAcknowledgements(std::string_view bytes);

    // Receiving: creates the file in download/, 0600 (a new transfer
    // truncates). False, with the reason shown and the socket closed, when
    // it cannot.
    bool OpenForWriting();
    // Writes one chunk, shows progress, acknowledges it. A chunk that goes
    // past the offered size is written up to it, and the transfer closes
    // with one line. False when the transfer had to stop (the socket is
    // then closed).
    bool TakeData(const char* data, std::size_t size);

    // The connection ended: the last progress line if one is owed, and the
    // file is closed.
    void Finish();

private:
    bool OpenForReading();
    void Fail(const std::string& what, int errnoValue);
    void Progress(const char* verb, uint64_t now, bool last);
    std::string Window() const;
    uint64_t Now() const;

    const DccServices& s_;
    CIrcSocket& socket_;
    std::FILE* file_ = nullptr;
    std::vector<char> block_;
    bool reading_done_ = false;
    bool finished_ = false;
    bool failed_ = false;   // the file could not be read or written
    std::string saved_as_;  // a received file's path, once it is open
    uint64_t acknowledged_ = 0;
    std::string ack_bytes_;  // an acknowledgement cut short by TCP
    uint64_t shown_ = 0;     // `transferred` at the last progress line
    uint64_t shown_at_ = 0;  // when it was shown
    bool shown_once_ = false;
    const char* verb_ = "sent";
};

// How much of `sent` the peer has, after the acknowledgement `ack` (its
// running total modulo 2^32) when it had `acknowledged` before: exact while
// less than 4 GiB is in flight. A value claiming more than was sent, or
// less than before, changes nothing.
uint64_t AcknowledgedUpTo(uint64_t sent, uint64_t acknowledged, uint32_t ack);

// "x" of "received %llu bytes  (+%llu)  x%%": transferred * 100 / size,
// exact for any 64-bit size.
unsigned PercentOf(uint64_t transferred, uint64_t size);

}  // namespace zorl
