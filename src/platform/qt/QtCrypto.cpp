#include "platform/qt/QtCrypto.h"

#include <fcntl.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <unistd.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QMessageAuthenticationCode>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QSslCertificate>
#include <memory>

namespace zorl::qt {
namespace {

QByteArray Bytes(std::string_view data) {
    return QByteArray(data.data(), static_cast<qsizetype>(data.size()));
}

std::string Std(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Ten years: a certificate that logs in to an account should not lapse
// under its user.
constexpr long kValiditySeconds = 10L * 365 * 24 * 3600;

template <typename T, void (*Free)(T*)>
struct Freer {
    void operator()(T* p) const { Free(p); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Freer<EVP_PKEY, EVP_PKEY_free>>;
using CertPtr = std::unique_ptr<X509, Freer<X509, X509_free>>;
using BioPtr = std::unique_ptr<BIO, Freer<BIO, BIO_free_all>>;

std::string OpenSslError(const char* what) {
    char text[256] = {0};
    ERR_error_string_n(ERR_get_error(), text, sizeof text);
    return std::string(what) + ": " + text;
}

// The key and the certificate, in PEM, or "" (and `error`).
std::string MakePem(const std::string& commonName, std::string& error) {
    KeyPtr key(EVP_EC_gen("P-256"));
    if (!key) return error = OpenSslError("no key"), "";
    CertPtr cert(X509_new());
    if (!cert) return error = OpenSslError("no certificate"), "";
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()),
                     static_cast<long>(QRandomGenerator::system()->bounded(1, 0x7FFFFFFF)));
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), kValiditySeconds);
    X509_set_pubkey(cert.get(), key.get());
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1,
                               0);
    X509_set_issuer_name(cert.get(), name);
    if (X509_sign(cert.get(), key.get(), EVP_sha256()) == 0)
        return error = OpenSslError("signing failed"), "";
    BioPtr out(BIO_new(BIO_s_mem()));
    if (!out || PEM_write_bio_X509(out.get(), cert.get()) == 0 ||
        PEM_write_bio_PrivateKey(out.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 0)
        return error = OpenSslError("writing PEM failed"), "";
    char* data = nullptr;
    const long size = BIO_get_mem_data(out.get(), &data);
    return std::string(data, static_cast<std::size_t>(size));
}

// Writes `pem` to a new file, private from its first byte.
bool WriteNewFile(const std::string& path, const std::string& pem, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = errno == EEXIST ? "the file exists already" : "the file cannot be created";
        return false;
    }
    std::size_t written = 0;
    while (written < pem.size()) {
        const ssize_t n = ::write(fd, pem.data() + written, pem.size() - written);
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    const bool ok = written == pem.size() && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok) {
        ::unlink(path.c_str());
        error = "the file could not be written";
    }
    return ok;
}

}  // namespace

std::string QtCrypto::Sha256(std::string_view data) {
    return Std(QCryptographicHash::hash(Bytes(data), QCryptographicHash::Sha256));
}

std::string QtCrypto::HmacSha256(std::string_view key, std::string_view data) {
    return Std(
        QMessageAuthenticationCode::hash(Bytes(data), Bytes(key), QCryptographicHash::Sha256));
}

std::string QtCrypto::Pbkdf2Sha256(std::string_view password, std::string_view salt, int iterations,
                                   std::size_t length) {
    return Std(QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, Bytes(password),
                                                  Bytes(salt), iterations,
                                                  static_cast<quint64>(length)));
}

std::string QtCrypto::RandomBytes(std::size_t count) {
    std::string out(count, '\0');
    for (char& c : out) c = static_cast<char>(QRandomGenerator::system()->bounded(256));
    return out;
}

MadeCertificate QtCrypto::MakeClientCertificate(const std::string& path,
                                                const std::string& commonName) {
    MadeCertificate made;
    const std::string pem = MakePem(commonName, made.error);
    if (pem.empty() || !WriteNewFile(path, pem, made.error)) return made;
    made.fingerprint = PemFingerprint(path);
    made.ok = !made.fingerprint.empty();
    if (!made.ok) made.error = "the new file holds no readable certificate";
    return made;
}

std::string QtCrypto::CertificateFingerprint(const std::string& path) {
    return PemFingerprint(path);
}

std::string PemFingerprint(const std::string& path) {
    const QList<QSslCertificate> certificates =
        QSslCertificate::fromPath(QFile::decodeName(QByteArray::fromStdString(path)), QSsl::Pem,
                                  QSslCertificate::PatternSyntax::FixedString);
    if (certificates.isEmpty()) return {};
    return certificates.front()
        .digest(QCryptographicHash::Sha256)
        .toHex(':')
        .toUpper()
        .toStdString();
}

}  // namespace zorl::qt
