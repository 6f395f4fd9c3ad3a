// A running development service for a test: its base URL, its scenario and
// the requests it recorded.
//
// Linux: the service runs inside the test process on a free port (port 0),
// unless TAVO_DEVSERVICE_URL names one already running. Windows (under
// Wine): TAVO_DEVSERVICE_URL must name the native Linux service that the
// "devservice" CTest fixture starts; the test drives it through its control
// API. Either way the service starts each TestService with the default
// scenario and an empty record. Tests sharing the fixture's service take the
// "devservice" resource lock, so one TestService exists at a time.
//
// Used by one test thread; the service itself answers on threads of its own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/devservice/record.h"

namespace TestSupport {

class TestService {
  public:
    TestService();
    ~TestService();
    TestService(const TestService&) = delete;
    TestService& operator=(const TestService&) = delete;

    // Whether the service runs; when not, error() says why.
    bool ok() const { return backend_ != nullptr; }
    const std::string& error() const { return error_; }

    // "http://127.0.0.1:<port>", no trailing slash.
    const std::string& BaseUrl() const { return baseUrl_; }

    // Replaces the scenario (JSON text, see docs/devservice.md). False, with
    // the service's reason in error(), when it refuses it.
    bool SetScenario(const std::string& scenarioJson);

    // The requests since the start or the last ResetRequests, in order;
    // empty when the record cannot be read (error() says why).
    std::vector<DevService::RecordedRequest> Requests();
    // Only those whose path is `path`.
    std::vector<DevService::RecordedRequest> RequestsTo(const std::string& path);
    bool ResetRequests();

    // A path of this test's file system as the service's file system names
    // it (for the scenario's "path"): the same path on Linux, the Unix path
    // under Wine.
    static std::string ServicePath(const std::wstring& localPath);

    // What the service behind a TestService offers.
    class Backend {
      public:
        virtual ~Backend() = default;
        virtual std::string BaseUrl() const = 0;
        virtual bool SetScenario(const std::string& json, std::string& error) = 0;
        virtual bool Requests(std::vector<DevService::RecordedRequest>& out,
                              std::string& error) = 0;
        virtual bool Reset(std::string& error) = 0;
    };

  private:
    std::unique_ptr<Backend> backend_;
    std::string baseUrl_;
    std::string error_;
};

namespace detail {
// The platform's own service: Linux starts one in this process; Windows has
// none (nullptr with a reason).
std::unique_ptr<TestService::Backend> StartLocalService(std::string& error);
// Talks to the service at `baseUrl` through its control API.
std::unique_ptr<TestService::Backend> ConnectRemoteService(const std::string& baseUrl,
                                                           std::string& error);
}  // namespace detail

}  // namespace TestSupport
