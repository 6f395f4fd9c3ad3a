// A self-signed certificate for the host name "localhost" and its key, made
// at run time so that no key material lives in the repository. The
// certificate is its own CA: trusting its PEM text trusts the server.
#pragma once

#include <string>

#include <openssl/evp.h>
#include <openssl/x509.h>

namespace TestSupport {

class TestCertificate {
  public:
    // An EC P-256 key and a certificate valid from an hour ago for a day, with
    // the subject alternative name DNS:localhost.
    TestCertificate();
    ~TestCertificate();
    TestCertificate(const TestCertificate&) = delete;
    TestCertificate& operator=(const TestCertificate&) = delete;

    // False when OpenSSL could not make the key or the certificate.
    bool valid() const { return valid_; }
    // Owned by this object (servers take their own references).
    X509* cert() const { return cert_; }
    EVP_PKEY* key() const { return key_; }
    // The certificate as PEM text.
    std::string Pem() const;

  private:
    bool Build();

    EVP_PKEY* key_ = nullptr;
    X509* cert_ = nullptr;
    bool valid_ = false;
};

}  // namespace TestSupport
