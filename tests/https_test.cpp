// https against a TLS server in this process whose certificate is made by
// the test: refused unless trusted, accepted when the test trusts its CA.
// The server is addressed as "localhost" (the name in its certificate).
#include <gtest/gtest.h>

#include <string>

#include <openssl/x509.h>

#include "tests/support/http_server.h"
#include "tests/support/test_certificate.h"
#include "tests/support/testsupport.h"
#include "utils/http/http.h"
#include "utils/log/log.h"
#include "utils/system/faults.h"

namespace {

using TestSupport::LocalHttpServer;
using TestSupport::TempDir;

class HttpsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(certificate_.valid());
        server_ = std::make_unique<LocalHttpServer>(
            std::make_unique<httplib::SSLServer>(certificate_.cert(), certificate_.key()), "https");
        server_->server().Post("/post", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("secret answer", "text/plain");
        });
        server_->server().Get("/file.bin", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("secret file", "application/octet-stream");
        });
        ASSERT_TRUE(server_->Start());
        Utils::ClearPendingFaultsForTesting();
    }
    void TearDown() override {
        Utils::SetHttpExtraCaCertForTesting("");
        Utils::ClearPendingFaultsForTesting();
    }

    int Post(const std::string& host, std::string& response, std::string& error) {
        return Utils::HttpPost(5, server_->Url("/post", host), "", "{}", response, error);
    }
    int Download(const std::string& host, std::string& error) {
        std::wstring fileName = L"file.bin";
        return Utils::HttpDownload(server_->Url("/file.bin", host), "", nullptr,
                                   dir_.path() + Utils::PathSeparator(), fileName, error);
    }

    TestSupport::LogCapture log_;
    TestSupport::TestCertificate certificate_;
    std::unique_ptr<LocalHttpServer> server_;
    TempDir dir_;
};

TEST_F(HttpsTest, UntrustedCertificateIsRefused) {
    std::string response = "untouched";
    std::string error;
    EXPECT_EQ(Utils::HTTP_ERROR_OPENSSL_VERIFY, Post("localhost", response, error));
    EXPECT_EQ(std::to_string(X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT) + "," +
                  X509_verify_cert_error_string(X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT),
              error);
    EXPECT_EQ("untouched", response);

    EXPECT_EQ(10, Download("localhost", error)) << "the library's SSLServerVerification";
    EXPECT_EQ("", error);
    EXPECT_FALSE(TestSupport::Exists(dir_.Child(L"file.bin")));
}

TEST_F(HttpsTest, TrustedCertificateIsAccepted) {
    Utils::SetHttpExtraCaCertForTesting(certificate_.Pem());
    std::string response;
    std::string error;
    ASSERT_EQ(0, Post("localhost", response, error)) << error;
    EXPECT_EQ("secret answer", response);

    ASSERT_EQ(0, Download("localhost", error)) << error;
    EXPECT_EQ("secret file", TestSupport::ReadBytes(dir_.Child(L"file.bin")));
}

TEST_F(HttpsTest, TrustedCertificateForAnotherNameIsRefused) {
    Utils::SetHttpExtraCaCertForTesting(certificate_.Pem());
    std::string response = "untouched";
    std::string error;
    // The certificate names localhost, not the address: the verification
    // itself fails, with OpenSSL's reason.
    EXPECT_EQ(Utils::HTTP_ERROR_OPENSSL_VERIFY, Post("127.0.0.1", response, error));
    EXPECT_EQ(std::to_string(X509_V_ERR_IP_ADDRESS_MISMATCH) + "," +
                  X509_verify_cert_error_string(X509_V_ERR_IP_ADDRESS_MISMATCH),
              error);
    EXPECT_EQ("untouched", response);
}

}  // namespace
