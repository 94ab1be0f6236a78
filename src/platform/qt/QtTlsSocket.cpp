#include "platform/qt/QtTlsSocket.h"

#include <unistd.h>

#include <algorithm>
#include <vector>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QHostAddress>
#include <QMetaObject>
#include <QSslCertificate>
#include <QSslCipher>
#include <QSslError>
#include <QSslKey>
#include <QSslSocket>
#include <QTimer>

namespace zorl::qt {
namespace {

// Upper bound of the bytes waiting to be encrypted and sent, as for QtSocket.
constexpr qint64 kQueueLimit = qint64{4} << 20;
constexpr int kHandshakeTimeoutMs = 30000;

std::string Utf8(const QString& text) { return text.toUtf8().toStdString(); }

// Errors after the handshake, in the codes a plain connection reports.
WsaError StreamError(QAbstractSocket::SocketError error) {
    switch (error) {
        case QAbstractSocket::RemoteHostClosedError: return kWsaOk;
        case QAbstractSocket::SocketTimeoutError: return kWsaTimedOut;
        case QAbstractSocket::SslInternalError:
        case QAbstractSocket::SslInvalidUserDataError:
        case QAbstractSocket::SslHandshakeFailedError: return kWsaConnectionAborted;
        default: return kWsaConnectionReset;
    }
}

}  // namespace

QtTlsSocket::QtTlsSocket() : context_(std::make_unique<QObject>()) {}

namespace {

// The private key of a PEM file, whatever its algorithm.
QSslKey ReadKey(const QByteArray& pem) {
    for (QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa}) {
        QSslKey key(pem, algorithm, QSsl::Pem, QSsl::PrivateKey);
        if (!key.isNull()) return key;
    }
    return {};
}

// The names a certificate is for: its common name, then its DNS names.
std::vector<std::string> NamesOf(const QSslCertificate& certificate) {
    std::vector<std::string> names;
    for (const QString& name : certificate.subjectInfo(QSslCertificate::CommonName))
        names.push_back(Utf8(name));
    for (const QString& name : certificate.subjectAlternativeNames().values(QSsl::DnsEntry))
        if (std::find(names.begin(), names.end(), Utf8(name)) == names.end())
            names.push_back(Utf8(name));
    return names;
}

}  // namespace

std::string QtTlsSocket::UseClientCertificate(const std::string& pemPath) {
    QFile file(QFile::decodeName(QByteArray::fromStdString(pemPath)));
    if (!file.open(QIODevice::ReadOnly)) return "the file " + pemPath + " cannot be read";
    const QByteArray pem = file.readAll();
    const QList<QSslCertificate> certificates = QSslCertificate::fromData(pem, QSsl::Pem);
    if (certificates.isEmpty()) return "the file " + pemPath + " holds no certificate";
    const QSslKey key = ReadKey(pem);
    if (key.isNull()) return "the file " + pemPath + " holds no private key";
    local_certificate_ = std::make_unique<QSslCertificate>(certificates.front());
    local_key_ = std::make_unique<QSslKey>(key);
    return {};
}

QtTlsSocket::~QtTlsSocket() { Close(); }

WsaError QtTlsSocket::Create(unsigned events, const std::string& bindAddress, uint16_t port) {
    if (state_ != State::Empty) return kWsaInvalid;
    WsaError error = tcp_.Create(kEventConnect, bindAddress, port);
    if (error == kWsaOk) events_ = events;
    return error;
}

WsaError QtTlsSocket::Connect(const std::string& host, uint16_t port) {
    if (state_ != State::Empty) return state_ == State::Connected ? kWsaIsConnected : kWsaAlready;
    host_ = host;
    session_ = TlsSession{};
    tcp_.SetListener(this);
    WsaError result = tcp_.Connect(host, port);
    // Even a connect that completed at once goes through the handshake.
    if (result == kWsaOk || result == kWsaWouldBlock) {
        state_ = State::Connecting;
        return kWsaWouldBlock;
    }
    return result;
}

void QtTlsSocket::OnSocketConnect(WsaError error) {
    if (state_ != State::Connecting) return;
    if (error != kWsaOk) {
        state_ = State::Failed;
        if (listener_ && (events_ & kEventConnect)) listener_->OnSocketConnect(error);
        return;
    }
    StartHandshake();
}

void QtTlsSocket::StartHandshake() {
    const int fd = tcp_.ReleaseDescriptor();
    ssl_ = new QSslSocket();
    QObject::connect(ssl_, &QSslSocket::encrypted, context_.get(), [this] { OnEncrypted(); });
    QObject::connect(ssl_, &QSslSocket::sslErrors, context_.get(),
                     [this](const QList<QSslError>& errors) {
                         // Recorded for the engine, which refuses the
                         // connection unless the user pinned this certificate.
                         QStringList reasons;
                         bool nameOnly = true;
                         for (const QSslError& e : errors) {
                             reasons << e.errorString();
                             nameOnly &= e.error() == QSslError::HostNameMismatch;
                         }
                         session_.problem = Utf8(reasons.join(QStringLiteral("; ")));
                         session_.onlyNameMismatch = nameOnly && !errors.isEmpty();
                         ssl_->ignoreSslErrors();
                     });
    QObject::connect(ssl_, &QSslSocket::errorOccurred, context_.get(), [this] { OnSocketError(); });
    QObject::connect(ssl_, &QSslSocket::readyRead, context_.get(), [this] { Post(); });
    QObject::connect(ssl_, &QSslSocket::disconnected, context_.get(), [this] {
        peer_closed_ = true;
        Post();
    });
    state_ = State::Handshaking;
    if (fd < 0 || !ssl_->setSocketDescriptor(fd)) {
        if (fd >= 0) ::close(fd);
        Fail(kWsaSystemCallFailure, "the connection could not be handed to TLS");
        return;
    }
    ssl_->setPeerVerifyName(QString::fromStdString(host_));
    if (local_certificate_ && local_key_) {
        ssl_->setLocalCertificate(*local_certificate_);
        ssl_->setPrivateKey(*local_key_);
    }
    // A server that takes the connection and never answers the handshake
    // (a plain-text port, say) would otherwise leave it pending for ever.
    QTimer::singleShot(kHandshakeTimeoutMs, context_.get(), [this] {
        if (state_ == State::Handshaking)
            Fail(kWsaTimedOut, "the server did not complete the TLS handshake");
    });
    ssl_->startClientEncryption();
}

void QtTlsSocket::OnEncrypted() {
    if (state_ != State::Handshaking) return;
    const QSslCertificate certificate = ssl_->peerCertificate();
    if (certificate.isNull()) {
        session_.problem = "the server sent no certificate";
    } else {
        session_.fingerprint =
            certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper().toStdString();
        session_.names = NamesOf(certificate);
        session_.expires = static_cast<std::time_t>(certificate.expiryDate().toSecsSinceEpoch());
    }
    session_.verified = session_.problem.empty() && !certificate.isNull();
    const QSslCipher cipher = ssl_->sessionCipher();
    session_.protocol = Utf8(cipher.protocolString());
    session_.cipher = Utf8(cipher.name());
    state_ = State::Connected;
    TellConnect(kWsaOk);
}

void QtTlsSocket::OnSocketError() {
    const QAbstractSocket::SocketError error = ssl_->error();
    if (state_ == State::Handshaking) {
        // A server that closes in the handshake refused TLS itself.
        Fail(error == QAbstractSocket::RemoteHostClosedError ? kWsaConnectionReset
                                                             : kWsaConnectionAborted,
             Utf8(ssl_->errorString()));
        return;
    }
    if (state_ != State::Connected) return;
    if (stream_error_ == kWsaOk) stream_error_ = StreamError(error);
    // Some errors leave the socket open in Qt's view; for the engine the
    // stream has ended.
    peer_closed_ = true;
    Post();
}

void QtTlsSocket::Fail(WsaError error, const std::string& why) {
    state_ = State::Failed;
    session_.failure = why;
    TellConnect(error);
}

void QtTlsSocket::TellConnect(WsaError error) {
    QMetaObject::invokeMethod(
        context_.get(),
        [this, error] {
            if (listener_ && (events_ & kEventConnect)) listener_->OnSocketConnect(error);
        },
        Qt::QueuedConnection);
}

std::unique_ptr<IAsyncSocket> QtTlsSocket::Accept(WsaError& error) {
    error = kWsaOperationNotSupported;
    return nullptr;
}

long QtTlsSocket::Receive(char* buffer, std::size_t size, WsaError& error) {
    if (state_ != State::Connected) {
        error = state_ == State::Empty ? kWsaNotSocket : kWsaNotConnected;
        return -1;
    }
    receive_told_ = false;
    const qint64 n = ssl_->read(buffer, static_cast<qint64>(size));
    if (ssl_->bytesAvailable() > 0 || peer_closed_) Post();
    if (n > 0) return static_cast<long>(n);
    if (peer_closed_) return 0;
    error = kWsaWouldBlock;
    return -1;
}

long QtTlsSocket::Send(const char* data, std::size_t size, WsaError& error) {
    if (state_ != State::Connected) {
        error = state_ == State::Empty ? kWsaNotSocket : kWsaNotConnected;
        return -1;
    }
    if (peer_closed_) {
        error = stream_error_ == kWsaOk ? kWsaShutdown : stream_error_;
        return -1;
    }
    if (size == 0) return 0;
    if (ssl_->bytesToWrite() + static_cast<qint64>(size) > kQueueLimit) {
        error = kWsaNoBuffers;
        return -1;
    }
    const qint64 n = ssl_->write(data, static_cast<qint64>(size));
    if (n < 0) {
        error = kWsaShutdown;
        return -1;
    }
    return static_cast<long>(n);
}

void QtTlsSocket::Post() {
    if (posted_) return;
    posted_ = true;
    QMetaObject::invokeMethod(
        context_.get(), [this] { Pump(); }, Qt::QueuedConnection);
}

void QtTlsSocket::Pump() {
    posted_ = false;
    if (!listener_ || state_ != State::Connected) return;
    if (ssl_->bytesAvailable() > 0) {
        if (receive_told_) return;
        receive_told_ = true;
        if (events_ & kEventRead) listener_->OnSocketReceive(kWsaOk);
        return;
    }
    if (peer_closed_ && !close_told_) {
        close_told_ = true;
        if (events_ & kEventClose) listener_->OnSocketClose(stream_error_);
    }
}

void QtTlsSocket::Close() {
    tcp_.Close();
    // Queued callbacks and signal connections of this socket end here.
    context_ = std::make_unique<QObject>();
    if (ssl_) {
        QSslSocket* ssl = ssl_;
        ssl_ = nullptr;
        // Bytes still to be sent (a QUIT) go out in the background, followed
        // by the TLS close; the application owns the socket until then, so
        // nothing is left behind at exit.
        ssl->setParent(QCoreApplication::instance());
        QObject::connect(ssl, &QSslSocket::disconnected, ssl, &QObject::deleteLater);
        QTimer::singleShot(60000, ssl, &QObject::deleteLater);
        if (state_ == State::Connected)
            ssl->disconnectFromHost();
        else
            ssl->abort();
        if (ssl->state() == QAbstractSocket::UnconnectedState) ssl->deleteLater();
    }
    state_ = State::Empty;
    session_ = TlsSession{};
    receive_told_ = posted_ = peer_closed_ = close_told_ = false;
    stream_error_ = kWsaOk;
}

namespace {

bool AddressOf(const QHostAddress& host, quint16 hostPort, std::string& address, uint16_t& port) {
    bool ipv4 = false;
    host.toIPv4Address(&ipv4);
    if (!ipv4) return false;
    address = host.toString().toStdString();
    port = hostPort;
    return true;
}

}  // namespace

bool QtTlsSocket::PeerAddress(std::string& address, uint16_t& port) const {
    if (!ssl_) return tcp_.PeerAddress(address, port);
    return AddressOf(ssl_->peerAddress(), ssl_->peerPort(), address, port);
}

bool QtTlsSocket::LocalAddress(std::string& address, uint16_t& port) const {
    if (!ssl_) return tcp_.LocalAddress(address, port);
    return AddressOf(ssl_->localAddress(), ssl_->localPort(), address, port);
}

void QtTlsSocket::SetListener(ISocketListener* listener) {
    listener_ = listener;
    if (listener_ && state_ == State::Connected) Post();
}

const TlsSession* QtTlsSocket::Tls() const { return &session_; }

}  // namespace zorl::qt
