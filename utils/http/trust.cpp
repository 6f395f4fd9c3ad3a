#include "utils/http/trust.h"

#include <memory>
#include <mutex>
#include <string>

#include <openssl/bio.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include "utils/http/http.h"
#include "utils/log/log.h"

namespace Utils {

namespace {

std::mutex& ExtraCaMutex() {
    static std::mutex m;
    return m;
}

// PEM text of the test CA; guarded by ExtraCaMutex().
std::string& ExtraCaPem() {
    static std::string pem;
    return pem;
}

std::string ExtraCaSnapshot() {
    std::lock_guard<std::mutex> lock(ExtraCaMutex());
    return ExtraCaPem();
}

// Adds every certificate of `pem` to `store`; returns how many.
int AddPemCertificates(X509_STORE* store, const std::string& pem) {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(
        BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), &BIO_free);
    if (!bio) {
        return 0;
    }
    int added = 0;
    while (X509* cert = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)) {
        added += X509_STORE_add_cert(store, cert) == 1 ? 1 : 0;
        X509_free(cert);
    }
    return added;
}

}  // namespace

void SetHttpExtraCaCertForTesting(const std::string& pem) {
    std::lock_guard<std::mutex> lock(ExtraCaMutex());
    ExtraCaPem() = pem;
}

bool InstallTrustStore(SSL_CTX* context) {
    if (context == nullptr) {
        return false;
    }
    X509_STORE* store = X509_STORE_new();
    if (store == nullptr) {
        LOG_ERROR("X509_STORE_new failed");
        return false;
    }
    if (!detail::AddSystemRoots(store)) {
        LOG_ERROR("the system's trusted certificates cannot be read");
    }
    const std::string extra = ExtraCaSnapshot();
    if (!extra.empty() && AddPemCertificates(store, extra) == 0) {
        LOG_ERROR("the test CA holds no certificate");
    }
    // The context owns the store from here on.
    SSL_CTX_set_cert_store(context, store);
    return true;
}

}  // namespace Utils
