#include "dcc/DccTransfer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/FileNames.h"
#include "common/Format.h"
#include "common/Links.h"
#include "dcc/Dcc.h"
#include "dcc/DccServices.h"
#include "platform/Platform.h"
#include "session/IrcSocket.h"
#include "windows/Output.h"

namespace zorl {
namespace {

uint32_t ReadBigEndian(const char* bytes) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

std::string BigEndian(uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 3; i >= 0; --i, value >>= 8)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(value & 0xFF);
    return bytes;
}

// Hands all of `size` bytes to the socket; false when it refused some.
bool SendAll(CIrcSocket& socket, const char* data, std::size_t size, WsaError& error) {
    IAsyncSocket* platformSocket = socket.Platform();
    if (!platformSocket) {
        error = kWsaNotSocket;
        return false;
    }
    while (size > 0) {
        long n = platformSocket->Send(data, size, error);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Only the user may read what a stranger sent: a new file is made 0600 (one
// that is there already keeps its mode). It is cut to `start` bytes, where a
// resumed transfer goes on; a file shorter than that now fails with EINVAL
// rather than get a hole.
std::FILE* CreatePrivate(const std::string& path, uint64_t start) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | (start == 0 ? O_TRUNC : 0) | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0) return nullptr;
    struct stat info {};
    const auto at = static_cast<off_t>(start);
    std::FILE* file = nullptr;
    if (start != 0 && (::fstat(fd, &info) != 0 || info.st_size < at))
        errno = EINVAL;
    else if (::ftruncate(fd, at) == 0 && ::lseek(fd, at, SEEK_SET) == at)
        file = ::fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
}

}  // namespace

uint64_t AcknowledgedUpTo(uint64_t sent, uint64_t acknowledged, uint32_t ack) {
    const uint64_t behind = static_cast<uint32_t>(static_cast<uint32_t>(sent) - ack);
    return behind <= sent - acknowledged ? sent - behind : acknowledged;
}

unsigned PercentOf(uint64_t transferred, uint64_t size) {
    if (size == 0) return 0;
    return static_cast<unsigned>(static_cast<unsigned __int128>(transferred) * 100 / size);
}

// A resumed transfer counts, acknowledges and shows progress from the byte
// it starts at, as peers do.
CDccTransfer::CDccTransfer(const DccServices& services, CIrcSocket& socket)
    : s_(services), socket_(socket), acknowledged_(socket.file_start), shown_(socket.file_start) {}

CDccTransfer::~CDccTransfer() {
    if (file_) std::fclose(file_);
}

std::string CDccTransfer::Window() const { return DccWindowName(s_.registry, socket_); }

uint64_t CDccTransfer::Now() const { return s_.platform.clock.TickCount(); }

// ---- Sending ---------------------------------------------------------------

bool CDccTransfer::OpenForReading() {
    verb_ = "sent";
    file_ = std::fopen(socket_.file_path.c_str(), "rb");
    if (file_ && socket_.file_start != 0 &&
        ::fseeko(file_, static_cast<off_t>(socket_.file_start), SEEK_SET) != 0) {
        const int error = errno;
        std::fclose(file_);
        file_ = nullptr;
        errno = error;
    }
    if (file_) {
        // Whole blocks are read at once; a stdio buffer would only copy them.
        std::setvbuf(file_, nullptr, _IONBF, 0);
        block_.resize(kBlock);
        return true;
    }
    Fail("Unable to read " + socket_.file_path, errno);
    return false;
}

void CDccTransfer::SendNext() {
    if (finished_ || !socket_.connected) return;
    if (!file_ && !reading_done_ && !OpenForReading()) return;
    // A progress line may run a nested event loop (a message box), in which
    // an acknowledgement can finish the transfer: look at file_ every round.
    while (file_ && !reading_done_ && socket_.transferred - acknowledged_ < kWindow) {
        const std::size_t n = std::fread(block_.data(), 1, block_.size(), file_);
        if (n == 0) {
            if (std::ferror(file_)) {
                Fail("Unable to read " + socket_.file_path, errno);
                return;
            }
            reading_done_ = true;
            break;
        }
        WsaError error = kWsaOk;
        if (!SendAll(socket_, block_.data(), n, error)) {
            Fail("Unable to send " + socket_.file_path, 0);
            return;
        }
        socket_.transferred += n;
        Progress("sent", Now(), false);
    }
    if (finished_ || !reading_done_ || acknowledged_ != socket_.transferred) return;
    // Everything is sent and the peer has it all.
    Finish();
    socket_.Close();
    socket_.connected = false;
    s_.output.Print(&socket_, Window(), Cls::Info, "file transfer finished");
}

// Acknowledgements come 4 bytes each, but TCP may cut one in two or join
// several: whole ones are taken, a part waits for the rest.
void CDccTransfer::TakeAcknowledgements(std::string_view bytes) {
    ack_bytes_.append(bytes);
    const uint64_t before = acknowledged_;
    std::size_t at = 0;
    for (; ack_bytes_.size() - at >= 4; at += 4)
        acknowledged_ = AcknowledgedUpTo(socket_.transferred, acknowledged_,
                                         ReadBigEndian(ack_bytes_.data() + at));
    ack_bytes_.erase(0, at);
    if (acknowledged_ != before) SendNext();
}

// ---- Receiving -------------------------------------------------------------

bool CDccTransfer::OpenForWriting() {
    verb_ = "received";
    if (file_) return true;
    const std::string name = "download/" + PlainFileName(socket_.file_path);
    file_ = CreatePrivate(s_.configDir + name, socket_.file_start);
    if (file_) {
        saved_as_ = s_.configDir + name;
        // Each chunk goes to the file as it comes, before it is acknowledged.
        std::setvbuf(file_, nullptr, _IONBF, 0);
        return true;
    }
    Fail("Unable to write " + name, errno);
    return false;
}

// A sender that goes on past the size it offered is cut off there: the file
// keeps the offered bytes, and the disk does not fill with the rest.
bool CDccTransfer::TakeData(const char* data, std::size_t size) {
    if (finished_) return false;
    if (!file_ && !OpenForWriting()) return false;
    const uint64_t offered = socket_.file_size;
    const uint64_t left = offered - std::min(offered, socket_.transferred);
    const bool beyond = offered != 0 && size > left;
    const std::size_t kept = beyond ? static_cast<std::size_t>(left) : size;
    if (std::fwrite(data, 1, kept, file_) != kept) {
        Fail("Unable to write download/" + PlainFileName(socket_.file_path), errno);
        return false;
    }
    socket_.transferred += kept;
    const bool complete = offered != 0 && socket_.transferred >= offered;
    Progress("received", Now(), complete);
    if (kept > 0) {
        const std::string ack = BigEndian(static_cast<uint32_t>(socket_.transferred));
        WsaError error = kWsaOk;
        SendAll(socket_, ack.data(), ack.size(), error);
    }
    if (!beyond) return true;
    Finish();
    socket_.Close();
    socket_.connected = false;
    s_.output.PrintF(&socket_, Window(), Cls::UError,
                     "file transfer closed: the sender went past the offered %llu bytes",
                     static_cast<unsigned long long>(offered));
    return false;
}

// ---- Both ------------------------------------------------------------------

void CDccTransfer::Finish() {
    if (finished_) return;
    finished_ = true;
    Progress(verb_, Now(), true);
    if (file_) std::fclose(file_);
    file_ = nullptr;
    // Where a received file went, so that it can be found.
    if (!saved_as_.empty() && !failed_)
        s_.output.Print(&socket_, Window(), Cls::Info, "saved as " + FileLink(saved_as_));
}

// What stopped the transfer, then the transfer closes. A file that cannot
// be read or written is never reported as a finished transfer.
void CDccTransfer::Fail(const std::string& what, int errnoValue) {
    std::string text = "** DCC: " + what;
    if (errnoValue != 0) text += std::string(" (") + std::strerror(errnoValue) + ")";
    s_.output.Print(&socket_, Window(), Cls::UError, text);
    failed_ = true;
    Finish();
    socket_.Close();
    socket_.connected = false;
    s_.output.Print(&socket_, Window(), Cls::Info, "file transfer closed");
}

void CDccTransfer::Progress(const char* verb, uint64_t now, bool last) {
    const uint64_t total = socket_.transferred;
    if (total == shown_) return;
    if (shown_once_ && !last && now - shown_at_ < kProgressInterval) return;
    const auto t = static_cast<unsigned long long>(total);
    const auto step = static_cast<unsigned long long>(total - shown_);
    const std::string text = socket_.file_size != 0
                                 ? Format("%s %llu bytes  (+%llu)  %u%%", verb, t, step,
                                          PercentOf(total, socket_.file_size))
                                 : Format("%s %llu bytes  (+%llu)", verb, t, step);
    shown_ = total;
    shown_at_ = now;
    shown_once_ = true;
    s_.output.Print(&socket_, Window(), Cls::Normal, text);
}

}  // namespace zorl
