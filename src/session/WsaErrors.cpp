// The texts of the socket error codes. The socket layer reports Windows
// Sockets numbers on every platform, so one table serves every message.
#include <algorithm>
#include <iterator>

#include "session/ServerConnection.h"

namespace zorl {
namespace {

struct ErrorText {
    WsaError code;
    const char* text;
};

// Sorted by code; kWsaSystemCallFailure has no text of its own.
constexpr ErrorText kErrorTexts[] = {
    {kWsaOk, "no error (0)"},
    {kWsaInterrupted, "Interrupted system call"},
    {kWsaBadFile, "Bad file number"},
    {kWsaAccessDenied, "Permission denied"},
    {kWsaBadAddress, "Bad address"},
    {kWsaInvalid, "Unable to resolve server"},
    {kWsaTooManyFiles, "Too many open files"},
    {kWsaWouldBlock, "Operation would block"},
    {kWsaInProgress, "Operation now in progress"},
    {kWsaAlready, "Operation already in progress"},
    {kWsaNotSocket, "Socket operation on non-socket"},
    {kWsaNoDestination, "Destination address required"},
    {kWsaMessageTooLong, "Message too long"},
    {kWsaWrongProtocol, "Protocol wrong type for socket"},
    {kWsaBadProtocolOption, "Bad protocol option"},
    {kWsaProtocolNotSupported, "Protocol not supported"},
    {kWsaSocketTypeNotSupported, "Socket type not supported"},
    {kWsaOperationNotSupported, "Operation not supported on socket"},
    {kWsaProtocolFamilyNotSupported, "Protocol family not supported"},
    {kWsaAddressFamilyNotSupported, "Address family not supported by protocol family"},
    {kWsaAddressInUse, "Address already in use"},
    {kWsaAddressNotAvailable, "Can't assign requested address"},
    {kWsaNetworkDown, "Network is down"},
    {kWsaNetworkUnreachable, "Network is unreachable"},
    {kWsaNetworkReset, "Net dropped connection or reset"},
    {kWsaConnectionAborted, "Software caused connection abort"},
    {kWsaConnectionReset, "Connection reset by peer"},
    {kWsaNoBuffers, "No buffer space available"},
    {kWsaIsConnected, "Socket is already connected"},
    {kWsaNotConnected, "Socket is not connected"},
    {kWsaShutdown, "Can't send after socket shutdown"},
    {kWsaTooManyReferences, "Too many references, can't splice"},
    {kWsaTimedOut, "Connection timed out"},
    {kWsaConnectionRefused, "Connection refused"},
    {kWsaLoop, "Too many levels of symbolic links"},
    {kWsaNameTooLong, "File name too long"},
    {kWsaHostDown, "Host is down"},
    {kWsaHostUnreachable, "No Route to Host"},
    {kWsaNotEmpty, "Directory not empty"},
    {kWsaTooManyProcesses, "Too many processes"},
    {kWsaTooManyUsers, "Too many users"},
    {kWsaDiskQuota, "Disc Quota Exceeded"},
    {kWsaStale, "Stale NFS file handle"},
    {kWsaRemote, "Too many levels of remote in path"},
    {kWsaSystemNotReady, "Network SubSystem is unavailable"},
    {kWsaVersionNotSupported, "WINSOCK DLL Version out of range"},
    {kWsaNotInitialised, "Successful WSASTARTUP not yet performed"},
    {kWsaDisconnecting, "WSAEDISCON"},
    {kWsaHostNotFound, "Host not found"},
    {kWsaTryAgain, "Non-Authoritative Host not found"},
    {kWsaNoRecovery, "Non-Recoverable errors: FORMERR, REFUSED, NOTIMP"},
    {kWsaNoData, "Valid name, no data record of requested type."},
};

}  // namespace

std::string CServerConnection::WsaErrorText(WsaError code) {
    auto it = std::lower_bound(std::begin(kErrorTexts), std::end(kErrorTexts), code,
                               [](const ErrorText& entry, WsaError c) { return entry.code < c; });
    if (it == std::end(kErrorTexts) || it->code != code) return "unknown WSA error";
    return it->text;
}

}  // namespace zorl
