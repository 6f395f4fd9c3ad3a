#include "tests/support/test_certificate.h"

#include <memory>

#include <openssl/bio.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

namespace TestSupport {

TestCertificate::TestCertificate() {
    valid_ = Build();
}

TestCertificate::~TestCertificate() {
    X509_free(cert_);
    EVP_PKEY_free(key_);
}

bool TestCertificate::Build() {
    key_ = EVP_EC_gen("P-256");
    cert_ = X509_new();
    if (key_ == nullptr || cert_ == nullptr) {
        return false;
    }
    X509_set_version(cert_, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert_), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert_), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert_), 24 * 3600);
    X509_set_pubkey(cert_, key_);
    X509_NAME* name = X509_get_subject_name(cert_);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("localhost"), -1, -1, 0);
    X509_set_issuer_name(cert_, name);

    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert_, cert_, nullptr, nullptr, 0);
    const struct {
        int nid;
        const char* value;
    } extensions[] = {
        {NID_basic_constraints, "critical,CA:TRUE"},
        {NID_key_usage, "critical,digitalSignature,keyCertSign"},
        {NID_subject_key_identifier, "hash"},
        {NID_subject_alt_name, "DNS:localhost"},
    };
    for (const auto& e : extensions) {
        X509_EXTENSION* ext = X509V3_EXT_nconf_nid(nullptr, &ctx, e.nid, e.value);
        if (ext == nullptr) {
            return false;
        }
        X509_add_ext(cert_, ext, -1);
        X509_EXTENSION_free(ext);
    }
    return X509_sign(cert_, key_, EVP_sha256()) > 0;
}

std::string TestCertificate::Pem() const {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), &BIO_free);
    if (!bio || PEM_write_bio_X509(bio.get(), cert_) != 1) {
        return {};
    }
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<size_t>(size));
}

}  // namespace TestSupport
