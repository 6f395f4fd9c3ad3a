#include "tests/support/test_service.h"

#include <signal.h>

#include "tools/devservice/dev_service.h"
#include "utils/log/textconv.h"

namespace TestSupport {

namespace {

// The service inside the test process.
class LocalService : public TestService::Backend {
  public:
    LocalService() : service_(DevService::Options{}) {}

    int Start(std::string& error) { return service_.Start(error); }

    std::string BaseUrl() const override { return service_.BaseUrl(); }

    bool SetScenario(const std::string& json, std::string& error) override {
        const nlohmann::json value = nlohmann::json::parse(json, nullptr, false);
        if (value.is_discarded()) {
            error = "the scenario is not JSON";
            return false;
        }
        return service_.SetScenario(value, error);
    }

    bool Requests(std::vector<DevService::RecordedRequest>& out, std::string&) override {
        out = service_.Records();
        return true;
    }

    bool Reset(std::string&) override {
        service_.ResetRecords();
        return true;
    }

  private:
    DevService::Service service_;
};

}  // namespace

namespace detail {

std::unique_ptr<TestService::Backend> StartLocalService(std::string& error) {
    // A client that goes away mid-answer must not end the test program.
    signal(SIGPIPE, SIG_IGN);
    auto service = std::make_unique<LocalService>();
    if (service->Start(error) < 0) {
        return nullptr;
    }
    return service;
}

}  // namespace detail

std::string TestService::ServicePath(const std::wstring& localPath) {
    return Utils::WideToUtf8(localPath);
}

}  // namespace TestSupport
