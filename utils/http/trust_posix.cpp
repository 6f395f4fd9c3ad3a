#include <openssl/x509.h>

#include "utils/http/trust.h"

namespace Utils::detail {

bool AddSystemRoots(X509_STORE* store) {
    // The default CA file and hashed folder of the system's OpenSSL
    // (Debian: /usr/lib/ssl/certs, kept by ca-certificates).
    return X509_STORE_set_default_paths(store) == 1;
}

}  // namespace Utils::detail
