// The Windows trust store: the ROOT system store reaches OpenSSL.
#include <gtest/gtest.h>

#include <openssl/x509.h>

#include "utils/http/trust.h"

namespace {

TEST(SystemTrustStore, LoadsTheRootCertificates) {
    X509_STORE* store = X509_STORE_new();
    ASSERT_NE(nullptr, store);
    EXPECT_TRUE(Utils::detail::AddSystemRoots(store));
    EXPECT_GT(sk_X509_OBJECT_num(X509_STORE_get0_objects(store)), 0);
    X509_STORE_free(store);
}

}  // namespace
