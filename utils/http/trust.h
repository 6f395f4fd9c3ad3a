// The certificates an https request trusts: the system's trust store, plus
// a test CA set through SetHttpExtraCaCertForTesting. Any thread.
#pragma once

#include <openssl/ssl.h>

namespace Utils {

// Gives `context` a fresh certificate store with the system's trusted roots
// and the test CA (if any). Returns false when no store could be built; the
// context then keeps its own, which trusts nothing that was not added to it.
bool InstallTrustStore(SSL_CTX* context);

namespace detail {
// Adds the system's trusted root certificates to `store` (Linux: OpenSSL's
// default file and folder; Windows: the ROOT system store). Returns false
// when the system's store cannot be read.
bool AddSystemRoots(X509_STORE* store);
}  // namespace detail

}  // namespace Utils
