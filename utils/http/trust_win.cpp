#include "utils/system/wincrypt_openssl_win.h"

#include <openssl/x509.h>

#include "utils/http/trust.h"

namespace Utils::detail {

bool AddSystemRoots(X509_STORE* store) {
    HCERTSTORE system = CertOpenSystemStoreW(0, L"ROOT");
    if (system == nullptr) {
        return false;
    }
    PCCERT_CONTEXT cert = nullptr;
    while ((cert = CertEnumCertificatesInStore(system, cert)) != nullptr) {
        const unsigned char* der = cert->pbCertEncoded;
        X509* x509 = d2i_X509(nullptr, &der, static_cast<long>(cert->cbCertEncoded));
        if (x509 != nullptr) {
            X509_STORE_add_cert(store, x509);
            X509_free(x509);
        }
    }
    // The enumeration frees each context as it moves on and the last one
    // when it returns nullptr.
    CertCloseStore(system, 0);
    return true;
}

}  // namespace Utils::detail
