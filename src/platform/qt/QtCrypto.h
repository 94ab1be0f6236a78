// The hashes of the login mechanisms from Qt, client certificates from
// OpenSSL (Qt reads certificates but cannot make them).
#pragma once

#include "platform/Crypto.h"

namespace zorl::qt {

class QtCrypto : public ICrypto {
public:
    std::string Sha256(std::string_view data) override;
    std::string HmacSha256(std::string_view key, std::string_view data) override;
    std::string Pbkdf2Sha256(std::string_view password, std::string_view salt, int iterations,
                             std::size_t length) override;
    std::string RandomBytes(std::size_t count) override;
    MadeCertificate MakeClientCertificate(const std::string& path,
                                          const std::string& commonName) override;
    std::string CertificateFingerprint(const std::string& path) override;
};

// "AB:CD:..." of the first certificate in a PEM file; "" when there is none.
std::string PemFingerprint(const std::string& path);

}  // namespace zorl::qt
