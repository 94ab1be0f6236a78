// Cryptographic primitives for the login mechanisms, and client
// certificates. The engine never computes a hash itself: the Qt host uses
// Qt's and OpenSSL's implementations. Bytes in, bytes out (std::string holds
// raw bytes, not text).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zorl {

// A certificate made for the user to log in with (SASL EXTERNAL).
struct MadeCertificate {
    bool ok = false;
    std::string fingerprint;  // SHA-256 of the certificate, "AB:CD:..."
    std::string error;        // why it could not be made
};

class ICrypto {
public:
    virtual ~ICrypto() = default;
    // 32 bytes each.
    virtual std::string Sha256(std::string_view data) = 0;
    virtual std::string HmacSha256(std::string_view key, std::string_view data) = 0;
    // PBKDF2 with HMAC-SHA-256: `length` bytes.
    virtual std::string Pbkdf2Sha256(std::string_view password, std::string_view salt,
                                     int iterations, std::size_t length) = 0;
    // Bytes from the system's secure random source.
    virtual std::string RandomBytes(std::size_t count) = 0;
    // A new key and a self-signed certificate for `commonName`, both in one
    // PEM file at `path` (created 0600, replacing nothing: an existing file
    // is an error).
    virtual MadeCertificate MakeClientCertificate(const std::string& path,
                                                  const std::string& commonName) = 0;
    // The SHA-256 fingerprint of the certificate in the PEM file at `path`;
    // "" when it holds none.
    virtual std::string CertificateFingerprint(const std::string& path) = 0;
};

}  // namespace zorl
