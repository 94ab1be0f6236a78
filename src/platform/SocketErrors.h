// Socket errors as the engine sees them: the Windows Sockets numbers on every
// platform, so that one table of texts serves every message. The host maps
// its own errors onto them exactly (ECONNREFUSED is kWsaConnectionRefused).
#pragma once

namespace zorl {

enum WsaError : int {
    kWsaOk = 0,  // success; on a close notification, a clean close by the peer
    kWsaInterrupted = 10004,
    kWsaBadFile = 10009,
    kWsaAccessDenied = 10013,
    kWsaBadAddress = 10014,
    kWsaInvalid = 10022,  // also: the host name could not be resolved
    kWsaTooManyFiles = 10024,
    kWsaWouldBlock = 10035,
    kWsaInProgress = 10036,
    kWsaAlready = 10037,
    kWsaNotSocket = 10038,
    kWsaNoDestination = 10039,
    kWsaMessageTooLong = 10040,
    kWsaWrongProtocol = 10041,
    kWsaBadProtocolOption = 10042,
    kWsaProtocolNotSupported = 10043,
    kWsaSocketTypeNotSupported = 10044,
    kWsaOperationNotSupported = 10045,
    kWsaProtocolFamilyNotSupported = 10046,
    kWsaAddressFamilyNotSupported = 10047,
    kWsaAddressInUse = 10048,
    kWsaAddressNotAvailable = 10049,
    kWsaNetworkDown = 10050,
    kWsaNetworkUnreachable = 10051,
    kWsaNetworkReset = 10052,
    kWsaConnectionAborted = 10053,
    kWsaConnectionReset = 10054,
    kWsaNoBuffers = 10055,
    kWsaIsConnected = 10056,
    kWsaNotConnected = 10057,
    kWsaShutdown = 10058,
    kWsaTooManyReferences = 10059,
    kWsaTimedOut = 10060,
    kWsaConnectionRefused = 10061,
    kWsaLoop = 10062,
    kWsaNameTooLong = 10063,
    kWsaHostDown = 10064,
    kWsaHostUnreachable = 10065,
    kWsaNotEmpty = 10066,
    kWsaTooManyProcesses = 10067,
    kWsaTooManyUsers = 10068,
    kWsaDiskQuota = 10069,
    kWsaStale = 10070,
    kWsaRemote = 10071,
    kWsaSystemNotReady = 10091,
    kWsaVersionNotSupported = 10092,
    kWsaNotInitialised = 10093,
    kWsaDisconnecting = 10101,
    kWsaSystemCallFailure = 10107,  // has no text: reads as an unknown error
    kWsaHostNotFound = 11001,
    kWsaTryAgain = 11002,
    kWsaNoRecovery = 11003,
    kWsaNoData = 11004,
};

}  // namespace zorl
